// A guard for processor faults (Windows structured exceptions) around the
// mode dispatch. The system's UnhandledExceptionFilter decides about a fault
// that reaches the guard, as about a compiled __except: when it says to
// handle it, the frames between the fault and the guard are unwound, their
// cleanup handlers run, and the guard switches the screen-saver-running
// state off and returns instead of the body; when it says to continue,
// execution goes on where the fault happened; otherwise the fault goes on to
// the handlers outside the guard.
#pragma once
#include <cstdint>

typedef int32_t GuardedBody(void* argument);

// Runs body(argument) and returns its result, or faultResult when a fault
// inside it was handled.
int32_t RunGuarded(GuardedBody* body, void* argument, int32_t faultResult);
