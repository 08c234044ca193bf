// The native saver's frame loop: the frames of animation/frame drawn on an
// image the size of the window, what changed copied to the window after each
// frame, then the 5 ms sleep, during which the window's events and the
// ending signals are heard. A resize or an exposure starts the frames again
// within the window's new bounds, as an erase does on Windows.
#pragma once
#include <cstdint>
#include "linux/x11_window.h"
#include "settings/saver_state.h"

const int FrameSleepMilliseconds = 5;

// How each start of the frames is seeded: from seed every time when fixed,
// else from the clock.
struct SeedChoice {
    bool fixed;
    uint32_t seed;
};

// Draws until the window goes, the user closes our own window, or an ending
// signal arrives; returns that signal, or 0.
int RunSaverFrames(SaverWindow* saver, const SaverState* state, SeedChoice seeds);
