// The Windows animation thread. The window's device context is taken for
// the drawing part of each frame and given back before the sleep, so the
// window thread can clear the window between frames.
#include "host/animation_thread.h"
#include "animation/float_model.h"

static void StartWindowFrames(Animation* animation, SaverState* state)
{
    RECT bounds;
    GetClientBounds(state->window, &bounds);
    Surface surface = AcquireWindowSurface(state->window);
    StartFrames(animation, state, surface, bounds, GetTickCount());
    ReleaseWindowSurface(state->window, surface);
}

static void DrawWindowFrame(Animation* animation, SaverState* state)
{
    Surface surface = AcquireWindowSurface(state->window);
    DrawFrame(animation, state, surface);
    ReleaseWindowSurface(state->window, surface);
}

DWORD WINAPI AnimationThread(void* parameter)
{
    SaverState* state = static_cast<SaverState*>(parameter);
    UseDoublePrecision();
    // About 40 KB: the thread's default stack holds it for the run's life.
    Animation animation;
    StartWindowFrames(&animation, state);
    do {
        DrawWindowFrame(&animation, state);
        Sleep(FrameSleep);
    } while (ReadStopFlag(state) == 0);
    EndFrames(&animation);
    return AnimationExitCode;
}
