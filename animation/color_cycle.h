// The slowly cycling fill colour: one channel steps by one every tenth
// frame, raising twice and lowering twice in turn, each side walking red,
// green, blue on its own. Pure logic.
#pragma once
#include <cstdint>

const int ColorChangeInterval = 10;     // frames per colour change

struct ColorCycle {
    uint8_t channel[3];                 // red, green, blue
    int32_t phase;                      // 0, 1 raise; 2, 3 lower
    int32_t raiseChannel;
    int32_t lowerChannel;
    int32_t frameCounter;               // 0..ColorChangeInterval-1
};

// Starts from a COLORREF (red in the low byte): raising red, lowering green.
void StartColorCycle(ColorCycle* cycle, uint32_t color);

// One frame: every tenth call changes one channel by one, or, when that
// channel is already at its bound, moves the cycle on to the next one.
void AdvanceColorCycle(ColorCycle* cycle);

// The current colour as a COLORREF.
uint32_t ColorCycleColor(const ColorCycle* cycle);
