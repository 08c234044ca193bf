// One animation frame: the saver's text, warped between the two moving
// beams, drawn on a surface the host hands over. Any host drives the same
// frames: the Windows animation thread, the X11 saver and the headless
// renderer. The frames never ask their host for anything; what they need
// (bounds, seed, surface) comes in as arguments.
#pragma once
#include "animation/beams.h"
#include "animation/color_cycle.h"
#include "animation/surface.h"
#include "settings/saver_state.h"

const double StepLength = 0.4;          // simulated time per frame; there is no clock

// What one run of the animation owns for its whole life.
struct Animation {
    RECT bounds;                        // taken when the frames start, never again
    Beam top;
    Beam bottom;
    POINT topBeam[BeamLength];          // integer copies of the beams for the warp
    POINT bottomBeam[BeamLength];
    Region previous;                    // the region filled in the previous frame, or null
    ColorCycle colors;
};

// Clears bounds to black on surface, measures the text in state's font,
// seeds the random generator and initialises the beams within bounds and
// the colour cycle.
void StartFrames(Animation* animation, const SaverState* state, Surface surface, const RECT& bounds,
                 uint32_t seed);

// One frame, in four stages: step the beams and truncate them to pixels
// (and move the colour on); warp the text between them; erase what the
// previous shape leaves uncovered; fill the new shape. No sleep.
void DrawFrame(Animation* animation, const SaverState* state, Surface surface);
// The same in two halves, for a host that steps more often than it shows:
// the motion's step, drawing nothing, and the drawing of where it stands.
// Steps that are never shown leave the screen as the every-step frames
// would: each shown frame erases what the last shown one left uncovered.
void StepFrame(Animation* animation, const SaverState* state);
void ShowFrame(Animation* animation, const SaverState* state, Surface surface);
// The stages.
void StepBeams(Animation* animation, const SaverState* state);
Region WarpFrame(Animation* animation, const SaverState* state, Surface surface);
void EraseUncovered(Animation* animation, Surface surface, Region current);
void FillFrame(Animation* animation, const SaverState* state, Surface surface, Region current);

// Releases what the run still holds: the previous region.
void EndFrames(Animation* animation);
