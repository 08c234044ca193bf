// The saver's pace: the beams and the colour take one step per StepInterval
// of wall time, whatever a frame costs to draw, so a long text moves as fast
// as a short one. Pure logic: the host reads its clock and hands the reading
// in, in microseconds from any fixed origin.
#pragma once
#include <cstdint>

const int64_t StepIntervalMicroseconds = 5000;  // 200 steps a second
// After a stall (a busy machine, a display that fell behind) at most this
// many steps are made up at once; the rest of the lost time is let go, so the
// motion never races to catch up.
const int64_t MostStepsMadeUp = 20;

struct Pacing {
    int64_t nextStep;                   // when the next step is due
};

// Starts the clock at now: the first step is due one interval later. Also
// how to go on after a pause (a hidden window, a blanked output): the paused
// time is not made up.
void StartPacing(Pacing* pacing, int64_t now);

// The number of steps due at now (0 when none), at most MostStepsMadeUp;
// they count as taken.
int64_t TakeDueSteps(Pacing* pacing, int64_t now);

// How long from now until the next step is due; 0 when one is due already.
int64_t TimeToNextStep(const Pacing* pacing, int64_t now);
