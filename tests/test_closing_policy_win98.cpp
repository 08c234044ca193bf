// The closing policy on the 95 family: the desktop's password setting, the
// stand-in "PASSWORD.CPL" asked through real close requests to a real
// window, the retry interval on a scripted tick, re-entrance while the
// verifier's dialog is open, and the system's screen-saver-running state.
#include <gtest/gtest.h>
#include <cstring>
#include <vector>
#include "host/closing_policy.h"
#include "host/host_state.h"
#include "support/closing_window.h"
#include "support/import_hook.h"
#include "fixtures/stand_ins.h"

namespace {

// SystemParametersInfoA, recorded and not passed on: the values given for
// the screen-saver-running state, in order.
std::vector<UINT> g_runningStates;
BOOL WINAPI RecordSystemParameters(UINT action, UINT value, PVOID previous, UINT winIni)
{
    EXPECT_EQ(static_cast<UINT>(SPI_SETSCREENSAVERRUNNING), action);
    EXPECT_NE(nullptr, previous);
    EXPECT_EQ(0u, winIni);
    g_runningStates.push_back(value);
    return TRUE;
}

DWORD g_tick;
DWORD WINAPI ScriptedGetTickCount()
{
    return g_tick;
}

POINT g_cursor;
BOOL WINAPI ScriptedGetCursorPos(POINT* position)
{
    *position = g_cursor;
    return TRUE;
}

// Failures of the library calls, scripted; otherwise each calls through.
decltype(&LoadLibraryA) g_loadLibrary;
HMODULE WINAPI FailingLoadLibraryA(LPCSTR name)
{
    return lstrcmpiA(name, "PASSWORD.CPL") == 0 ? NULL : g_loadLibrary(name);
}
decltype(&GetProcAddress) g_getProcAddress;
FARPROC WINAPI HidingGetProcAddress(HMODULE module, LPCSTR name)
{
    bool hidden = !IS_INTRESOURCE(name) && lstrcmpA(name, "VerifyScreenSavePwd") == 0;
    return hidden ? NULL : g_getProcAddress(module, name);
}

// Leaves 0xCD where the locals of the next call made from the same frame
// will lie, so a buffer that the call forgets to clear reads as non-zero.
__attribute__((noinline)) void PoisonStack()
{
    volatile unsigned char area[4096];
    for (size_t i = 0; i < sizeof area; ++i)
        area[i] = 0xCD;
}

const std::vector<BYTE> ProtectionOn = {1, 0, 0, 0};

class Family95 : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(static_cast<DWORD>(VER_PLATFORM_WIN32_WINDOWS), ReportedPlatform());
        ASSERT_TRUE(systemParametersHook.Installed());
        ASSERT_TRUE(tickHook.Installed());
        ASSERT_TRUE(cursorHook.Installed());
        ASSERT_TRUE(SetDllDirectoryA(FixtureDirectory().c_str()));
        g_host = InitialHostState();
        g_host.is95Family = 1;
        g_host.autoPlayMessage = RegisterWindowMessageA("QueryCancelAutoPlay");
        ASSERT_NE(0u, g_host.autoPlayMessage);
        window = CreateClosingTestWindow(NULL);
        ASSERT_NE(nullptr, window);
        g_runningStates.clear();
        PumpMessages();
    }
    void TearDown() override
    {
        UnloadPasswordVerifier();
        if (IsWindow(window))
            DestroyWindow(window);
        PumpMessages();
        g_host = InitialHostState();
        SetDllDirectoryA(NULL);
    }
    // Protection on and the stand-in loaded as the verifier, with its record
    // cleared and the given script.
    VerifierRecord* LoadStandIn(VerifyScript script)
    {
        EXPECT_TRUE(setting.Set(REG_DWORD, ProtectionOn));
        LoadPasswordVerifier();
        if (g_host.passwordLibrary == NULL || g_host.verifyPassword == NULL)
            return NULL;
        auto recordOf = reinterpret_cast<VerifierRecordProc>(
            reinterpret_cast<void (*)()>(GetProcAddress(g_host.passwordLibrary, "VerifierStandIn")));
        VerifierRecord* record = recordOf();
        record->script = script;
        record->calls = 0;
        record->window = NULL;
        return record;
    }

    ImportHook systemParametersHook{"user32.dll", "SystemParametersInfoA", reinterpret_cast<void*>(RecordSystemParameters)};
    ImportHook tickHook{"kernel32.dll", "GetTickCount", reinterpret_cast<void*>(ScriptedGetTickCount)};
    ImportHook cursorHook{"user32.dll", "GetCursorPos", reinterpret_cast<void*>(ScriptedGetCursorPos)};
    RegistryValueGuard setting{"Control Panel\\Desktop", "ScreenSaveUsePassword"};
    HWND window = NULL;
};

TEST_F(Family95, PasswordSettingIsReadAsFourBytes)
{
    struct Case { const char* name; bool present; DWORD type; std::vector<BYTE> data; bool on; };
    const Case cases[] = {
        {"absent", false, 0, {}, false},
        {"zero", true, REG_DWORD, {0, 0, 0, 0}, false},
        {"one", true, REG_DWORD, {1, 0, 0, 0}, true},
        {"highest byte only", true, REG_DWORD, {0, 0, 0, 1}, true},
        {"one byte, set", true, REG_BINARY, {1}, true},
        {"one byte, clear", true, REG_BINARY, {0}, false},     // the other three bytes must read 0
        {"two bytes, clear", true, REG_BINARY, {0, 0}, false},
        {"two bytes, second set", true, REG_BINARY, {0, 1}, true},
        {"longer than four bytes", true, REG_BINARY, {1, 0, 0, 0, 0}, false},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(c.present ? setting.Set(c.type, c.data) : setting.Remove()) << c.name;
        g_runningStates.clear();
        PoisonStack();
        LoadPasswordVerifier();
        EXPECT_EQ(c.on, g_host.passwordLibrary != NULL) << c.name;
        EXPECT_EQ(c.on, g_host.verifyPassword != NULL) << c.name;
        EXPECT_EQ(c.on, GetModuleHandleA("PASSWORD.CPL") != NULL) << c.name;
        const std::vector<UINT> whileLoaded = c.on ? std::vector<UINT>{1} : std::vector<UINT>();
        EXPECT_EQ(whileLoaded, g_runningStates) << c.name;
        UnloadPasswordVerifier();
        EXPECT_EQ(nullptr, GetModuleHandleA("PASSWORD.CPL")) << c.name;
        const std::vector<UINT> afterUnload = c.on ? std::vector<UINT>{1, 0} : std::vector<UINT>();
        EXPECT_EQ(afterUnload, g_runningStates) << c.name;
    }
}

TEST_F(Family95, ProtectionOffLetsTheFirstCloseThrough)
{
    ASSERT_TRUE(setting.Set(REG_DWORD, {0, 0, 0, 0}));
    LoadPasswordVerifier();
    EXPECT_EQ(nullptr, g_host.passwordLibrary);
    EXPECT_EQ(nullptr, GetModuleHandleA("PASSWORD.CPL"));
    // With no verifier the verify request answers "allowed" itself.
    EXPECT_EQ(1, SendMessageA(window, VerifyRequestMessage, 0, 0));
    EXPECT_EQ(0, SendMessageA(window, WM_CLOSE, 0, 0));
    EXPECT_EQ(1, g_host.closeAllowed);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(NoVerifyYet, g_host.lastVerifyTick);
    EXPECT_TRUE(g_runningStates.empty());
}

void LoadWithoutLibrary()
{
    ImportHook hook("kernel32.dll", "LoadLibraryA", reinterpret_cast<void*>(FailingLoadLibraryA));
    ASSERT_TRUE(hook.Installed());
    g_loadLibrary = hook.Original<decltype(&LoadLibraryA)>();
    LoadPasswordVerifier();
}

void LoadWithoutEntryPoint()
{
    ImportHook hook("kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(HidingGetProcAddress));
    ASSERT_TRUE(hook.Installed());
    g_getProcAddress = hook.Original<decltype(&GetProcAddress)>();
    LoadPasswordVerifier();
}

TEST_F(Family95, RunningStateIsOnExactlyWhileAnEntryPointIsHeld)
{
    ASSERT_TRUE(setting.Set(REG_DWORD, ProtectionOn));
    struct Step { const char* name; void (*act)(); std::vector<UINT> states; bool held; };
    const Step steps[] = {
        {"load", LoadPasswordVerifier, {1}, true},
        {"load again", LoadPasswordVerifier, {0, 1}, true},
        {"unload", UnloadPasswordVerifier, {0}, false},
        {"unload again", UnloadPasswordVerifier, {}, false},
        {"load, library missing", LoadWithoutLibrary, {}, false},
        {"load, entry point missing", LoadWithoutEntryPoint, {}, false},
        {"load once more", LoadPasswordVerifier, {1}, true},
        {"unload at the end", UnloadPasswordVerifier, {0}, false},
    };
    for (const Step& s : steps) {
        g_runningStates.clear();
        s.act();
        EXPECT_EQ(s.states, g_runningStates) << s.name;
        EXPECT_EQ(s.held, g_host.verifyPassword != NULL) << s.name;
        EXPECT_EQ(s.held, g_host.passwordLibrary != NULL) << s.name;
        // A library without its entry point is freed again at once.
        EXPECT_EQ(s.held, GetModuleHandleA("PASSWORD.CPL") != NULL) << s.name;
    }
}

// What the scripted verifier saw while its dialog was "open".
struct DialogView {
    int32_t verifying;
    int32_t closeAllowed;
    int pendingTimers;
};
DialogView g_view;
BOOL g_verdict;
const DWORD DialogDuration = 5000;

BOOL WINAPI ObservingVerifier(HWND window)
{
    g_view.verifying = g_host.verifying;
    g_view.closeAllowed = g_host.closeAllowed;
    g_view.pendingTimers = 0;
    MSG message;
    while (PeekMessageA(&message, window, WM_TIMER, WM_TIMER, PM_REMOVE))
        ++g_view.pendingTimers;
    g_tick += DialogDuration;           // the user takes a while
    return g_verdict;
}

TEST_F(Family95, VerdictOfTheVerifierDecidesTheClose)
{
    VerifierRecord* record = LoadStandIn(ObservingVerifier);
    ASSERT_NE(nullptr, record);
    HCURSOR arrow = LoadCursor(NULL, IDC_ARROW);
    const POINT cursor = {640, 480};
    const POINT staleAnchor = {1, 1};
    // Any non-zero verdict allows the close, and is kept as given.
    struct Case { BOOL verdict; bool destroyed; };
    const Case cases[] = {{TRUE, true}, {2, true}, {FALSE, false}};
    for (const Case& c : cases) {
        if (!IsWindow(window))
            window = CreateClosingTestWindow(NULL);
        ASSERT_NE(nullptr, window);
        g_host.closeAllowed = 0;
        g_host.lastVerifyTick = NoVerifyYet;
        g_host.cursorAnchor = staleAnchor;
        g_cursor = cursor;
        g_tick = 1000;
        g_verdict = c.verdict;
        record->calls = 0;
        std::memset(&g_view, 0xCD, sizeof g_view);
        for (int i = 0; i < 3; ++i)
            PostMessageA(window, WM_TIMER, i + 1, 0);
        SetCursor(arrow);

        EXPECT_EQ(0, SendMessageA(window, WM_CLOSE, 0, 0));
        EXPECT_EQ(1, record->calls) << c.verdict;
        EXPECT_EQ(window, record->window) << c.verdict;
        EXPECT_EQ(1, g_view.verifying) << c.verdict;
        EXPECT_EQ(0, g_view.closeAllowed) << c.verdict;
        EXPECT_EQ(1, g_view.pendingTimers) << "of three queued ticks, two are dropped";
        EXPECT_EQ(c.destroyed, !IsWindow(window)) << c.verdict;
        EXPECT_EQ(c.verdict, g_host.closeAllowed);
        EXPECT_EQ(0, g_host.verifying);
        EXPECT_EQ(1000 + DialogDuration, g_host.lastVerifyTick) << "measured from the dialog's end";
        // A refusal hides the cursor again and takes a fresh anchor.
        EXPECT_EQ(c.destroyed ? arrow : NULL, GetCursor()) << c.verdict;
        POINT anchor = c.destroyed ? staleAnchor : cursor;
        EXPECT_EQ(anchor.x, g_host.cursorAnchor.x) << c.verdict;
        EXPECT_EQ(anchor.y, g_host.cursorAnchor.y) << c.verdict;
        PumpMessages();
    }
}

TEST_F(Family95, RefusedVerificationHoldsOffTheNextForTheRetryInterval)
{
    VerifierRecord* record = LoadStandIn(NULL);     // refuses every password
    ASSERT_NE(nullptr, record);
    // Ticks since the end of the last verification; the counter wraps on
    // the way.
    struct Step { DWORD delay; bool dialog; };
    const Step steps[] = {
        {100, false}, {199, false}, {200, true}, {0, false}, {300, true},
        {150, false}, {60000, true}, {1, false},
    };
    DWORD lastEnd = 0xFFFFFF00;
    g_tick = lastEnd;
    ASSERT_EQ(0, SendMessageA(window, WM_CLOSE, 0, 0));
    ASSERT_EQ(1, record->calls) << "the first request always verifies";
    ASSERT_EQ(lastEnd, g_host.lastVerifyTick);
    for (const Step& s : steps) {
        g_tick = lastEnd + s.delay;
        g_cursor = {static_cast<LONG>(s.delay), 7};
        g_host.cursorAnchor = {-1, -1};
        LONG callsBefore = record->calls;
        EXPECT_EQ(0, SendMessageA(window, WM_CLOSE, 0, 0));
        EXPECT_EQ(s.dialog ? callsBefore + 1 : callsBefore, record->calls) << "after " << s.delay << " ms";
        EXPECT_TRUE(IsWindow(window));
        // Swallowed either way: the anchor is taken afresh.
        EXPECT_EQ(g_cursor.x, g_host.cursorAnchor.x) << "after " << s.delay << " ms";
        if (s.dialog)
            lastEnd = g_tick;
        EXPECT_EQ(lastEnd, g_host.lastVerifyTick) << "after " << s.delay << " ms";
    }
}

// Messages that reach the saver window while the verifier's dialog is open.
struct Inner { UINT message; WPARAM wParam; LRESULT result; bool closes; };
std::vector<Inner> g_inner;
std::vector<LRESULT> g_innerResults;
std::vector<bool> g_innerCloses;
bool g_aliveAfterClose;
LONG g_nestedCalls;
VerifierRecord* g_record;

BOOL WINAPI ReenteredVerifier(HWND window)
{
    // The dialog's loop dispatches a close request posted meanwhile.
    g_cursor = {77, 66};
    PostMessageA(window, WM_CLOSE, 0, 0);
    PumpMessages();
    g_aliveAfterClose = IsWindow(window) != 0;
    g_nestedCalls = g_record->calls;
    g_cursor = {900, 900};              // far enough to close, were the rules listening
    for (const Inner& inner : g_inner) {
        g_innerResults.push_back(SendMessageA(window, inner.message, inner.wParam, 0));
        g_innerCloses.push_back(TakePostedClose(window));
    }
    return TRUE;
}

TEST_F(Family95, CloseRequestDuringTheDialogIsSwallowed)
{
    g_record = LoadStandIn(ReenteredVerifier);
    ASSERT_NE(nullptr, g_record);
    g_inner = {
        {WM_KEYDOWN, 'A', 0, false},
        {WM_LBUTTONDOWN, MK_LBUTTON, 0, false},
        {WM_MOUSEMOVE, 0, 0, false},
        {WM_ACTIVATEAPP, 0, 0, false},
        {WM_POWERBROADCAST, 0, 0, false},
        {WM_SETCURSOR, 0, 0, false},            // the default procedure answers
        {g_host.autoPlayMessage, 0, 1, true},   // still closes, and cancels AutoPlay
    };
    g_innerResults.clear();
    g_innerCloses.clear();
    g_tick = 500;
    g_host.cursorAnchor = {0, 0};

    EXPECT_EQ(0, SendMessageA(window, WM_CLOSE, 0, 0));
    EXPECT_TRUE(g_aliveAfterClose);
    EXPECT_EQ(1, g_nestedCalls) << "no second dialog inside the first";
    EXPECT_EQ(77, g_host.cursorAnchor.x) << "the swallowed close re-reads the anchor";
    ASSERT_EQ(g_inner.size(), g_innerResults.size());
    for (size_t i = 0; i < g_inner.size(); ++i) {
        EXPECT_EQ(g_inner[i].result, g_innerResults[i]) << "message 0x" << std::hex << g_inner[i].message;
        EXPECT_EQ(g_inner[i].closes, g_innerCloses[i]) << "message 0x" << std::hex << g_inner[i].message;
    }
    // The verdict came after all that: the window is gone.
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(1, g_record->calls);
}

TEST_F(Family95, QueryCancelAutoPlayClosesInEveryState)
{
    HWND preview = CreateClosingTestWindow(window);
    ASSERT_NE(nullptr, preview);
    struct Case { const char* name; bool verifier; int32_t isPreview, closeAllowed; LRESULT reply; };
    const Case cases[] = {
        {"running without verifier", false, 0, 0, 0},
        {"preview", false, 1, 0, 0},
        {"running with verifier", true, 0, 0, 1},
        {"closing allowed with verifier", true, 0, 1, 1},
    };
    for (const Case& c : cases) {
        if (c.verifier && g_host.verifyPassword == NULL) {
            ASSERT_NE(nullptr, LoadStandIn(NULL));
        }
        g_host.isPreview = c.isPreview;
        g_host.closeAllowed = c.closeAllowed;
        HWND target = c.isPreview ? preview : window;
        EXPECT_EQ(c.reply, SendMessageA(target, g_host.autoPlayMessage, 0, 0)) << c.name;
        EXPECT_TRUE(TakePostedClose(target)) << c.name;
        EXPECT_TRUE(IsWindow(target)) << c.name;
    }
}

}  // namespace
