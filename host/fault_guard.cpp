// The fault guard, built from what the oldest targets have: GCC has no
// __try, and vectored handlers do not exist before Windows XP. On 32-bit
// Windows the guard links an exception registration record into the
// thread's handler chain, as compiled __try blocks do; on 64-bit Windows
// the guarding function names its handler in its unwind data. Either way the
// handler asks UnhandledExceptionFilter for the verdict and, to handle the
// fault, puts the thread's handler chain back as the guard found it (the
// system's dispatch links records of its own while a handler runs) and
// jumps back into RunGuarded with __builtin_longjmp. The frames it leaves
// are never resumed: the process ends after the mode.
#include "host/fault_guard.h"
#include <windows.h>
#include "host/closing_policy.h"

namespace {

struct GuardFrame {
#if defined(__i386__)
    // The system's EXCEPTION_REGISTRATION_RECORD: next record, then handler.
    EXCEPTION_REGISTRATION_RECORD* next;
    void* handler;
#endif
    EXCEPTION_REGISTRATION_RECORD* chainAtEntry;
    void* resume[5];                    // __builtin_setjmp's buffer
};

GuardFrame* g_guard = nullptr;          // the guard in force, on the window thread

// The head of the thread's handler chain: ExceptionList, the first field of
// the thread information block that fs (32-bit) or gs (64-bit) addresses.
EXCEPTION_REGISTRATION_RECORD* HandlerChain()
{
    EXCEPTION_REGISTRATION_RECORD* head;
#if defined(__i386__)
    __asm__ __volatile__("movl %%fs:0, %0" : "=r"(head));
#else
    __asm__ __volatile__("movq %%gs:0, %0" : "=r"(head));
#endif
    return head;
}

void SetHandlerChain(EXCEPTION_REGISTRATION_RECORD* head)
{
#if defined(__i386__)
    __asm__ __volatile__("movl %0, %%fs:0" : : "r"(head) : "memory");
#else
    __asm__ __volatile__("movq %0, %%gs:0" : : "r"(head) : "memory");
#endif
}

}  // namespace

// The frame handler, called by the system's exception dispatch for a fault
// inside the guarded body, and again while frames unwind.
extern "C" EXCEPTION_DISPOSITION __cdecl LumivaneGuardHandler(EXCEPTION_RECORD* record, void*, CONTEXT* context,
                                                            void*)
{
    const DWORD unwinding = EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND;
    if ((record->ExceptionFlags & unwinding) != 0 || g_guard == nullptr)
        return ExceptionContinueSearch;
    EXCEPTION_POINTERS pointers = {record, context};
    if (UnhandledExceptionFilter(&pointers) != EXCEPTION_EXECUTE_HANDLER)
        return ExceptionContinueSearch;
    SetSaverRunning(0);
    SetHandlerChain(g_guard->chainAtEntry);
    __builtin_longjmp(g_guard->resume, 1);
}

int32_t RunGuarded(GuardedBody* body, void* argument, int32_t faultResult)
{
#if defined(__x86_64__)
    __asm__ __volatile__(".seh_handler LumivaneGuardHandler, @except");
#endif
    GuardFrame guard;
    GuardFrame* outer = g_guard;
    guard.chainAtEntry = HandlerChain();
    if (__builtin_setjmp(guard.resume) != 0) {
        g_guard = outer;
        return faultResult;
    }
#if defined(__i386__)
    guard.next = guard.chainAtEntry;
    guard.handler = reinterpret_cast<void*>(LumivaneGuardHandler);
    SetHandlerChain(reinterpret_cast<EXCEPTION_REGISTRATION_RECORD*>(&guard));
#endif
    g_guard = &guard;
    int32_t result = body(argument);
    g_guard = outer;
    SetHandlerChain(guard.chainAtEntry);
    return result;
}
