// A run of the saver window under a test's control. RunSaverWindow runs on
// the calling thread, which so becomes the window thread; once its message
// loop has started, a script runs on a second thread with the saver window.
// The script reaches into the window thread with OnWindowThread: the call
// travels the window's whole chain of procedures as a message of its own and
// runs at the end of it, in DefWindowProcA. A run that the script leaves
// going is ended by the test (its loop quit, its window destroyed) and
// reported as forced, so no test can hang on it.
//
// While it lives, the object hooks the test program's imports of
// DefWindowProcA, GetMessageA, RegisterClassA, CreateWindowExA,
// SetForegroundWindow and SetCursor, records what is asked of them, and can
// fail the registration of the saver's class, the creation of its window or
// the message loop. One at a time.
#pragma once
#include <windows.h>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include "support/import_hook.h"

// A message that reached DefWindowProcA for a window of the saver's class.
struct DefaultCall {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// The arguments of one CreateWindowExA call.
struct CreateCall {
    DWORD extendedStyle;
    std::string className;
    std::string title;
    DWORD style;
    int x, y, width, height;
    HWND parent;
    HMENU menu;
    HINSTANCE instance;
    void* parameter;
};

// One SetForegroundWindow call, and how often the loop had asked for a
// message by then.
struct ForegroundCall {
    HWND window;
    int loopCalls;
};

// How long the test waits for the window thread before it gives up.
const DWORD RunWaitLimit = 10000;

class SaverRun {
public:
    SaverRun();
    ~SaverRun();
    SaverRun(const SaverRun&) = delete;
    SaverRun& operator=(const SaverRun&) = delete;

    bool Installed() const;

    // RunSaverWindow(parent) and its result. script(window) runs on a second
    // thread once the loop has started, not at all when it never starts.
    // Clears the records first; afterwards the saver's class is unregistered
    // so that the next run can register it again.
    int32_t Run(HWND parent, const std::function<void(HWND window)>& script);

    // For the script: runs call on the window thread, at the end of the
    // chain, and waits for it; false when the window is gone.
    static bool OnWindowThread(HWND window, const std::function<void()>& call);
    // Waits, bounded, until condition holds on the window thread; false when
    // it never does or the window goes away first.
    static bool WaitOnWindowThread(HWND window, const std::function<bool()>& condition);
    // Waits, bounded, until the window is gone.
    static bool WaitUntilGone(HWND window);

    // Set before a run.
    bool failRegisterClass = false;     // RegisterClassA of the saver's class answers 0
    bool failCreateWindow = false;      // CreateWindowExA of the saver's class answers null
    bool failMessageLoop = false;       // the window thread's first GetMessageA answers -1
    // Asked for every DefaultCall; when it answers true, DefWindowProcA is
    // not called and *result is the answer instead.
    std::function<bool(const DefaultCall& call, LRESULT* result)> answerInstead;

    // What the last run did. Written on the window thread: read them after
    // Run, or from OnWindowThread.
    HWND window = NULL;                 // the saver window when the loop started
    int loopCalls = 0;                  // GetMessageA calls of the window thread
    bool loopEnded = false;             // GetMessageA has answered 0 (or -1)
    bool forced = false;                // the test had to end the run
    std::vector<DefaultCall> defaultCalls;
    std::vector<WNDCLASSA> classes;     // every RegisterClassA, any class
    std::vector<CreateCall> creations;  // every CreateWindowExA, any class
    std::vector<ForegroundCall> foreground;
    int cursorHides = 0;                // SetCursor(NULL) on the window thread

private:
    static DWORD WINAPI Drive(void* run);

    std::unique_ptr<ImportHook> hooks_[6];
    const std::function<void(HWND)>* script_ = nullptr;
    DWORD windowThread_ = 0;
    HANDLE loopStarted_ = NULL;
    HANDLE runEnded_ = NULL;

    friend struct SaverRunHooks;
};
