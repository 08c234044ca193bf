// The native saver's frame loop: the motion steps by the clock
// (animation/pacing: 200 steps a second, whatever a frame costs), and the
// frame the motion has reached is drawn once for each picture the display
// shows, on an image the size of the window (up to LargestImageSide each
// way), with what changed copied to the window. Between pictures the
// window's events and the ending signals are heard. A resize starts the
// frames again within the window's new bounds, as an erase does on Windows;
// an exposure shows the current frame again.
#pragma once
#include <cstdint>
#include "linux/x11_window.h"
#include "settings/saver_state.h"

// Pictures a second that --fps may ask for; 0 asks for the display's rate.
const int MostPicturesPerSecond = 1000;
// The largest image the frames are drawn on, in pixels each way; the part of
// a larger window beyond it stays black. At this size making the image and
// the first frame take about a tenth of a second, and a frame a few
// milliseconds; twice the size takes four times as long and a gigabyte of
// address space for the display's shared memory.
const int LargestImageSide = 4096;

// How each start of the frames is seeded: from seed every time when fixed,
// else from the clock.
struct SeedChoice {
    bool fixed;
    uint32_t seed;
};

// How the frames ended: by an ending signal (its number, else 0), or with
// the exit code.
struct SaverEnd {
    int signal;
    int exitCode;
};

// Draws until the window goes, the user closes our own window, or an ending
// signal arrives (exit code 0), or, by hand, until nothing can be drawn
// (exit code 1, after one line on stderr). Under a host a failure is said in
// one line and the window stays black until its size changes. Without a
// font in state nothing is drawn: the window stays black. Pictures are drawn
// picturesPerSecond times a second, or, when that is 0, as often as the
// output the window is on refreshes.
SaverEnd RunSaverFrames(SaverWindow* saver, const SaverState* state, SeedChoice seeds, int picturesPerSecond);
