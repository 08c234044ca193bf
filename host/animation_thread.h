// The animation thread: draws frame after frame on the saver window until
// the stop flag of its SaverState is set. A thin loop around the frames of
// animation/frame, which other hosts drive the same way.
#pragma once
#include <windows.h>
#include "animation/frame.h"

const DWORD FrameSleep = 5;             // milliseconds after each frame
const DWORD AnimationExitCode = 1;

// Thread entry: parameter is the SaverState. Starts the frames on the
// window's client area, seeded from the tick count, then draws a frame on
// the window's own device context, sleeps, and ends after the frame in which
// it finds the stop flag set; returns AnimationExitCode.
DWORD WINAPI AnimationThread(void* parameter);
