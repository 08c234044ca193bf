// The closing rules on a system outside the 95 family, driven with real
// messages to a real window whose procedure is DefaultSaverProc; the
// change-password request against a stand-in "MPR.DLL".
#include <gtest/gtest.h>
#include <climits>
#include <cstring>
#include <vector>
#include "host/closing_policy.h"
#include "host/host_state.h"
#include "support/closing_window.h"
#include "support/import_hook.h"
#include "fixtures/stand_ins.h"

namespace {

// Scripted cursor for the GetCursorPos hook.
POINT g_cursor;
BOOL g_cursorReadable;
BOOL WINAPI ScriptedGetCursorPos(POINT* position)
{
    // A failed read leaves rubbish behind, as a careless caller would find it.
    *position = g_cursorReadable ? g_cursor : POINT{5000, -5000};
    return g_cursorReadable;
}

LONG g_verifierCalls;
BOOL WINAPI CountingVerifier(HWND)
{
    ++g_verifierCalls;
    return TRUE;
}

LONG g_systemParametersCalls;
BOOL WINAPI CountSystemParameters(UINT, UINT, PVOID, UINT)
{
    ++g_systemParametersCalls;
    return TRUE;
}

class ClosingPolicy : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_host = InitialHostState();
        window = CreateClosingTestWindow(NULL);
        ASSERT_NE(nullptr, window);
        PumpMessages();
    }
    void TearDown() override
    {
        if (IsWindow(window))
            DestroyWindow(window);
        PumpMessages();
        g_host = InitialHostState();
    }
    HWND window = NULL;
};

struct MessageCase { UINT message; WPARAM wParam; bool closes; };

// Input, activation and power messages with the verdict of the table; every
// one that closes appears here, and the near misses beside them.
const MessageCase InputCases[] = {
    {WM_KEYDOWN, 'A', true},          {WM_SYSKEYDOWN, VK_F4, true},
    {WM_LBUTTONDOWN, MK_LBUTTON, true}, {WM_RBUTTONDOWN, MK_RBUTTON, true},
    {WM_MBUTTONDOWN, MK_MBUTTON, true},
    {WM_ACTIVATEAPP, 0, true},        {WM_ACTIVATEAPP, 1, false},
    {WM_POWER, PWR_CRITICALRESUME, true}, {WM_POWER, PWR_SUSPENDREQUEST, false},
    {WM_POWER, PWR_SUSPENDRESUME, false},
    {WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, true}, {WM_POWERBROADCAST, PBT_APMSUSPEND, true},
    {WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, true}, {WM_POWERBROADCAST, 0xFFFF, true},
    {WM_KEYUP, 'A', false},           {WM_SYSKEYUP, VK_F4, false},
    {WM_CHAR, 'a', false},            {WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), false},
    {WM_LBUTTONDBLCLK, MK_LBUTTON, false}, {WM_RBUTTONDBLCLK, MK_RBUTTON, false},
    {WM_MBUTTONDBLCLK, MK_MBUTTON, false},
    {WM_LBUTTONUP, 0, false},         {WM_RBUTTONUP, 0, false},   {WM_MBUTTONUP, 0, false},
    {WM_SHOWWINDOW, TRUE, false},     {WM_ACTIVATE, WA_INACTIVE, false},
    {WM_KILLFOCUS, 0, false},         {WM_NULL, 0, false},
};

TEST_F(ClosingPolicy, OnlyTheMessagesOfTheTableClose)
{
    for (const MessageCase& c : InputCases) {
        SendMessageA(window, c.message, c.wParam, 0);
        EXPECT_EQ(c.closes, TakePostedClose(window)) << "message 0x" << std::hex << c.message << " wParam " << c.wParam;
        EXPECT_TRUE(IsWindow(window));
    }
}

TEST_F(ClosingPolicy, PreviewVerificationAndAllowedCloseIgnoreInput)
{
    // The cursor far from the anchor, so a mouse move would close if the
    // rules listened.
    g_cursorReadable = TRUE;
    g_cursor = {900, 700};
    ImportHook cursorHook("user32.dll", "GetCursorPos", reinterpret_cast<void*>(ScriptedGetCursorPos));
    ASSERT_TRUE(cursorHook.Installed());
    HWND preview = CreateClosingTestWindow(window);
    ASSERT_NE(nullptr, preview);

    struct State { const char* name; HWND target; int32_t isPreview, verifying, closeAllowed; };
    const State states[] = {
        {"preview", preview, 1, 0, 0},
        {"verifying", window, 0, 1, 0},
        {"closing allowed", window, 0, 0, 1},
    };
    for (const State& s : states) {
        g_host.isPreview = s.isPreview;
        g_host.verifying = s.verifying;
        g_host.closeAllowed = s.closeAllowed;
        for (const MessageCase& c : InputCases) {
            SendMessageA(s.target, c.message, c.wParam, 0);
            EXPECT_FALSE(TakePostedClose(s.target)) << s.name << ": message 0x" << std::hex << c.message;
        }
        SendMessageA(s.target, WM_MOUSEMOVE, 0, 0);
        EXPECT_FALSE(TakePostedClose(s.target)) << s.name << ": mouse move";
        EXPECT_EQ(0, g_host.cursorAnchor.x) << s.name;
    }
    DestroyWindow(preview);
}

TEST_F(ClosingPolicy, MouseRuleMeasuresTheRealCursorFromTheAnchor)
{
    // Each step moves the real cursor and sends a mouse move; the anchor
    // moves only when a step closes, so slow drift adds up.
    struct Step { LONG x, y; bool closes; LONG anchorX, anchorY; };
    const Step steps[] = {
        {502, 402, false, 500, 400},  // 2 right, 2 down: 4 is tolerated
        {503, 402, true, 503, 402},   // 3 right, 2 down
        {503, 402, false, 503, 402},
        {504, 403, false, 503, 402},  // drift of 1 and 1
        {505, 404, false, 503, 402},  // 2 and 2 from the anchor
        {506, 404, true, 506, 404},   // 3 and 2 from the anchor
        {504, 402, false, 506, 404},  // 2 left, 2 up
        {503, 402, true, 503, 402},   // 3 left, 2 up
        {503, 407, true, 503, 407},   // 5 down alone
    };
    g_host.cursorAnchor = {500, 400};
    for (const Step& s : steps) {
        ASSERT_TRUE(SetCursorPos(s.x, s.y));
        POINT actual;
        ASSERT_TRUE(GetCursorPos(&actual));
        ASSERT_EQ(s.x, actual.x);
        ASSERT_EQ(s.y, actual.y);
        // The message's own coordinates are nonsense on purpose: only the
        // cursor position counts.
        SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(30000, 30000));
        EXPECT_EQ(s.closes, TakePostedClose(window)) << "cursor " << s.x << "," << s.y;
        EXPECT_EQ(s.anchorX, g_host.cursorAnchor.x) << "cursor " << s.x << "," << s.y;
        EXPECT_EQ(s.anchorY, g_host.cursorAnchor.y) << "cursor " << s.x << "," << s.y;
    }
}

TEST_F(ClosingPolicy, MouseDistanceHoldsForEveryCoordinateAndAFailedRead)
{
    ImportHook cursorHook("user32.dll", "GetCursorPos", reinterpret_cast<void*>(ScriptedGetCursorPos));
    ASSERT_TRUE(cursorHook.Installed());
    struct Case { POINT anchor; POINT cursor; BOOL readable; bool closes; };
    const Case cases[] = {
        {{-2, -2}, {0, 0}, TRUE, false},
        {{-3, -2}, {0, 0}, TRUE, true},
        {{0, 0}, {-2, 2}, TRUE, false},
        {{INT_MIN, 0}, {INT_MAX, 0}, TRUE, true},           // a signed difference overflows
        {{INT_MAX, INT_MIN}, {INT_MIN, INT_MAX}, TRUE, true},
        {{INT_MIN, 0}, {INT_MAX, 5}, TRUE, true},           // a wrapping sum would come to 4
        {{INT_MIN, INT_MIN}, {INT_MIN + 2, INT_MIN + 2}, TRUE, false},
        {{100, 100}, {100, 100}, FALSE, false},             // locked desktop: nothing read
        {{INT_MIN, INT_MAX}, {0, 0}, FALSE, false},
    };
    for (const Case& c : cases) {
        g_host.cursorAnchor = c.anchor;
        g_cursor = c.cursor;
        g_cursorReadable = c.readable;
        SendMessageA(window, WM_MOUSEMOVE, 0, 0);
        EXPECT_EQ(c.closes, TakePostedClose(window)) << c.anchor.x << "," << c.anchor.y << " to " << c.cursor.x << "," << c.cursor.y;
        POINT expected = c.closes ? c.cursor : c.anchor;
        EXPECT_EQ(expected.x, g_host.cursorAnchor.x);
        EXPECT_EQ(expected.y, g_host.cursorAnchor.y);
    }
}

TEST_F(ClosingPolicy, SetCursorHidesTheCursorOnlyWhileRunningFullScreen)
{
    HWND preview = CreateClosingTestWindow(window);
    ASSERT_NE(nullptr, preview);
    HCURSOR arrow = LoadCursor(NULL, IDC_ARROW);
    ASSERT_NE(nullptr, arrow);
    // Full screen and running, the rule answers; everywhere else the default
    // procedure does, which finds no class cursor and leaves the cursor be.
    struct Case { const char* name; HWND target; int32_t isPreview, verifying, closeAllowed; LRESULT result; bool hidden; };
    const Case cases[] = {
        {"running", window, 0, 0, 0, 1, true},
        {"preview", preview, 1, 0, 0, 0, false},
        {"verifying", window, 0, 1, 0, 0, false},
        {"closing allowed", window, 0, 0, 1, 0, false},
    };
    for (const Case& c : cases) {
        g_host.isPreview = c.isPreview;
        g_host.verifying = c.verifying;
        g_host.closeAllowed = c.closeAllowed;
        SetCursor(arrow);
        EXPECT_EQ(c.result, SendMessageA(c.target, WM_SETCURSOR, reinterpret_cast<WPARAM>(c.target), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE))) << c.name;
        EXPECT_EQ(c.hidden ? NULL : arrow, GetCursor()) << c.name;
        // Being shown hides the cursor in the same states; being hidden never.
        SetCursor(arrow);
        SendMessageA(c.target, WM_SHOWWINDOW, TRUE, 0);
        EXPECT_EQ(c.hidden ? NULL : arrow, GetCursor()) << c.name << ": shown";
        SetCursor(arrow);
        SendMessageA(c.target, WM_SHOWWINDOW, FALSE, 0);
        EXPECT_EQ(arrow, GetCursor()) << c.name << ": hidden";
    }
    DestroyWindow(preview);
}

TEST_F(ClosingPolicy, OutsideThe95FamilyNoPasswordMachineryRuns)
{
    // A verifier entry point and a password setting are present, yet this
    // family never asks.
    RegistryValueGuard setting("Control Panel\\Desktop", "ScreenSaveUsePassword");
    ASSERT_TRUE(setting.Set(REG_DWORD, {1, 0, 0, 0}));
    ImportHook spiHook("user32.dll", "SystemParametersInfoA", reinterpret_cast<void*>(CountSystemParameters));
    ASSERT_TRUE(spiHook.Installed());
    g_systemParametersCalls = 0;
    LoadPasswordVerifier();
    EXPECT_EQ(nullptr, g_host.passwordLibrary);
    EXPECT_EQ(nullptr, g_host.verifyPassword);
    SetSaverRunning(1);
    SetSaverRunning(0);
    EXPECT_EQ(0, g_systemParametersCalls);

    g_verifierCalls = 0;
    g_host.verifyPassword = CountingVerifier;
    // The private verify request is just another message here.
    EXPECT_EQ(0, SendMessageA(window, VerifyRequestMessage, 0, 0));
    // "QueryCancelAutoPlay" is never registered: message 0 must not count.
    EXPECT_EQ(0, SendMessageA(window, WM_NULL, 0, 0));
    EXPECT_FALSE(TakePostedClose(window));
    // The first close request destroys the window, without a verification
    // and without marking closing as allowed.
    EXPECT_EQ(0, SendMessageA(window, WM_CLOSE, 0, 0));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(0, g_host.closeAllowed);
    EXPECT_EQ(0, g_verifierCalls);
    g_host.verifyPassword = NULL;
}

TEST(TicksBetween, RightAcrossTheWrap)
{
    struct Case { DWORD earlier, later, between; };
    const Case cases[] = {
        {100, 300, 200},
        {0, 0, 0},
        {0xFFFFFFFF, 0, 1},
        {0xFFFFFF9C, 100, 200},
        {0xFFFFFF00, 0xFFFFFFFF, 0xFF},
        {5, 4, 0xFFFFFFFF},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.between, TicksBetween(c.earlier, c.later)) << c.earlier << " to " << c.later;
}

// Hooks on the library calls of ChangePassword: a scripted failure, and a
// record of what was freed. Each calls through to the function it replaces.
decltype(&LoadLibraryA) g_loadLibrary;
decltype(&GetProcAddress) g_getProcAddress;
decltype(&FreeLibrary) g_freeLibrary;
const char* g_failLibrary;
HMODULE WINAPI ScriptedLoadLibraryA(LPCSTR name)
{
    return g_failLibrary != NULL && lstrcmpiA(name, g_failLibrary) == 0 ? NULL : g_loadLibrary(name);
}
const char* g_hideEntry;
FARPROC WINAPI ScriptedGetProcAddress(HMODULE module, LPCSTR name)
{
    bool hidden = g_hideEntry != NULL && !IS_INTRESOURCE(name) && lstrcmpA(name, g_hideEntry) == 0;
    return hidden ? NULL : g_getProcAddress(module, name);
}
std::vector<HMODULE> g_freed;
BOOL WINAPI RecordingFreeLibrary(HMODULE module)
{
    g_freed.push_back(module);
    return g_freeLibrary(module);
}

TEST(ChangePassword, AsksTheServiceForTheScreenSaverProvider)
{
    MprStandIn mpr;
    HMODULE standIn = mpr.Module();
    ChangePasswordRecord* record = mpr.Record();
    ASSERT_NE(nullptr, standIn);
    ASSERT_NE(nullptr, record) << "the built-in library was loaded instead of the stand-in";
    ASSERT_EQ(standIn, GetModuleHandleA("MPR.DLL"));

    ImportHook loadHook("kernel32.dll", "LoadLibraryA", reinterpret_cast<void*>(ScriptedLoadLibraryA));
    ImportHook procHook("kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(ScriptedGetProcAddress));
    ImportHook freeHook("kernel32.dll", "FreeLibrary", reinterpret_cast<void*>(RecordingFreeLibrary));
    ASSERT_TRUE(loadHook.Installed());
    ASSERT_TRUE(procHook.Installed());
    ASSERT_TRUE(freeHook.Installed());
    g_loadLibrary = loadHook.Original<decltype(&LoadLibraryA)>();
    g_getProcAddress = procHook.Original<decltype(&GetProcAddress)>();
    g_freeLibrary = freeHook.Original<decltype(&FreeLibrary)>();

    HWND owner = CreateClosingTestWindow(NULL);
    ASSERT_NE(nullptr, owner);
    struct Case { const char* name; const char* failLibrary; const char* hideEntry; LONG calls; size_t freed; };
    const Case cases[] = {
        {"service present", NULL, NULL, 1, 1},
        {"library missing", "MPR.DLL", NULL, 0, 0},
        {"entry point missing", NULL, "PwdChangePasswordA", 0, 1},
    };
    for (const Case& c : cases) {
        g_failLibrary = c.failLibrary;
        g_hideEntry = c.hideEntry;
        g_freed.clear();
        std::memset(record, 0xCD, sizeof *record);
        record->calls = 0;
        ChangePassword(owner);
        EXPECT_EQ(c.calls, record->calls) << c.name;
        ASSERT_EQ(c.freed, g_freed.size()) << c.name;
        if (c.freed == 1) {
            EXPECT_EQ(standIn, g_freed[0]) << c.name;
        }
        if (c.calls == 1) {
            EXPECT_STREQ("SCRSAVE", record->provider);
            EXPECT_EQ(owner, record->owner);
            EXPECT_EQ(0u, record->reserved1);
            EXPECT_EQ(0u, record->reserved2);
        }
    }
    g_failLibrary = NULL;
    g_hideEntry = NULL;
    DestroyWindow(owner);
    // Every load was matched by a free: only the test's own reference is left.
    EXPECT_TRUE(FreeLibrary(standIn));
    EXPECT_EQ(nullptr, GetModuleHandleA("MPR.DLL"));
}

}  // namespace
