// Double precision on the x87 unit, through the C runtime's own call: the
// runtime keeps its view of the control word, and the oldest targets'
// msvcrt.dll exports it. The native test build for Linux uses glibc's.
// Elsewhere (WebAssembly) doubles are always IEEE binary64: nothing to set.
#include "animation/float_model.h"
#if defined(_WIN32)
#include <float.h>
#elif defined(__i386__) || defined(__x86_64__)
#include <fpu_control.h>
#endif

void UseDoublePrecision()
{
#if !defined(__SSE2_MATH__) && defined(_WIN32)
    _controlfp(_PC_53, _MCW_PC);
#elif !defined(__SSE2_MATH__) && (defined(__i386__) || defined(__x86_64__))
    fpu_control_t word;
    _FPU_GETCW(word);
    word = (word & ~_FPU_EXTENDED) | _FPU_DOUBLE;
    _FPU_SETCW(word);
#endif
}
