// How often the display shows a new picture of a window: the refresh rate of
// the output (XRandR's CRTC) that holds the window's centre, so the saver
// draws once per picture the viewer can see and never for nobody.
#pragma once
#include <X11/Xlib.h>

// Where the rate cannot be known (no XRandR, a virtual output without
// timings): what nearly every display runs at.
const double FallbackRefreshRate = 60;

// Pictures per second of the output window is on; FallbackRefreshRate when
// it cannot be known.
double WindowRefreshRate(Display* display, Window window);
