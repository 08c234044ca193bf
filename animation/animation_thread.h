// The animation thread: draws the saver's text, warped between the two
// moving beams, frame after frame on the saver window until the stop flag of
// its SaverState is set. The thread is a thin loop around one frame, so
// another host can drive the same frames.
#pragma once
#include <windows.h>
#include "animation/beams.h"
#include "animation/color_cycle.h"
#include "animation/surface.h"
#include "settings/saver_state.h"

const double StepLength = 0.4;          // simulated time per frame; there is no clock
const DWORD FrameSleep = 5;             // milliseconds after each frame
const DWORD AnimationExitCode = 1;

// What one run of the animation owns for its whole life.
struct Animation {
    RECT bounds;                        // client rectangle taken at start, never again
    Beam top;
    Beam bottom;
    POINT topBeam[BeamLength];          // integer copies of the beams for the warp
    POINT bottomBeam[BeamLength];
    Region previous;                    // the region filled in the previous frame, or null
    ColorCycle colors;
};

// Clears the window to black, measures the text, seeds the random generator
// and initialises the beams and the colour cycle.
void StartFrames(Animation* animation, SaverState* state);

// One frame, in four stages: step the beams and truncate them to pixels;
// warp the text between them; erase what the previous shape leaves
// uncovered; fill the new shape. No sleep.
void DrawFrame(Animation* animation, SaverState* state);
void StepBeams(Animation* animation, SaverState* state);
Region WarpFrame(Animation* animation, SaverState* state, Surface surface);
void EraseUncovered(Animation* animation, Surface surface, Region current);
void FillFrame(Animation* animation, SaverState* state, Surface surface, Region current);

// Releases what the run still holds: the previous region.
void EndFrames(Animation* animation);

// Thread entry: parameter is the SaverState. Draws a frame, sleeps, and
// ends after the frame in which it finds the stop flag set; returns
// AnimationExitCode.
DWORD WINAPI AnimationThread(void* parameter);
