// The saver's own window procedure: creation loads the settings, every
// background erase (re)starts the animation, destruction stops it. It
// behaves the same in saver and preview mode, and works on g_saverState.
#pragma once
#include <windows.h>
#include "animation/surface.h"

// Acts on WM_CREATE, WM_ERASEBKGND and WM_DESTROY; everything else, creation
// and destruction included, goes on to DefaultSaverProc. WM_ERASEBKGND
// returns 0 and goes no further.
LRESULT SaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Clears the window on surface, ends a run still in progress, and starts a
// new one: font, brush and an AnimationThread below normal priority.
void StartAnimation(Surface surface);

// Asks the thread to stop, waits for it without a time limit, then deletes
// the run's font and brush.
void StopAnimation();
