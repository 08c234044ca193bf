// The frame benchmark over GDI: a 1920x1080 window whose class owns its
// device context, or a DIB section in memory; the run with the sleep counts
// the frames and the process's CPU time as the animation thread would.
#include <windows.h>
#include "host/animation_thread.h"
#include "tools/frame_bench/frame_bench.h"

namespace {

const DWORD SleepRunMilliseconds = 3000;
const char BenchClassName[] = "LumivaneFrameBench";
const double HundredNanosecondsPerSecond = 1e7;
const int PixelBits = 32;

HWND g_window = NULL;
HBITMAP g_bitmap = NULL;
HGDIOBJ g_previousBitmap = NULL;

LRESULT CALLBACK BenchWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND BenchWindow()
{
    if (g_window != NULL)
        return g_window;
    WNDCLASSA windowClass = {};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = BenchWindowProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = BenchClassName;
    RegisterClassA(&windowClass);
    g_window = CreateWindowExA(0, BenchClassName, "bench", WS_POPUP | WS_VISIBLE, 0, 0, BenchWidth, BenchHeight,
                               NULL, NULL, GetModuleHandleA(NULL), NULL);
    return g_window;
}

ULONGLONG ProcessCpu100ns()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    ULARGE_INTEGER k, u;
    k.LowPart = kernel.dwLowDateTime;
    k.HighPart = kernel.dwHighDateTime;
    u.LowPart = user.dwLowDateTime;
    u.HighPart = user.dwHighDateTime;
    return k.QuadPart + u.QuadPart;
}

}  // namespace

Surface OpenBenchSurface(bool inMemory)
{
    HDC windowDc = AcquireWindowSurface(BenchWindow());
    if (!inMemory)
        return windowDc;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = BenchWidth;
    info.bmiHeader.biHeight = -BenchHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = PixelBits;
    void* bits = nullptr;
    HDC memoryDc = CreateCompatibleDC(windowDc);
    g_bitmap = CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    g_previousBitmap = SelectObject(memoryDc, g_bitmap);
    ReleaseWindowSurface(g_window, windowDc);
    return memoryDc;
}

void CloseBenchSurface(Surface surface)
{
    if (g_bitmap == NULL) {
        ReleaseWindowSurface(g_window, surface);
        return;
    }
    SelectObject(surface, g_previousBitmap);
    DeleteObject(g_bitmap);
    DeleteDC(surface);
    g_bitmap = NULL;
}

void FinishDrawing(Surface)
{
    GdiFlush();
}

bool MeasureWithSleep(Animation* animation, SaverState* state, Surface surface, double* framesPerSecond, double* cpu)
{
    int frames = 0;
    ULONGLONG cpuBefore = ProcessCpu100ns();
    DWORD start = GetTickCount();
    while (GetTickCount() - start < SleepRunMilliseconds) {
        DrawFrame(animation, state, surface);
        Sleep(FrameSleep);
        ++frames;
    }
    double seconds = (GetTickCount() - start) / 1000.0;
    *framesPerSecond = frames / seconds;
    *cpu = static_cast<double>(ProcessCpu100ns() - cpuBefore) / HundredNanosecondsPerSecond / seconds;
    return true;
}
