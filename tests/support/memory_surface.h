// A real device context without a window: a memory context drawing into a
// 32-bit DIB section of its own, so colours read back exactly. Also the
// pixel count of a region, the measure by which tests compare regions.
#pragma once
#include <windows.h>

class MemorySurface {
public:
    MemorySurface(int width, int height);
    ~MemorySurface();
    MemorySurface(const MemorySurface&) = delete;
    MemorySurface& operator=(const MemorySurface&) = delete;

    HDC dc() const { return dc_; }
    // The pixels, 0x00RRGGBB, top row first, width a row; done once GdiFlush returns.
    const DWORD* bits() const { return bits_; }
    bool Valid() const { return dc_ != NULL && bitmap_ != NULL; }

private:
    HDC dc_ = NULL;
    HBITMAP bitmap_ = NULL;
    HGDIOBJ previous_ = NULL;
    const DWORD* bits_ = nullptr;
};

// Pixels covered by a region (its rectangles never overlap); 0 for none.
long RegionArea(HRGN region);
// Pixels covered by exactly one of two regions.
long DifferenceArea(HRGN a, HRGN b);
