// The hooks and the two threads of a controlled saver run.
#include "support/saver_run.h"
#include <cstring>
#include "host/host_state.h"
#include "host/saver_window.h"

namespace {

SaverRun* g_run = nullptr;
// The message that carries an OnWindowThread call down the chain.
UINT g_callMessage = 0;
const DWORD PollInterval = 10;

enum HookIndex { HookDefault, HookGetMessage, HookRegisterClass, HookCreateWindow, HookForeground, HookCursor };

bool IsSaverClass(const char* name)
{
    return name != NULL && !IS_INTRESOURCE(name) && std::strcmp(name, SaverClassName) == 0;
}

bool IsSaverWindow(HWND window)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return IsSaverClass(name);
}

}  // namespace

struct SaverRunHooks {
    template <typename F> static F Original(HookIndex index) { return g_run->hooks_[index]->Original<F>(); }

    static bool OnWindowThread() { return GetCurrentThreadId() == g_run->windowThread_; }

    static LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == g_callMessage && g_callMessage != 0) {
            (*reinterpret_cast<const std::function<void()>*>(lParam))();
            return 1;
        }
        if (IsSaverWindow(window)) {
            DefaultCall call = {message, wParam, lParam};
            g_run->defaultCalls.push_back(call);
            LRESULT answer = 0;
            if (g_run->answerInstead && g_run->answerInstead(call, &answer))
                return answer;
        }
        return Original<decltype(&::DefWindowProcA)>(HookDefault)(window, message, wParam, lParam);
    }

    static BOOL WINAPI GetMessageA(MSG* message, HWND window, UINT first, UINT last)
    {
        bool firstCall = false;
        if (OnWindowThread() && ++g_run->loopCalls == 1) {
            firstCall = true;
            g_run->window = g_host.saverWindow;
            SetEvent(g_run->loopStarted_);
        }
        BOOL result = firstCall && g_run->failMessageLoop
                          ? -1
                          : Original<decltype(&::GetMessageA)>(HookGetMessage)(message, window, first, last);
        if (result <= 0 && OnWindowThread())
            g_run->loopEnded = true;
        return result;
    }

    static ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass)
    {
        g_run->classes.push_back(*windowClass);
        if (g_run->failRegisterClass && IsSaverClass(windowClass->lpszClassName)) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return 0;
        }
        return Original<decltype(&::RegisterClassA)>(HookRegisterClass)(windowClass);
    }

    static HWND WINAPI CreateWindowExA(DWORD extendedStyle, LPCSTR className, LPCSTR title, DWORD style, int x,
                                       int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                                       LPVOID parameter)
    {
        CreateCall call = {extendedStyle, IS_INTRESOURCE(className) ? "#atom" : className,
                           title != NULL ? title : "", style, x, y, width, height, parent, menu, instance, parameter};
        g_run->creations.push_back(call);
        if (g_run->failCreateWindow && IsSaverClass(className)) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return NULL;
        }
        return Original<decltype(&::CreateWindowExA)>(HookCreateWindow)(
            extendedStyle, className, title, style, x, y, width, height, parent, menu, instance, parameter);
    }

    static BOOL WINAPI SetForegroundWindow(HWND window)
    {
        g_run->foreground.push_back({window, g_run->loopCalls});
        return Original<decltype(&::SetForegroundWindow)>(HookForeground)(window);
    }

    static HCURSOR WINAPI SetCursor(HCURSOR cursor)
    {
        if (cursor == NULL && OnWindowThread())
            ++g_run->cursorHides;
        return Original<decltype(&::SetCursor)>(HookCursor)(cursor);
    }
};

SaverRun::SaverRun()
{
    g_run = this;
    g_callMessage = RegisterWindowMessageA("LumivaneTestWindowThreadCall");
    hooks_[HookDefault].reset(new ImportHook("user32.dll", "DefWindowProcA", (void*)SaverRunHooks::DefWindowProcA));
    hooks_[HookGetMessage].reset(new ImportHook("user32.dll", "GetMessageA", (void*)SaverRunHooks::GetMessageA));
    hooks_[HookRegisterClass].reset(new ImportHook("user32.dll", "RegisterClassA", (void*)SaverRunHooks::RegisterClassA));
    hooks_[HookCreateWindow].reset(new ImportHook("user32.dll", "CreateWindowExA", (void*)SaverRunHooks::CreateWindowExA));
    hooks_[HookForeground].reset(new ImportHook("user32.dll", "SetForegroundWindow", (void*)SaverRunHooks::SetForegroundWindow));
    hooks_[HookCursor].reset(new ImportHook("user32.dll", "SetCursor", (void*)SaverRunHooks::SetCursor));
    windowThread_ = GetCurrentThreadId();
}

SaverRun::~SaverRun()
{
    for (auto& hook : hooks_)
        hook.reset();
    g_run = nullptr;
}

bool SaverRun::Installed() const
{
    for (const auto& hook : hooks_) {
        if (!hook->Installed())
            return false;
    }
    return g_callMessage != 0;
}

int32_t SaverRun::Run(HWND parent, const std::function<void(HWND)>& script)
{
    window = NULL;
    loopCalls = 0;
    loopEnded = false;
    forced = false;
    defaultCalls.clear();
    classes.clear();
    creations.clear();
    foreground.clear();
    cursorHides = 0;
    script_ = &script;
    windowThread_ = GetCurrentThreadId();
    loopStarted_ = CreateEventA(NULL, TRUE, FALSE, NULL);
    runEnded_ = CreateEventA(NULL, TRUE, FALSE, NULL);
    HANDLE driver = CreateThread(NULL, 0, Drive, this, 0, NULL);

    int32_t result = RunSaverWindow(parent);
    SetEvent(runEnded_);
    // The script may still be sending to this thread while it finishes.
    while (MsgWaitForMultipleObjects(1, &driver, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG message;
        PeekMessageA(&message, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    CloseHandle(driver);
    CloseHandle(loopStarted_);
    CloseHandle(runEnded_);

    if (window != NULL && IsWindow(window)) {
        forced = true;
        DestroyWindow(window);
    }
    // Whatever the run left queued (its quit message among it) must not
    // reach the next one.
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        if (message.message != WM_QUIT)
            DispatchMessageA(&message);
    }
    UnregisterClassA(SaverClassName, g_host.instance);
    return result;
}

DWORD WINAPI SaverRun::Drive(void* parameter)
{
    SaverRun* run = static_cast<SaverRun*>(parameter);
    HANDLE either[] = {run->loopStarted_, run->runEnded_};
    if (WaitForMultipleObjects(2, either, FALSE, RunWaitLimit) == WAIT_OBJECT_0)
        (*run->script_)(run->window);
    if (WaitForSingleObject(run->runEnded_, RunWaitLimit) == WAIT_TIMEOUT) {
        run->forced = true;
        PostThreadMessageA(run->windowThread_, WM_QUIT, 0, 0);
        WaitForSingleObject(run->runEnded_, RunWaitLimit);
    }
    return 0;
}

bool SaverRun::OnWindowThread(HWND window, const std::function<void()>& call)
{
    // On the heap: should the window thread answer only after the wait
    // has given up, the call it runs is still there (and the test has
    // failed already).
    auto* boxed = new std::function<void()>(call);
    DWORD_PTR answer = 0;
    LRESULT sent = SendMessageTimeoutA(window, g_callMessage, 0, reinterpret_cast<LPARAM>(boxed), SMTO_NORMAL,
                                       RunWaitLimit, &answer);
    if (sent == 0 && GetLastError() == ERROR_TIMEOUT)
        return false;
    delete boxed;
    return sent != 0 && answer == 1;
}

bool SaverRun::WaitOnWindowThread(HWND window, const std::function<bool()>& condition)
{
    for (DWORD waited = 0; waited < RunWaitLimit; waited += PollInterval) {
        bool holds = false;
        if (!OnWindowThread(window, [&] { holds = condition(); }))
            return false;
        if (holds)
            return true;
        Sleep(PollInterval);
    }
    return false;
}

bool SaverRun::WaitUntilGone(HWND window)
{
    for (DWORD waited = 0; waited < RunWaitLimit; waited += PollInterval) {
        if (!IsWindow(window))
            return true;
        Sleep(PollInterval);
    }
    return !IsWindow(window);
}
