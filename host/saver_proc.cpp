// One animation run at a time: the thread and the font and brush it draws
// with are created together and released together, and the font and brush
// only after the thread has ended, so it never draws with a deleted object.
#include "host/saver_proc.h"
#include "host/animation_thread.h"
#include "host/closing_policy.h"
#include "settings/profile.h"

void StartAnimation(Surface surface)
{
    SaverState* state = &g_saverState;
    RECT client;
    GetClientBounds(state->window, &client);
    FillSurfaceRect(surface, &client, GetBlackBrush());

    if (state->thread != NULL || state->font != NULL || state->brush != NULL)
        StopAnimation();

    SetStopFlag(state, 0);
    state->font = CreateSurfaceFont(&state->logFont);
    state->brush = CreateColorBrush(state->color);
    state->thread = CreateThread(NULL, 0, AnimationThread, state, 0, &state->threadId);
    if (state->thread != NULL)
        SetThreadPriority(state->thread, THREAD_PRIORITY_BELOW_NORMAL);
}

void StopAnimation()
{
    SaverState* state = &g_saverState;
    SetStopFlag(state, 1);
    if (state->thread != NULL) {
        WaitForSingleObject(state->thread, INFINITE);
        CloseHandle(state->thread);
    }
    if (state->font != NULL)
        DeleteSurfaceFont(state->font);
    if (state->brush != NULL)
        DeleteSurfaceBrush(state->brush);
    state->thread = NULL;
    state->font = NULL;
    state->brush = NULL;
}

LRESULT SaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        ResetSaverState(window);
        return DefaultSaverProc(window, message, wParam, lParam);
    case WM_ERASEBKGND:
        StartAnimation(reinterpret_cast<Surface>(wParam));
        return 0;
    case WM_DESTROY:
        StopAnimation();
        return DefaultSaverProc(window, message, wParam, lParam);
    default:
        return DefaultSaverProc(window, message, wParam, lParam);
    }
}
