// The settings record, together with the handles of the one animation run
// that draws from it. Two static instances live for the whole process: the
// saver window's and the configuration dialog's.
#pragma once
#include <windows.h>
#include <cstdint>

const int TextCapacity = 256;           // 255 characters and the terminating NUL

struct SaverState {
    HWND window;
    HANDLE thread;                      // the running AnimationThread, or null
    DWORD threadId;
    volatile LONG stop;                 // written and read with Interlocked calls only
    int32_t method;                     // DrawMethod; values outside 0..2 are kept as read
    char text[TextCapacity];
    COLORREF color;
    int32_t cycle;                      // 0 or 1 after a load
    int32_t speed;
    LOGFONTA logFont;
    HFONT font;
    HBRUSH brush;
};

extern SaverState g_saverState;         // the saver window's instance
extern SaverState g_dialogState;        // the configuration dialog's instance

// The stop flag crosses threads: the window thread writes it, the animation
// thread reads it once per frame; no lock, but no data race either.
inline void SetStopFlag(SaverState* state, LONG value) { InterlockedExchange(&state->stop, value); }
inline LONG ReadStopFlag(SaverState* state) { return InterlockedCompareExchange(&state->stop, 0, 0); }
