// The fault guard, built from what the oldest targets have: GCC has no
// __try, and vectored handlers do not exist before Windows XP. On 32-bit
// Windows the guard links an exception registration record into the
// thread's handler chain, as compiled __try blocks do; on 64-bit Windows
// the guarding function names its handler in its unwind data. Either way the
// handler asks UnhandledExceptionFilter for the verdict and acts on it as a
// compiled __except would: to go on where the fault happened, it says so to
// the system; to handle the fault, it has the system unwind the frames
// between the fault and the guard, so that their cleanup handlers run, and
// comes back into RunGuarded with __builtin_longjmp. RunGuarded then puts
// the thread's handler chain back as it found it (the system's dispatch
// links records of its own while a handler runs) before the fault's own
// work: the screen-saver-running state switched off.
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

[[noreturn]] void ResumeGuard()
{
    __builtin_longjmp(g_guard->resume, 1);
}

#if defined(__i386__)
// The system calls the handler of every record above the guard's with the
// unwinding flag and takes the records off the chain. RtlUnwind need not
// keep ebx, esi, edi or ebp, and may go on at the address it is given
// rather than return: the call keeps the registers itself and names the
// instruction after it, as compiled __except code does.
[[noreturn]] void UnwindAndResume(void* guardRecord, EXCEPTION_RECORD* record, void*)
{
    void* unwind = reinterpret_cast<void*>(&RtlUnwind);
    __asm__ __volatile__(
        "pushl %%ebp\n\t"
        "pushl $0\n\t"                 // return value
        "pushl %1\n\t"                 // the fault's record
        "pushl $1f\n\t"                // where to go on
        "pushl %0\n\t"                 // the guard's record
        "call *%2\n"
        "1:\n\t"
        "popl %%ebp"
        : "+a"(guardRecord), "+c"(record), "+d"(unwind)
        :
        : "ebx", "esi", "edi", "memory", "cc");
    ResumeGuard();
}
#else
// The system unwinds every frame above RunGuarded's, their unwind handlers
// included, and goes on at ResumeGuard in RunGuarded's frame.
[[noreturn]] void UnwindAndResume(void* establisherFrame, EXCEPTION_RECORD* record, void* dispatcherContext)
{
    DISPATCHER_CONTEXT* dispatch = static_cast<DISPATCHER_CONTEXT*>(dispatcherContext);
    RtlUnwindEx(establisherFrame, reinterpret_cast<void*>(ResumeGuard), record, nullptr, dispatch->ContextRecord,
                dispatch->HistoryTable);
    __builtin_unreachable();
}
#endif

}  // namespace

// The frame handler, called by the system's exception dispatch for a fault
// inside the guarded body, and again while frames unwind.
extern "C" EXCEPTION_DISPOSITION __cdecl LumivaneGuardHandler(EXCEPTION_RECORD* record, void* establisherFrame,
                                                            CONTEXT* context, void* dispatcherContext)
{
    const DWORD unwinding = EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND;
    if ((record->ExceptionFlags & unwinding) != 0 || g_guard == nullptr)
        return ExceptionContinueSearch;
    EXCEPTION_POINTERS pointers = {record, context};
    LONG verdict = UnhandledExceptionFilter(&pointers);
    if (verdict == EXCEPTION_CONTINUE_EXECUTION)
        return ExceptionContinueExecution;
    if (verdict != EXCEPTION_EXECUTE_HANDLER)
        return ExceptionContinueSearch;
    UnwindAndResume(establisherFrame, record, dispatcherContext);
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
        SetHandlerChain(guard.chainAtEntry);
        SetSaverRunning(0);
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
