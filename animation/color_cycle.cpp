// The colour cycle of the fill. A step that finds its channel at the bound
// spends itself on handing over to the next phase and channel, so after a
// start that depends on the colour the cycle settles into six ramps in turn:
// red up, green down, blue up, red down, green up, blue down.
#include "animation/color_cycle.h"

const int ChannelCount = 3;
const int PhaseCount = 4;
const int FirstLowerPhase = 2;
const uint8_t ChannelMax = 255;

void StartColorCycle(ColorCycle* cycle, uint32_t color)
{
    for (int i = 0; i < ChannelCount; ++i)
        cycle->channel[i] = static_cast<uint8_t>(color >> (8 * i));
    cycle->phase = 0;
    cycle->raiseChannel = 0;
    cycle->lowerChannel = 1;
    cycle->frameCounter = 0;
}

void AdvanceColorCycle(ColorCycle* cycle)
{
    cycle->frameCounter = (cycle->frameCounter + 1) % ColorChangeInterval;
    if (cycle->frameCounter != 0)
        return;

    if (cycle->phase < FirstLowerPhase) {
        uint8_t* value = &cycle->channel[cycle->raiseChannel];
        if (*value < ChannelMax) {
            ++*value;
            return;
        }
        cycle->raiseChannel = (cycle->raiseChannel + 1) % ChannelCount;
    } else {
        uint8_t* value = &cycle->channel[cycle->lowerChannel];
        if (*value > 0) {
            --*value;
            return;
        }
        cycle->lowerChannel = (cycle->lowerChannel + 1) % ChannelCount;
    }
    cycle->phase = (cycle->phase + 1) % PhaseCount;
}

uint32_t ColorCycleColor(const ColorCycle* cycle)
{
    return static_cast<uint32_t>(cycle->channel[0]) | static_cast<uint32_t>(cycle->channel[1]) << 8 |
           static_cast<uint32_t>(cycle->channel[2]) << 16;
}
