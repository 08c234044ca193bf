// Records the graphics objects the code under test creates, deletes and
// fills with, from any thread (each event names the thread that made the
// call), by hooking the test program's imports of CreateSolidBrush,
// CreateFontIndirectA, CreateRectRgn, PathToRegion, DeleteObject and FillRgn.
// Objects made by the test itself before the recorder exists are not
// counted.
#pragma once
#include <windows.h>
#include <vector>

enum GdiEventKind { GdiCreateBrush, GdiCreateFont, GdiCreateRegion, GdiDelete, GdiFillRegion };

struct GdiEvent {
    GdiEventKind kind;
    HGDIOBJ object;         // the object made, deleted, or the region filled
    HBRUSH brush;           // the brush of a fill
    DWORD thread;           // the thread that made the call
};

class GdiRecorder {
public:
    GdiRecorder();
    ~GdiRecorder();
    GdiRecorder(const GdiRecorder&) = delete;
    GdiRecorder& operator=(const GdiRecorder&) = delete;

    bool Installed() const;
    std::vector<GdiEvent> Events() const;
    void Clear();
    // Objects created since the recorder started (or was cleared) and not
    // deleted since.
    int LiveObjects() const;
    int Count(GdiEventKind kind) const;
    // When set, PathToRegion returns null without making a region.
    void FailPathToRegion(bool fail);
};
