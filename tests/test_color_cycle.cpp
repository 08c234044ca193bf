// The cycling fill colour: when the first change comes, what a channel at
// its bound does, and the six ramps the cycle settles into.
#include <gtest/gtest.h>
#include <cstring>
#include <vector>
#include "animation/color_cycle.h"

namespace {

uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | g << 8 | b << 16; }

// The colour after each of the first n frames.
std::vector<uint32_t> ColorsOfFrames(uint32_t start, int frames)
{
    ColorCycle cycle;
    std::memset(&cycle, 0xCD, sizeof(cycle));
    StartColorCycle(&cycle, start);
    std::vector<uint32_t> colors;
    for (int i = 0; i < frames; ++i) {
        AdvanceColorCycle(&cycle);
        colors.push_back(ColorCycleColor(&cycle));
    }
    return colors;
}

TEST(ColorCycle, StartTakesTheBytesOfTheColour)
{
    ColorCycle cycle;
    std::memset(&cycle, 0xCD, sizeof(cycle));
    StartColorCycle(&cycle, Rgb(1, 2, 3) | 0xAB000000u);
    EXPECT_EQ(1, cycle.channel[0]);
    EXPECT_EQ(2, cycle.channel[1]);
    EXPECT_EQ(3, cycle.channel[2]);
    EXPECT_EQ(0, cycle.phase);
    EXPECT_EQ(0, cycle.raiseChannel);
    EXPECT_EQ(1, cycle.lowerChannel);
    EXPECT_EQ(0, cycle.frameCounter);
    EXPECT_EQ(Rgb(1, 2, 3), ColorCycleColor(&cycle));   // the top byte is never part of the colour
}

TEST(ColorCycle, FromWhiteTheFirstChangeIsGreenOnFrame30)
{
    std::vector<uint32_t> colors = ColorsOfFrames(Rgb(255, 255, 255), 40);
    // Frames 10 and 20 find red, then green, at 255 and only hand over.
    for (int frame = 1; frame <= 29; ++frame)
        EXPECT_EQ(Rgb(255, 255, 255), colors[frame - 1]) << "frame " << frame;
    EXPECT_EQ(Rgb(255, 254, 255), colors[30 - 1]);
    EXPECT_EQ(Rgb(255, 254, 255), colors[39 - 1]);
    EXPECT_EQ(Rgb(255, 253, 255), colors[40 - 1]);
}

TEST(ColorCycle, FromBlackRedRisesEveryTenthFrame)
{
    std::vector<uint32_t> colors = ColorsOfFrames(Rgb(0, 0, 0), 20);
    EXPECT_EQ(Rgb(0, 0, 0), colors[9 - 1]);
    EXPECT_EQ(Rgb(1, 0, 0), colors[10 - 1]);
    EXPECT_EQ(Rgb(1, 0, 0), colors[19 - 1]);
    EXPECT_EQ(Rgb(2, 0, 0), colors[20 - 1]);
}

// A ramp: one channel moving one way over consecutive changes.
struct Ramp {
    int channel;
    int direction;
    int length;
};

std::vector<Ramp> Ramps(uint32_t start, int frames)
{
    std::vector<uint32_t> colors = ColorsOfFrames(start, frames);
    std::vector<Ramp> ramps;
    uint32_t previous = start;
    for (uint32_t color : colors) {
        for (int channel = 0; channel < 3; ++channel) {
            int before = (previous >> (8 * channel)) & 0xFF;
            int after = (color >> (8 * channel)) & 0xFF;
            if (before == after)
                continue;
            EXPECT_EQ(1, after > before ? after - before : before - after) << "one step at a time";
            int direction = after > before ? 1 : -1;
            if (ramps.empty() || ramps.back().channel != channel || ramps.back().direction != direction)
                ramps.push_back({channel, direction, 0});
            ++ramps.back().length;
        }
        previous = color;
    }
    return ramps;
}

TEST(ColorCycle, SettlesIntoSixFullRampsInTurn)
{
    // From white the cycle first lowers green and blue, then settles.
    std::vector<Ramp> ramps = Ramps(Rgb(255, 255, 255), 10 * 255 * 16);
    const Ramp expected[] = {
        {1, -1, 255}, {2, -1, 255},                                 // the start from white
        {2, +1, 255}, {0, -1, 255}, {1, +1, 255}, {2, -1, 255},    // then blue up, red down, ...
        {0, +1, 255}, {1, -1, 255},                                 // red up, green down
        {2, +1, 255}, {0, -1, 255}, {1, +1, 255}, {2, -1, 255},
        {0, +1, 255}, {1, -1, 255},
    };
    ASSERT_GE(ramps.size(), sizeof(expected) / sizeof(expected[0]));
    for (size_t i = 0; i < sizeof(expected) / sizeof(expected[0]); ++i) {
        EXPECT_EQ(expected[i].channel, ramps[i].channel) << "ramp " << i;
        EXPECT_EQ(expected[i].direction, ramps[i].direction) << "ramp " << i;
        EXPECT_EQ(expected[i].length, ramps[i].length) << "ramp " << i;
    }
}

}  // namespace
