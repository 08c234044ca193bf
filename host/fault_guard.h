// A guard for processor faults (Windows structured exceptions) around the
// mode dispatch. The system's UnhandledExceptionFilter decides about a fault
// that reaches the guard: when it says to handle it, the guard switches the
// screen-saver-running state off and returns instead of the body.
#pragma once
#include <cstdint>

typedef int32_t GuardedBody(void* argument);

// Runs body(argument) and returns its result, or faultResult when a fault
// inside it was handled.
int32_t RunGuarded(GuardedBody* body, void* argument, int32_t faultResult);
