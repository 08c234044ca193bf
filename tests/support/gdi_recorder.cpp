// The GDI recorder's hooks. One recorder at a time; the hooks may be called
// from the animation thread, so the log is guarded.
#include "support/gdi_recorder.h"
#include <algorithm>
#include <memory>
#include <set>
#include "support/import_hook.h"

namespace {

struct RecorderState {
    CRITICAL_SECTION lock;
    std::vector<GdiEvent> events;
    std::set<HGDIOBJ> live;
    bool failPathToRegion = false;
    std::unique_ptr<ImportHook> hooks[6];
};

RecorderState* g_recorder = nullptr;

void Record(GdiEventKind kind, HGDIOBJ object, HBRUSH brush)
{
    EnterCriticalSection(&g_recorder->lock);
    g_recorder->events.push_back({kind, object, brush, GetCurrentThreadId()});
    if (object != NULL) {
        if (kind == GdiCreateBrush || kind == GdiCreateFont || kind == GdiCreateRegion)
            g_recorder->live.insert(object);
        else if (kind == GdiDelete)
            g_recorder->live.erase(object);
    }
    LeaveCriticalSection(&g_recorder->lock);
}

template <typename F> F Original(int index) { return g_recorder->hooks[index]->Original<F>(); }

HBRUSH WINAPI RecordCreateSolidBrush(COLORREF color)
{
    HBRUSH brush = Original<decltype(&CreateSolidBrush)>(0)(color);
    Record(GdiCreateBrush, brush, NULL);
    return brush;
}

HFONT WINAPI RecordCreateFontIndirectA(const LOGFONTA* description)
{
    HFONT font = Original<decltype(&CreateFontIndirectA)>(1)(description);
    Record(GdiCreateFont, font, NULL);
    return font;
}

HRGN WINAPI RecordCreateRectRgn(int left, int top, int right, int bottom)
{
    HRGN region = Original<decltype(&CreateRectRgn)>(2)(left, top, right, bottom);
    Record(GdiCreateRegion, region, NULL);
    return region;
}

HRGN WINAPI RecordPathToRegion(HDC dc)
{
    if (g_recorder->failPathToRegion) {
        AbortPath(dc);
        return NULL;
    }
    HRGN region = Original<decltype(&PathToRegion)>(3)(dc);
    Record(GdiCreateRegion, region, NULL);
    return region;
}

BOOL WINAPI RecordDeleteObject(HGDIOBJ object)
{
    Record(GdiDelete, object, NULL);
    return Original<decltype(&DeleteObject)>(4)(object);
}

BOOL WINAPI RecordFillRgn(HDC dc, HRGN region, HBRUSH brush)
{
    Record(GdiFillRegion, region, brush);
    return Original<decltype(&FillRgn)>(5)(dc, region, brush);
}

}  // namespace

GdiRecorder::GdiRecorder()
{
    g_recorder = new RecorderState;
    InitializeCriticalSection(&g_recorder->lock);
    g_recorder->hooks[0].reset(new ImportHook("gdi32.dll", "CreateSolidBrush", (void*)RecordCreateSolidBrush));
    g_recorder->hooks[1].reset(new ImportHook("gdi32.dll", "CreateFontIndirectA", (void*)RecordCreateFontIndirectA));
    g_recorder->hooks[2].reset(new ImportHook("gdi32.dll", "CreateRectRgn", (void*)RecordCreateRectRgn));
    g_recorder->hooks[3].reset(new ImportHook("gdi32.dll", "PathToRegion", (void*)RecordPathToRegion));
    g_recorder->hooks[4].reset(new ImportHook("gdi32.dll", "DeleteObject", (void*)RecordDeleteObject));
    g_recorder->hooks[5].reset(new ImportHook("gdi32.dll", "FillRgn", (void*)RecordFillRgn));
}

GdiRecorder::~GdiRecorder()
{
    for (auto& hook : g_recorder->hooks)
        hook.reset();
    DeleteCriticalSection(&g_recorder->lock);
    delete g_recorder;
    g_recorder = nullptr;
}

bool GdiRecorder::Installed() const
{
    return std::all_of(std::begin(g_recorder->hooks), std::end(g_recorder->hooks),
                       [](const std::unique_ptr<ImportHook>& hook) { return hook->Installed(); });
}

std::vector<GdiEvent> GdiRecorder::Events() const
{
    EnterCriticalSection(&g_recorder->lock);
    std::vector<GdiEvent> copy = g_recorder->events;
    LeaveCriticalSection(&g_recorder->lock);
    return copy;
}

void GdiRecorder::Clear()
{
    EnterCriticalSection(&g_recorder->lock);
    g_recorder->events.clear();
    g_recorder->live.clear();
    LeaveCriticalSection(&g_recorder->lock);
}

int GdiRecorder::LiveObjects() const
{
    EnterCriticalSection(&g_recorder->lock);
    int live = static_cast<int>(g_recorder->live.size());
    LeaveCriticalSection(&g_recorder->lock);
    return live;
}

int GdiRecorder::Count(GdiEventKind kind) const
{
    std::vector<GdiEvent> events = Events();
    return static_cast<int>(std::count_if(events.begin(), events.end(),
                                          [kind](const GdiEvent& e) { return e.kind == kind; }));
}

void GdiRecorder::FailPathToRegion(bool fail)
{
    EnterCriticalSection(&g_recorder->lock);
    g_recorder->failPathToRegion = fail;
    LeaveCriticalSection(&g_recorder->lock);
}
