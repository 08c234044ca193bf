// The fault guard: a processor fault anywhere inside the guarded body, also
// inside a window procedure that the system calls, comes back as the fault
// result once the system's UnhandledExceptionFilter says to handle it, after
// the frames in between have run their cleanup; a verdict to continue goes
// on where the fault happened; the guard can be used again afterwards and
// guards nest.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "host/fault_guard.h"
#include "host/host_state.h"
#include "support/import_hook.h"
#include "support/test_window.h"

// What was asked of the guard's filter and of the handler of a frame
// between the fault and the guard, in order.
static std::vector<std::string> g_events;

// The handler of that frame: it handles nothing, and notes whether it was
// asked during the search for a handler or to clean up.
extern "C" EXCEPTION_DISPOSITION __cdecl LumivaneTestCleanupHandler(EXCEPTION_RECORD* record, void*, CONTEXT*,
                                                                  void*)
{
    g_events.push_back((record->ExceptionFlags & EXCEPTION_UNWINDING) != 0 ? "cleanup" : "search");
    return ExceptionContinueSearch;
}

namespace {

const int32_t Faulted = -77;
const DWORD TestExceptionCode = 0xE0001234;

int32_t Fault()
{
    volatile int* nowhere = nullptr;
    *nowhere = 1;
    return 5;
}

int32_t FaultDirectly(void*) { return Fault(); }
int32_t ReturnArgument(void* argument) { return *static_cast<int32_t*>(argument); }

LRESULT CALLBACK FaultingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP)
        Fault();
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateFaultingWindow()
{
    const TestWindowClass faultingClass = {"LumivaneFaultingWindow", FaultingWindowProc, 0, NULL};
    return CreateTestClassWindow(faultingClass, "", WS_POPUP, 0, 0, 10, 10, NULL);
}

// Sent: the system calls the procedure from inside SendMessageA.
int32_t FaultInSentMessage(void* window)
{
    SendMessageA(static_cast<HWND>(window), WM_APP, 0, 0);
    return 5;
}

// Posted: the procedure runs inside DispatchMessageA of a message loop.
int32_t FaultInMessageLoop(void* window)
{
    PostMessageA(static_cast<HWND>(window), WM_APP, 0, 0);
    PostQuitMessage(0);
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0)
        DispatchMessageA(&message);
    return 5;
}

// A fault inside a frame with a handler of its own: on 32-bit Windows a
// registration record in the thread's handler chain, on 64-bit Windows the
// handler named in the function's unwind data.
__attribute__((noinline)) int32_t FaultInCleanupFrame(void*)
{
#if defined(__i386__)
    struct { void* next; void* handler; } frame;
    __asm__ __volatile__("movl %%fs:0, %0" : "=r"(frame.next));
    frame.handler = reinterpret_cast<void*>(LumivaneTestCleanupHandler);
    __asm__ __volatile__("movl %0, %%fs:0" : : "r"(&frame) : "memory");
    int32_t result = Fault();
    __asm__ __volatile__("movl %0, %%fs:0" : : "r"(frame.next) : "memory");
    return result;
#else
    __asm__ __volatile__(".seh_handler LumivaneTestCleanupHandler, @except, @unwind");
    return Fault() + 1;
#endif
}

// An exception that may be continued: RaiseException returns when it is.
int32_t RaiseThenGoOn(void*)
{
    RaiseException(TestExceptionCode, 0, 0, nullptr);
    g_events.push_back("went on");
    return 5;
}

int32_t InnerGuardThenFault(void*)
{
    int32_t inner = RunGuarded(FaultDirectly, nullptr, 11);
    return inner == 11 ? Fault() : 0;
}

// The verdict the system gives, and what it was asked.
std::vector<DWORD> g_filteredCodes;
LONG g_verdict = EXCEPTION_EXECUTE_HANDLER;

LONG WINAPI RecordingFilter(EXCEPTION_POINTERS* pointers)
{
    g_filteredCodes.push_back(pointers->ExceptionRecord->ExceptionCode);
    g_events.push_back("verdict");
    return g_verdict;
}

TEST(FaultGuard, FaultsAnywhereInTheBodyComeBackAsTheFaultResult)
{
    ImportHook filter("kernel32.dll", "UnhandledExceptionFilter", (void*)RecordingFilter);
    ASSERT_TRUE(filter.Installed());
    g_filteredCodes.clear();
    HWND window = CreateFaultingWindow();
    ASSERT_NE(nullptr, window);

    int32_t value = 42;
    EXPECT_EQ(42, RunGuarded(ReturnArgument, &value, Faulted));
    EXPECT_TRUE(g_filteredCodes.empty()) << "no fault, no verdict";

    struct Case { const char* name; GuardedBody* body; void* argument; };
    const Case cases[] = {
        {"direct", FaultDirectly, nullptr},
        {"sent message", FaultInSentMessage, window},
        {"message loop", FaultInMessageLoop, window},
        {"direct again", FaultDirectly, nullptr},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Faulted, RunGuarded(c.body, c.argument, Faulted)) << c.name;
    EXPECT_EQ(std::vector<DWORD>(4, EXCEPTION_ACCESS_VIOLATION), g_filteredCodes);

    // After the faults the guard still returns ordinary results.
    EXPECT_EQ(42, RunGuarded(ReturnArgument, &value, Faulted));
    DestroyWindow(window);
}

TEST(FaultGuard, FramesBetweenTheFaultAndTheGuardCleanUpBeforeItReturns)
{
    ImportHook filter("kernel32.dll", "UnhandledExceptionFilter", (void*)RecordingFilter);
    ASSERT_TRUE(filter.Installed());
    g_events.clear();
    EXPECT_EQ(Faulted, RunGuarded(FaultInCleanupFrame, nullptr, Faulted));
    // As around a compiled __except: the search finds the guard, the guard
    // asks for the verdict, then the frame in between cleans up.
    EXPECT_EQ((std::vector<std::string>{"search", "verdict", "cleanup"}), g_events);

    // Its record is off the chain: the next fault asks it nothing.
    g_events.clear();
    EXPECT_EQ(Faulted, RunGuarded(FaultDirectly, nullptr, Faulted));
    EXPECT_EQ(std::vector<std::string>{"verdict"}, g_events);
}

TEST(FaultGuard, AVerdictToContinueGoesOnWhereTheExceptionWasRaised)
{
    ImportHook filter("kernel32.dll", "UnhandledExceptionFilter", (void*)RecordingFilter);
    ASSERT_TRUE(filter.Installed());
    g_filteredCodes.clear();
    g_events.clear();
    g_verdict = EXCEPTION_CONTINUE_EXECUTION;
    int32_t result = RunGuarded(RaiseThenGoOn, nullptr, Faulted);
    g_verdict = EXCEPTION_EXECUTE_HANDLER;
    EXPECT_EQ(5, result);
    EXPECT_EQ(std::vector<DWORD>{TestExceptionCode}, g_filteredCodes);
    EXPECT_EQ((std::vector<std::string>{"verdict", "went on"}), g_events);
}

TEST(FaultGuard, GuardsNest)
{
    ImportHook filter("kernel32.dll", "UnhandledExceptionFilter", (void*)RecordingFilter);
    ASSERT_TRUE(filter.Installed());
    g_filteredCodes.clear();
    // The inner guard handles the first fault; the second, after it has
    // ended, reaches the outer one.
    EXPECT_EQ(Faulted, RunGuarded(InnerGuardThenFault, nullptr, Faulted));
    EXPECT_EQ(2u, g_filteredCodes.size());
}

TEST(FaultGuard, SwitchesTheSaverRunningStateOffOnlyOnThe95Family)
{
    // Outside the 95 family the state is never touched.
    struct Call { UINT action; UINT parameter; };
    static std::vector<Call> calls;
    static ImportHook* spiHook = nullptr;
    struct Recorder {
        static BOOL WINAPI Record(UINT action, UINT parameter, PVOID data, UINT flags)
        {
            calls.push_back({action, parameter});
            return spiHook->Original<decltype(&SystemParametersInfoA)>()(action, parameter, data, flags);
        }
    };
    ImportHook spi("user32.dll", "SystemParametersInfoA", (void*)Recorder::Record);
    ImportHook filter("kernel32.dll", "UnhandledExceptionFilter", (void*)RecordingFilter);
    ASSERT_TRUE(spi.Installed());
    ASSERT_TRUE(filter.Installed());
    spiHook = &spi;

    g_host = InitialHostState();
    calls.clear();
    EXPECT_EQ(Faulted, RunGuarded(FaultDirectly, nullptr, Faulted));
    EXPECT_TRUE(calls.empty());

    g_host.is95Family = 1;
    calls.clear();
    EXPECT_EQ(Faulted, RunGuarded(FaultDirectly, nullptr, Faulted));
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(static_cast<UINT>(SPI_SETSCREENSAVERRUNNING), calls[0].action);
    EXPECT_EQ(0u, calls[0].parameter);
    g_host = InitialHostState();
}

}  // namespace
