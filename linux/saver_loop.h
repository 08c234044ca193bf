// The native saver's frame loop: the motion steps by the clock
// (animation/pacing: 200 steps a second, whatever a frame costs), and the
// frame the motion has reached is drawn once for each picture the display
// shows (linux/frame_run), on an image the size of the window (up to
// LargestImageSide each way), with what changed copied to the window.
// Between pictures the window's events and the ending signals are heard. A resize starts the
// frames again within the window's new bounds, as an erase does on Windows;
// an exposure shows the current frame again.
#pragma once
#include <cstdint>
#include "linux/frame_run.h"
#include "linux/x11_window.h"
#include "settings/saver_state.h"

// Pictures a second that --fps may ask for; 0 asks for the display's rate.
const int MostPicturesPerSecond = 1000;

// Draws until the window goes, the user closes our own window, or an ending
// signal arrives (exit code 0), or, by hand, until nothing can be drawn
// (exit code 1, after one line on stderr). Under a host a failure is said in
// one line and the window stays black until its size changes. Without a
// font in state nothing is drawn: the window stays black. Pictures are drawn
// picturesPerSecond times a second, or, when that is 0, as often as the
// output the window is on refreshes. frames > 0 makes each start of the
// frames a still of that many steps, held until the end.
SaverEnd RunSaverFrames(SaverWindow* saver, const SaverState* state, SeedChoice seeds, int picturesPerSecond,
                        int64_t frames);
