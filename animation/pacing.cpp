// The step clock of the interactive hosts: steps fall due on a fixed grid of
// intervals from the start, so short frames and long ones average out to
// the same pace, until a stall longer than the cap moves the grid.
#include "animation/pacing.h"

void StartPacing(Pacing* pacing, int64_t now)
{
    pacing->nextStep = now + StepIntervalMicroseconds;
}

int64_t TakeDueSteps(Pacing* pacing, int64_t now)
{
    if (now < pacing->nextStep)
        return 0;
    const int64_t due = (now - pacing->nextStep) / StepIntervalMicroseconds + 1;
    if (due > MostStepsMadeUp) {
        StartPacing(pacing, now);
        return MostStepsMadeUp;
    }
    pacing->nextStep += due * StepIntervalMicroseconds;
    return due;
}

int64_t TimeToNextStep(const Pacing* pacing, int64_t now)
{
    return now < pacing->nextStep ? pacing->nextStep - now : 0;
}
