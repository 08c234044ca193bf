// The step clock against a fake clock: the pace over irregular frames, the
// cap after a stall, and no catch-up after a pause.
#include <gtest/gtest.h>
#include <vector>
#include "animation/pacing.h"

namespace {

struct Reading {
    int64_t at;                         // microseconds since the start
    int64_t steps;                      // due then
};

}  // namespace

TEST(Pacing, StepsFollowTheClockAndAStallIsMadeUpOnlyToTheCap)
{
    const struct {
        const char* what;
        std::vector<Reading> readings;
    } cases[] = {
        {"one interval is one step, not before", {{4999, 0}, {5000, 1}, {9999, 0}, {10000, 1}}},
        {"a late frame takes the steps it missed, and the grid stays", {{17000, 3}, {19999, 0}, {20000, 1}}},
        {"two frames within one interval", {{6000, 1}, {7000, 0}, {11000, 1}}},
        {"the cap exactly", {{MostStepsMadeUp * StepIntervalMicroseconds, MostStepsMadeUp}}},
        {"a stall beyond the cap lets the rest go and starts a new grid",
         {{1000000, MostStepsMadeUp}, {1004999, 0}, {1005000, 1}}},
    };
    for (const auto& c : cases) {
        Pacing pacing;
        StartPacing(&pacing, 0);
        for (const Reading& reading : c.readings)
            EXPECT_EQ(reading.steps, TakeDueSteps(&pacing, reading.at)) << c.what << ", at " << reading.at;
    }
}

TEST(Pacing, FramesOfAnyLengthAverageToTwoHundredStepsASecond)
{
    for (int64_t frame : {1000, 4999, 5001, 16667, 33333, 99999}) {
        Pacing pacing;
        StartPacing(&pacing, 0);
        int64_t steps = 0, now = 0;
        for (; now + frame <= 10000000; now += frame)
            steps += TakeDueSteps(&pacing, now + frame);
        EXPECT_EQ(now / StepIntervalMicroseconds, steps) << frame << " us a frame";
        EXPECT_EQ(StepIntervalMicroseconds - now % StepIntervalMicroseconds, TimeToNextStep(&pacing, now));
    }
}

TEST(Pacing, StartingAgainAfterAPauseMakesNothingUp)
{
    Pacing pacing;
    StartPacing(&pacing, 0);
    EXPECT_EQ(2, TakeDueSteps(&pacing, 10000));
    StartPacing(&pacing, 60000000);
    EXPECT_EQ(0, TakeDueSteps(&pacing, 60004999));
    EXPECT_EQ(1, TakeDueSteps(&pacing, 60005000));
    EXPECT_EQ(0, TimeToNextStep(&pacing, 60020000));
}
