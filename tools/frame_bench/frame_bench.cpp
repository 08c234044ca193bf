// Frame benchmark: the per-frame cost of the animation on 1920x1080, split by
// stage, without the sleep; then, where the backend measures it, frames per
// second and the process's CPU use with the sleep in place. Every case starts
// from the same seed, so two runs compare. Run it with tools/bench.
#include "tools/frame_bench/frame_bench.h"
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>
#include "animation/float_model.h"
#include "settings/defaults.h"

namespace {

const int TimedFrames = 400;
const uint32_t BenchSeed = 7;
const int LongTextLength = 255;

struct BenchCase {
    const char* name;
    DrawMethod method;
    const char* text;
    int32_t height;                     // em height in pixels
    bool inMemory;                      // a surface in memory instead of the window's own
};

const char Sentence40[] = "The quick brown fox jumps over a lazy do";
char Text255[LongTextLength + 1];

enum Stage { StageStep, StageWarp, StageErase, StageFill, StageTotal, StageCount };
const char* const StageNames[StageCount] = {"step+trunc", "warp", "erase", "fill", "total"};

typedef std::chrono::steady_clock Clock;

double Milliseconds(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double Percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(fraction * static_cast<double>(values.size() - 1))];
}

// The frame's stages one by one, as DrawFrame runs them, each timed.
void TimedFrame(Animation* animation, SaverState* state, Surface surface, std::vector<double>* times)
{
    Clock::time_point t[StageTotal + 1];
    t[0] = Clock::now();
    StepFrame(animation, state);
    t[1] = Clock::now();
    Region current = WarpFrame(animation, state, surface);
    t[2] = Clock::now();
    EraseUncovered(animation, surface, current);
    t[3] = Clock::now();
    FillFrame(animation, state, surface, current);
    FinishDrawing(surface);
    t[4] = Clock::now();
    for (int stage = 0; stage < StageTotal; ++stage)
        times[stage].push_back(Milliseconds(t[stage], t[stage + 1]));
    times[StageTotal].push_back(Milliseconds(t[0], t[StageTotal]));
}

void RunCase(const BenchCase& c)
{
    static SaverState state;
    std::memset(&state, 0, sizeof(state));
    ApplyDefaultSettings(&state);
    state.method = c.method;
    std::strncpy(state.text, c.text, TextCapacity - 1);
    state.logFont.lfHeight = -c.height;
    state.font = CreateSurfaceFont(&state.logFont);
    state.brush = CreateColorBrush(state.color);

    Surface surface = OpenBenchSurface(c.inMemory);
    static Animation animation;
    const RECT bounds = {0, 0, BenchWidth, BenchHeight};
    StartFrames(&animation, &state, surface, bounds, BenchSeed);

    std::vector<double> times[StageCount];
    for (int frame = 0; frame < TimedFrames; ++frame)
        TimedFrame(&animation, &state, surface, times);
    std::printf("%-34s", c.name);
    for (int stage = 0; stage < StageCount; ++stage)
        std::printf(" %s %.3f [%.3f-%.3f]", StageNames[stage], Percentile(times[stage], 0.5),
                    Percentile(times[stage], 0.1), Percentile(times[stage], 0.9));
    double framesPerSecond = 0, cpu = 0;
    if (!c.inMemory && MeasureWithSleep(&animation, &state, surface, &framesPerSecond, &cpu))
        std::printf("  | %.0f fps, CPU %.0f%%", framesPerSecond, 100.0 * cpu);
    std::printf("\n");
    std::fflush(stdout);

    EndFrames(&animation);
    CloseBenchSurface(surface);
    DeleteSurfaceFont(state.font);
    DeleteSurfaceBrush(state.brush);
}

}  // namespace

int main()
{
    // The frames are computed as the animation thread computes them.
    UseDoublePrecision();
    for (int i = 0; i < LongTextLength; ++i)
        Text255[i] = Sentence40[i % (sizeof(Sentence40) - 1)];

    const BenchCase cases[] = {
        {"Lumivane -72 Lumivane", MethodLumivane, "Lumivane", 72, false},
        {"Lumivane -72 FlexBeam", MethodFlexBeam, "Lumivane", 72, false},
        {"Lumivane -72 StraightBeam", MethodStraightBeam, "Lumivane", 72, false},
        {"40 characters -72 Lumivane", MethodLumivane, Sentence40, 72, false},
        {"40 characters -72 FlexBeam", MethodFlexBeam, Sentence40, 72, false},
        {"255 characters -72 Lumivane", MethodLumivane, Text255, 72, false},
        {"Lumivane -400 Lumivane", MethodLumivane, "Lumivane", 400, false},
        {"Lumivane -72 Lumivane, in memory", MethodLumivane, "Lumivane", 72, true},
    };
    std::printf("milliseconds per frame without the sleep: median [10th-90th percentile], %d frames, seed %u\n",
                TimedFrames, BenchSeed);
    for (const BenchCase& c : cases)
        RunCase(c);
    return 0;
}
