// One run of the frames as the native savers drive it, on any surface: the
// motion steps by the clock (animation/pacing), the frame it reaches is
// drawn when the host asks for a picture, and a still (--frames N) takes
// exactly N steps and then holds that picture, as lumivane-render's N-th
// frame shows it. Also the seeds and the option values the savers share.
#pragma once
#include <cstdint>
#include <string>
#include "animation/frame.h"
#include "animation/pacing.h"

// The largest image the savers draw their frames on, in pixels each way; the
// part of a larger window or output beyond it is left out. At this size
// making the image and the first frame take about a tenth of a second, and
// a frame a few milliseconds; twice the size takes four times as long and a
// gigabyte of address space for the display's shared memory.
const int LargestImageSide = 4096;
// lumivane-render's and the savers' --frames: 1 to this many.
const int64_t MostFrames = 10000000;

// How each start of the frames is seeded: from seed every time when fixed,
// else from the clock.
struct SeedChoice {
    bool fixed;
    uint32_t seed;
};

// How a saver's frames ended: by an ending signal (its number, else 0), or
// with the exit code.
struct SaverEnd {
    int signal;
    int exitCode;
};

struct FrameRun {
    Animation animation;                // about 40 KB
    Pacing pacing;
    int64_t stepsLeft;                  // of a still; -1 while the frames run on
};

// Microseconds of the monotonic clock, the pacing's time.
int64_t ClockNow();

// The seed for the picture of the given index (an output's, counted from 0):
// the chosen seed or the clock's milliseconds, plus the index, so pictures
// started in the same millisecond differ and picture 0 gets the seed itself.
uint32_t ChooseSeed(const SeedChoice& seeds, uint32_t index);

// Starts the frames within bounds of surface, seeded, and their clock at
// now; frames > 0 makes a still of that many steps.
void StartFrameRun(FrameRun* run, const SaverState* state, Surface surface, const RECT& bounds, uint32_t seed,
                   int64_t frames, int64_t now);
// Takes the steps due at now (no more than a still has left) and draws the
// frame they reach; false when no step was due.
bool StepDueFrames(FrameRun* run, const SaverState* state, Surface surface, int64_t now);
// True once a still has taken all its steps: nothing more is drawn.
bool FrameRunHolds(const FrameRun* run);
void EndFrameRun(FrameRun* run);

// "--seed" and "--frames" values; false, with the message, when bad.
bool ParseSeed(const std::string& value, uint32_t* seed, std::string* error);
bool ParseFrameCount(const std::string& value, int64_t* frames, std::string* error);
