// Where the process begins and ends: the mode named on the command line is
// launched inside the fault guard, and its result is the exit code.
#pragma once
#include <windows.h>
#include <cstdint>

const int32_t InvalidModeExitCode = -1;     // unknown switch, "a" outside the 95 family, no preview window
const int32_t FaultExitCode = -1;           // the guard handled a processor fault

// Reads the command line, runs SaverMain and ends the process with its
// result; the runtime library's own exit processing does not run.
[[noreturn]] void SaverStartup();

// Records the instance, tests the system family, then reads the switch and
// launches its mode inside the fault guard. Returns the exit code.
int32_t SaverMain(HINSTANCE instance, const char* argumentText);

// The preview inside window handle; InvalidModeExitCode when it is 0 or no
// window.
int32_t RunPreview(uint32_t handle);

// The configuration dialog owned by owner (or none): 1 after OK, 0 after
// Cancel or when the dialog hook refuses.
int32_t RunConfigure(HWND owner);

// The change-password request, owned by window handle or the foreground
// window. Always 0.
int32_t RunChangePassword(uint32_t handle);
