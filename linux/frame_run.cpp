// The frames of the native savers, between the clock and the surface: the
// steps due are taken together and only the frame they reach is drawn
// (animation/frame.h: steps never shown leave the picture as the every-step
// frames would), so a still of N steps equals lumivane-render's N-th frame.
#include "linux/frame_run.h"
#include <algorithm>
#include <chrono>
#include "linux/settings_options.h"

int64_t ClockNow()
{
    auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::microseconds>(now).count();
}

uint32_t ChooseSeed(const SeedChoice& seeds, uint32_t index)
{
    if (seeds.fixed)
        return seeds.seed + index;
    auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count()) + index;
}

void StartFrameRun(FrameRun* run, const SaverState* state, Surface surface, const RECT& bounds, uint32_t seed,
                   int64_t frames, int64_t now)
{
    StartFrames(&run->animation, state, surface, bounds, seed);
    StartPacing(&run->pacing, now);
    run->stepsLeft = frames > 0 ? frames : -1;
}

bool StepDueFrames(FrameRun* run, const SaverState* state, Surface surface, int64_t now)
{
    int64_t steps = TakeDueSteps(&run->pacing, now);
    if (run->stepsLeft >= 0) {
        steps = std::min(steps, run->stepsLeft);
        run->stepsLeft -= steps;
    }
    if (steps == 0)
        return false;
    for (int64_t step = 0; step < steps; ++step)
        StepFrame(&run->animation, state);
    ShowFrame(&run->animation, state, surface);
    return true;
}

bool FrameRunHolds(const FrameRun* run)
{
    return run->stepsLeft == 0;
}

void EndFrameRun(FrameRun* run)
{
    EndFrames(&run->animation);
}

bool ParseSeed(const std::string& value, uint32_t* seed, std::string* error)
{
    int64_t number = 0;
    if (!ParseNumber(value, 0, UINT32_MAX, &number)) {
        *error = "--seed wants a whole number from 0 to 4294967295, not \"" + value + "\"";
        return false;
    }
    *seed = static_cast<uint32_t>(number);
    return true;
}

bool ParseFrameCount(const std::string& value, int64_t* frames, std::string* error)
{
    if (!ParseNumber(value, 1, MostFrames, frames)) {
        *error = "--frames wants a whole number from 1 to " + std::to_string(MostFrames) + ", not \"" + value + "\"";
        return false;
    }
    return true;
}
