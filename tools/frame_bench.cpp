// Frame benchmark: the per-frame cost of the animation on a 1920x1080
// window, split by stage, without the sleep; then frames per second and the
// process's CPU use with the sleep in place. Run it with tools/bench.
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>
#include "animation/animation_thread.h"
#include "host/float_model.h"

namespace {

const int BenchWidth = 1920;
const int BenchHeight = 1080;
const int TimedFrames = 400;
const DWORD SleepRunMilliseconds = 3000;

struct BenchCase {
    const char* name;
    DrawMethod method;
    const char* text;
    LONG height;
    bool memorySurface;         // a DIB section instead of the window's own context
};

const char Sentence40[] = "The quick brown fox jumps over a lazy do";
char Text255[256];

enum Stage { StageStep, StageWarp, StageErase, StageFill, StageTotal, StageCount };
const char* const StageNames[StageCount] = {"step+trunc", "warp", "erase", "fill", "total"};

LRESULT CALLBACK BenchWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateBenchWindow()
{
    WNDCLASSA windowClass = {};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = BenchWindowProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = "LumivaneFrameBench";
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, "LumivaneFrameBench", "bench", WS_POPUP | WS_VISIBLE, 0, 0, BenchWidth,
                           BenchHeight, NULL, NULL, GetModuleHandleA(NULL), NULL);
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(fraction * static_cast<double>(values.size() - 1))];
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

// The frame's stages one by one, as DrawFrame runs them, each timed.
void TimedFrame(Animation* animation, SaverState* state, Surface surface, std::vector<double>* times)
{
    LARGE_INTEGER t[5];
    QueryPerformanceCounter(&t[0]);
    StepBeams(animation, state);
    QueryPerformanceCounter(&t[1]);
    Region current = WarpFrame(animation, state, surface);
    QueryPerformanceCounter(&t[2]);
    EraseUncovered(animation, surface, current);
    QueryPerformanceCounter(&t[3]);
    FillFrame(animation, state, surface, current);
    GdiFlush();
    QueryPerformanceCounter(&t[4]);
    for (int stage = 0; stage < StageTotal; ++stage)
        times[stage].push_back(Milliseconds(t[stage], t[stage + 1]));
    times[StageTotal].push_back(Milliseconds(t[0], t[4]));
}

void RunCase(HWND window, const BenchCase& c)
{
    static SaverState state;
    std::memset(&state, 0, sizeof(state));
    state.window = window;
    state.method = c.method;
    lstrcpynA(state.text, c.text, TextCapacity);
    state.color = RGB(255, 255, 255);
    state.cycle = 1;
    state.speed = 2;
    LOGFONTA description = {};
    description.lfHeight = -c.height;
    lstrcpyA(description.lfFaceName, "arial");
    state.font = CreateFontIndirectA(&description);
    state.brush = CreateSolidBrush(state.color);

    static Animation animation;
    StartFrames(&animation, &state);

    HDC windowDc = AcquireWindowSurface(window);
    HDC memoryDc = NULL;
    HBITMAP bitmap = NULL;
    HGDIOBJ previousBitmap = NULL;
    Surface surface = windowDc;
    if (c.memorySurface) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = BenchWidth;
        info.bmiHeader.biHeight = -BenchHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        memoryDc = CreateCompatibleDC(windowDc);
        bitmap = CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, NULL, 0);
        previousBitmap = SelectObject(memoryDc, bitmap);
        surface = memoryDc;
    }

    std::vector<double> times[StageCount];
    for (int frame = 0; frame < TimedFrames; ++frame)
        TimedFrame(&animation, &state, surface, times);

    std::printf("%-34s", c.name);
    for (int stage = 0; stage < StageCount; ++stage)
        std::printf(" %s %.3f [%.3f-%.3f]", StageNames[stage], Percentile(times[stage], 0.5),
                    Percentile(times[stage], 0.1), Percentile(times[stage], 0.9));

    if (!c.memorySurface) {
        // With the sleep, as the animation thread runs.
        int frames = 0;
        ULONGLONG cpuBefore = ProcessCpu100ns();
        DWORD start = GetTickCount();
        while (GetTickCount() - start < SleepRunMilliseconds) {
            DrawFrame(&animation, &state);
            Sleep(FrameSleep);
            ++frames;
        }
        double seconds = (GetTickCount() - start) / 1000.0;
        double cpu = static_cast<double>(ProcessCpu100ns() - cpuBefore) / 1e7 / seconds;
        std::printf("  | %.0f fps, CPU %.0f%%", frames / seconds, 100.0 * cpu);
    }
    std::printf("\n");
    std::fflush(stdout);

    EndFrames(&animation);
    if (memoryDc != NULL) {
        SelectObject(memoryDc, previousBitmap);
        DeleteObject(bitmap);
        DeleteDC(memoryDc);
    }
    ReleaseWindowSurface(window, windowDc);
    DeleteObject(state.font);
    DeleteObject(state.brush);
}

}  // namespace

int main()
{
    // The frames run on this thread: in the animation thread's model.
    UseDoublePrecision();
    std::memset(Text255, 0, sizeof(Text255));
    for (int i = 0; i < 255; ++i)
        Text255[i] = Sentence40[i % (sizeof(Sentence40) - 1)];

    const BenchCase cases[] = {
        {"Lumivane -72 Lumivane", MethodLumivane, "Lumivane", 72, false},
        {"Lumivane -72 FlexBeam", MethodFlexBeam, "Lumivane", 72, false},
        {"Lumivane -72 StraightBeam", MethodStraightBeam, "Lumivane", 72, false},
        {"40 characters -72 Lumivane", MethodLumivane, Sentence40, 72, false},
        {"255 characters -72 Lumivane", MethodLumivane, Text255, 72, false},
        {"Lumivane -400 Lumivane", MethodLumivane, "Lumivane", 400, false},
        {"Lumivane -72 Lumivane, memory DC", MethodLumivane, "Lumivane", 72, true},
    };
    HWND window = CreateBenchWindow();
    if (window == NULL) {
        std::printf("no window\n");
        return 1;
    }
    std::printf("milliseconds per frame without the sleep: median [10th-90th percentile], %d frames\n",
                TimedFrames);
    for (const BenchCase& c : cases)
        RunCase(window, c);
    DestroyWindow(window);
    return 0;
}
