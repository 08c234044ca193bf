// The mode switch that the system's screen-saver launcher puts on the
// command line, read into a ModeRequest. Pure logic: no system calls.
#pragma once
#include <cstdint>

enum Mode {
    ModeConfigureNoOwner,   // no switch at all: the dialog without an owner
    ModeConfigure,          // "c": the dialog, owned by handle or the foreground window
    ModeSaver,              // "s": full screen
    ModePreview,            // "p" or "l": inside the window in handle
    ModeChangePassword,     // "a" on the 95 family: owned by handle or the foreground window
    ModeInvalid             // anything else: the process ends with -1
};

struct ModeRequest {
    Mode mode;
    uint32_t handle;        // window handle value; 0 means none
};

// Reads the first switch of the argument text. The change-password switch
// exists only when is95Family is 1.
ModeRequest ReadModeSwitch(const char* argumentText, int32_t is95Family);

// The value of the leading decimal digits of text, 0 when there are none.
// Nothing is skipped first; the arithmetic is unsigned 32-bit and wraps.
uint32_t ParseWindowHandle(const char* text);
