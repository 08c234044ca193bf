// The settings record, together with the handles of the one animation run
// that draws from it. Two static instances live for the whole process: the
// saver window's and the configuration dialog's. The settings and the run's
// font and brush are the same on every system; the window, the thread and
// its stop flag belong to the Windows host.
#pragma once
#include <cstdint>
#include "animation/surface.h"

const int TextCharacters = 255;
#ifdef _WIN32
const int TextCapacity = TextCharacters + 1;    // a byte a character, and the NUL
const int FaceNameCharacters = LF_FACESIZE - 1;
#else
const int TextCapacity = TextCharacters * MostUtf8Bytes + 1;
#endif

struct SaverState {
#ifdef _WIN32
    HWND window;
    HANDLE thread;                      // the running AnimationThread, or null
    DWORD threadId;
    volatile LONG stop;                 // written and read with Interlocked calls only
#endif
    int32_t method;                     // DrawMethod; values outside 0..2 are kept as read
    char text[TextCapacity];            // the ANSI code page on Windows, UTF-8 elsewhere
    Color color;
    int32_t cycle;                      // 0 or 1 after a load
    int32_t speed;
    FontDescription logFont;
    SurfaceFont font;
    SurfaceBrush brush;
};

extern SaverState g_saverState;         // the saver window's instance
extern SaverState g_dialogState;        // the configuration dialog's instance

#ifdef _WIN32
// The stop flag crosses threads: the window thread writes it, the animation
// thread reads it once per frame; no lock, but no data race either.
inline void SetStopFlag(SaverState* state, LONG value) { InterlockedExchange(&state->stop, value); }
inline LONG ReadStopFlag(SaverState* state) { return InterlockedCompareExchange(&state->stop, 0, 0); }
#endif
