// The saver window outside the 95 family, run for real: its class and
// place in full screen and in preview, the host's own messages by state, the
// system commands it swallows, the title it keeps, the real cursor that ends
// it, the preview that nothing closes and that hands help to its parent
// without waiting for one that hangs, and the input method taken away and
// given back.
#include <gtest/gtest.h>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>
#include "host/closing_policy.h"
#include "host/host_state.h"
#include "host/saver_window.h"
#include "settings/saver_state.h"
#include "support/closing_window.h"
#include "support/gdi_recorder.h"
#include "support/import_hook.h"
#include "support/preview_parent.h"
#include "support/saver_run.h"
#include "support/scratch_profile.h"

namespace {

// An answer of the default procedure that no real one gives.
const LRESULT DefaultAnswer = 0x5EC;

bool Reached(const std::vector<DefaultCall>& calls, size_t from, UINT message, WPARAM wParam, LPARAM lParam)
{
    for (size_t i = from; i < calls.size(); ++i) {
        if (calls[i].message == message && calls[i].wParam == wParam && calls[i].lParam == lParam)
            return true;
    }
    return false;
}

std::vector<DefaultCall> CallsOf(const std::vector<DefaultCall>& calls, UINT message)
{
    std::vector<DefaultCall> found;
    for (const DefaultCall& call : calls) {
        if (call.message == message)
            found.push_back(call);
    }
    return found;
}

std::string TitleOf(HWND window)
{
    char title[64] = "";
    GetWindowTextA(window, title, sizeof title);
    return title;
}

RECT ScreenClipBox()
{
    RECT box = {};
    HDC screen = GetDC(NULL);
    GetClipBox(screen, &box);
    ReleaseDC(NULL, screen);
    return box;
}

// Sleep on the window thread with 0, counted; every Sleep still sleeps.
DWORD g_windowThread;
int g_yields;
decltype(&Sleep) g_sleep;
void WINAPI CountingSleep(DWORD milliseconds)
{
    if (milliseconds == 0 && GetCurrentThreadId() == g_windowThread)
        ++g_yields;
    g_sleep(milliseconds);
}

class SaverWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(static_cast<DWORD>(VER_PLATFORM_WIN32_NT), ReportedPlatform());
        ASSERT_TRUE(run.Installed());
        ASSERT_TRUE(profile.Installed());
        g_host = InitialHostState();
        g_host.instance = GetModuleHandleA(NULL);
        std::memset(&g_saverState, 0, sizeof g_saverState);
        // The display becomes the process's before any test places the
        // cursor: until then the cursor cannot be placed.
        ReleaseDC(NULL, GetDC(NULL));
    }
    void TearDown() override
    {
        g_host = InitialHostState();
        std::memset(&g_saverState, 0, sizeof g_saverState);
    }

    // What came of one message sent on the window thread.
    struct Sent {
        LRESULT result;
        bool reachedDefault;            // with its arguments unchanged
        bool hidCursor;
        bool yielded;                   // Sleep(0), where the test counts it
        bool closed;                    // a close request was posted (and is taken)
    };
    // Sends a message on the window thread, the default procedure answering
    // DefaultAnswer in the system's place.
    Sent SendAnswered(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        size_t calls = run.defaultCalls.size();
        int hides = run.cursorHides;
        int yields = g_yields;
        run.answerInstead = [](const DefaultCall&, LRESULT* result) {
            *result = DefaultAnswer;
            return true;
        };
        LRESULT result = SendMessageA(window, message, wParam, lParam);
        run.answerInstead = nullptr;
        return {result, Reached(run.defaultCalls, calls, message, wParam, lParam), run.cursorHides > hides,
                g_yields > yields, TakePostedClose(window)};
    }
    // The outcome in words, to compare with a table.
    static std::string Describe(const Sent& sent)
    {
        std::string words = sent.result == DefaultAnswer ? "answer" : std::to_string(sent.result);
        words += sent.reachedDefault ? ", passed on" : "";
        words += sent.hidCursor ? ", cursor hidden" : "";
        words += sent.yielded ? ", yielded" : "";
        words += sent.closed ? ", close posted" : "";
        return words;
    }

    ScratchProfile profile;
    SaverRun run;
};

// LoadIconA, answered with an icon of the system's so that the class's icon
// is known whatever the resources hold.
HINSTANCE g_iconInstance;
const char* g_iconName;
HICON g_icon;
HICON WINAPI RecordLoadIconA(HINSTANCE instance, const char* name)
{
    g_iconInstance = instance;
    g_iconName = name;
    return g_icon;
}

TEST_F(SaverWindowTest, FullScreenWindowCoversTheScreenOnTopAndEndsOnClose)
{
    g_icon = LoadIconA(NULL, IDI_APPLICATION);
    ASSERT_NE(nullptr, g_icon);
    ImportHook iconHook("user32.dll", "LoadIconA", (void*)RecordLoadIconA);
    ASSERT_TRUE(iconHook.Installed());
    GdiRecorder recorder;
    ASSERT_TRUE(recorder.Installed());
    const RECT screen = ScreenClipBox();
    ASSERT_TRUE(SetCursorPos(123, 45));
    g_host.cursorAnchor = {-7, -7};

    LONG_PTR extendedStyle = 0;
    LRESULT closeResult = -1;
    bool goneAtOnce = false;
    // Where creation stood when it reached the default procedure: the
    // host's own creation work is done by then.
    int hidesAtCreation = -1;
    POINT anchorAtCreation = {-1, -1};
    run.answerInstead = [&](const DefaultCall& call, LRESULT*) {
        if (call.message == WM_CREATE) {
            hidesAtCreation = run.cursorHides;
            anchorAtCreation = g_host.cursorAnchor;
        }
        return false;
    };
    int32_t result = run.Run(NULL, [&](HWND window) {
        extendedStyle = GetWindowLongPtrA(window, GWL_EXSTYLE);
        // Outside the 95 family the first close request destroys the window.
        closeResult = SendMessageA(window, WM_CLOSE, 0, 0);
        goneAtOnce = !IsWindow(window);
    });
    EXPECT_FALSE(run.forced);
    EXPECT_EQ(0, result);
    ASSERT_NE(nullptr, run.window);
    EXPECT_EQ(run.window, g_host.saverWindow);

    // The class record.
    ASSERT_EQ(1u, run.classes.size());
    const WNDCLASSA& saverClass = run.classes[0];
    EXPECT_EQ(0x2Bu, saverClass.style) << "CS_VREDRAW, CS_HREDRAW, CS_DBLCLKS, CS_OWNDC";
    EXPECT_EQ(reinterpret_cast<WNDPROC>(SaverWindowProc), saverClass.lpfnWndProc);
    EXPECT_EQ(0, saverClass.cbClsExtra);
    EXPECT_EQ(0, saverClass.cbWndExtra);
    EXPECT_EQ(g_host.instance, saverClass.hInstance);
    EXPECT_EQ(g_icon, saverClass.hIcon);
    EXPECT_EQ(g_host.instance, g_iconInstance);
    EXPECT_EQ(MAKEINTRESOURCEA(100), g_iconName);
    EXPECT_EQ(nullptr, saverClass.hCursor);
    EXPECT_EQ(GetStockObject(BLACK_BRUSH), saverClass.hbrBackground);
    EXPECT_EQ(nullptr, saverClass.lpszMenuName);
    EXPECT_STREQ("WindowsScreenSaverClass", saverClass.lpszClassName);

    // The window asked for, and the window made.
    ASSERT_EQ(1u, run.creations.size());
    const CreateCall& made = run.creations[0];
    EXPECT_EQ(static_cast<DWORD>(WS_EX_TOPMOST), made.extendedStyle);
    EXPECT_EQ("WindowsScreenSaverClass", made.className);
    EXPECT_EQ("Screen Saver", made.title);
    EXPECT_EQ(0x96000000u, made.style);
    EXPECT_EQ(screen.left, made.x);
    EXPECT_EQ(screen.top, made.y);
    EXPECT_EQ(screen.right - screen.left, made.width);
    EXPECT_EQ(screen.bottom - screen.top, made.height);
    EXPECT_EQ(nullptr, made.parent);
    EXPECT_EQ(nullptr, made.menu);
    EXPECT_EQ(g_host.instance, made.instance);
    EXPECT_EQ(nullptr, made.parameter);
    EXPECT_NE(0, extendedStyle & WS_EX_TOPMOST);
    EXPECT_EQ(0, g_host.isPreview);

    // Made the foreground window before the loop asked for a message; the
    // cursor hidden; the anchor read where the cursor stood.
    ASSERT_EQ(1u, run.foreground.size());
    EXPECT_EQ(run.window, run.foreground[0].window);
    EXPECT_EQ(0, run.foreground[0].loopCalls);
    EXPECT_EQ(1, hidesAtCreation);
    EXPECT_EQ(123, anchorAtCreation.x);
    EXPECT_EQ(45, anchorAtCreation.y);
    EXPECT_EQ(123, g_host.cursorAnchor.x);
    EXPECT_EQ(45, g_host.cursorAnchor.y);

    EXPECT_EQ(0, closeResult);
    EXPECT_TRUE(goneAtOnce);
    // The animation ran (the window's first erase) and left nothing behind.
    EXPECT_GT(recorder.Count(GdiCreateFont), 0);
    EXPECT_EQ(0, recorder.LiveObjects());
    EXPECT_EQ(nullptr, g_saverState.thread);
    EXPECT_EQ(nullptr, g_saverState.font);
    EXPECT_EQ(nullptr, g_saverState.brush);
}

TEST_F(SaverWindowTest, FullScreenSwallowsScreenSaveAndWindowSwitchingAndKeepsItsTitle)
{
    // A command that gets past the saver is answered at the default
    // procedure, so the system acts on none of them; SC_CLOSE goes through.
    run.answerInstead = [](const DefaultCall& call, LRESULT* result) {
        if (call.message != WM_SYSCOMMAND || call.wParam == SC_CLOSE)
            return false;
        *result = DefaultAnswer;
        return true;
    };
    struct Case { WPARAM command; bool swallowed; };
    const Case cases[] = {
        {SC_SCREENSAVE, true},      {SC_NEXTWINDOW, true},       {SC_PREVWINDOW, true},
        {SC_SCREENSAVE | 1, false}, {SC_NEXTWINDOW | 2, false},  {SC_PREVWINDOW | 0xF, false},
        {SC_HOTKEY, false},         {SC_TASKLIST, false},        {SC_MINIMIZE, false},
        {SC_KEYMENU, false},        {SC_MONITORPOWER, false},    {SC_MOVE, false},
    };
    const LPARAM where = MAKELPARAM(11, 22);
    std::vector<LRESULT> results;
    BOOL titleSet = TRUE;
    std::string titleAfter;
    bool goneAtOnce = false;
    int32_t result = run.Run(NULL, [&](HWND window) {
        for (const Case& c : cases)
            results.push_back(SendMessageA(window, WM_SYSCOMMAND, c.command, where));
        titleSet = SetWindowTextA(window, "Changed");
        titleAfter = TitleOf(window);
        SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, where);
        goneAtOnce = !IsWindow(window);
    });
    EXPECT_FALSE(run.forced);
    EXPECT_EQ(0, result);

    std::vector<DefaultCall> passedOn = CallsOf(run.defaultCalls, WM_SYSCOMMAND);
    std::vector<WPARAM> expected;
    ASSERT_EQ(std::size(cases), results.size());
    for (size_t i = 0; i < results.size(); ++i) {
        EXPECT_EQ(cases[i].swallowed ? 0 : DefaultAnswer, results[i]) << "command 0x" << std::hex << cases[i].command;
        if (!cases[i].swallowed)
            expected.push_back(cases[i].command);
    }
    expected.push_back(SC_CLOSE);
    std::vector<WPARAM> actual;
    for (const DefaultCall& call : passedOn) {
        actual.push_back(call.wParam);
        EXPECT_EQ(where, call.lParam);
    }
    EXPECT_EQ(expected, actual) << "commands that reached the default procedure, whole";
    // SC_CLOSE became a close request, and that destroyed the window.
    EXPECT_EQ(1u, CallsOf(run.defaultCalls, WM_CLOSE).size());
    EXPECT_TRUE(goneAtOnce);

    EXPECT_FALSE(titleSet);
    EXPECT_EQ("Screen Saver", titleAfter);
    EXPECT_TRUE(CallsOf(run.defaultCalls, WM_SETTEXT).empty());
}

TEST_F(SaverWindowTest, CursorPaintTimerAndInputFollowTheClosingState)
{
    ImportHook sleepHook("kernel32.dll", "Sleep", (void*)CountingSleep);
    ASSERT_TRUE(sleepHook.Installed());
    g_sleep = sleepHook.Original<decltype(&Sleep)>();
    g_windowThread = GetCurrentThreadId();

    struct Row { int32_t closeAllowed; UINT message; WPARAM wParam; LPARAM lParam; const char* outcome; };
    const LPARAM onClient = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
    const Row rows[] = {
        {0, WM_SETCURSOR, 0, onClient, "1, cursor hidden"},
        {0, WM_PAINT, 0, 0, "answer, passed on, cursor hidden"},
        {0, WM_TIMER, 7, 0, "answer, passed on, yielded"},
        {0, WM_KEYDOWN, 'A', 0x001E0001, "answer, passed on, close posted"},
        {0, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6), "answer, passed on, close posted"},
        {1, WM_SETCURSOR, 0, onClient, "answer, passed on"},
        {1, WM_PAINT, 0, 0, "answer, passed on"},
        {1, WM_TIMER, 7, 0, "0"},
        {1, WM_KEYDOWN, 'A', 0x001E0001, "answer, passed on"},
        {1, WM_SYSKEYDOWN, 'B', 0x00300001, "answer, passed on"},
        {1, WM_MOUSEMOVE, 0, MAKELPARAM(900, 700), "answer, passed on"},
        {1, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6), "answer, passed on"},
        {1, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(7, 8), "answer, passed on"},
        {1, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(9, 10), "answer, passed on"},
    };
    std::vector<std::string> outcomes;
    int32_t result = run.Run(NULL, [&](HWND window) {
        SaverRun::OnWindowThread(window, [&] {
            // Far from the cursor, so that a mouse move would close if the
            // rules were asked.
            g_host.cursorAnchor = {-1000, -1000};
            for (const Row& row : rows) {
                g_host.closeAllowed = row.closeAllowed;
                outcomes.push_back(Describe(SendAnswered(window, row.message, row.wParam, row.lParam)));
            }
        });
        SendMessageA(window, WM_CLOSE, 0, 0);
    });
    EXPECT_FALSE(run.forced);
    EXPECT_EQ(0, result);
    ASSERT_EQ(std::size(rows), outcomes.size());
    for (size_t i = 0; i < outcomes.size(); ++i)
        EXPECT_EQ(rows[i].outcome, outcomes[i]) << "closeAllowed " << rows[i].closeAllowed << ", message 0x"
                                                << std::hex << rows[i].message;
    EXPECT_EQ(-1000, g_host.cursorAnchor.x) << "the mouse rule was never asked";
}

std::vector<std::string> g_registered;
decltype(&RegisterWindowMessageA) g_registerMessage;
UINT WINAPI RecordRegisterWindowMessageA(const char* name)
{
    g_registered.push_back(name);
    return g_registerMessage(name);
}

TEST_F(SaverWindowTest, OutsideThe95FamilyNoPasswordOrAutoPlayMessageCounts)
{
    const UINT queryCancelAutoPlay = RegisterWindowMessageA("QueryCancelAutoPlay");
    ASSERT_NE(0u, queryCancelAutoPlay);
    ImportHook registerHook("user32.dll", "RegisterWindowMessageA", (void*)RecordRegisterWindowMessageA);
    ASSERT_TRUE(registerHook.Installed());
    g_registerMessage = registerHook.Original<decltype(&RegisterWindowMessageA)>();
    g_registered.clear();
    const WPARAM wide = static_cast<WPARAM>(UINT64_C(0x1122334455667788));
    struct Case { UINT message; WPARAM wParam; LPARAM lParam; };
    const Case cases[] = {
        {VerifyRequestMessage, wide, 0x22}, {WM_NULL, 0, 0}, {queryCancelAutoPlay, 0, 0},
    };
    std::vector<std::string> outcomes;
    UINT autoPlayMessage = 0xDEAD;
    int32_t result = run.Run(NULL, [&](HWND window) {
        SaverRun::OnWindowThread(window, [&] {
            autoPlayMessage = g_host.autoPlayMessage;
            for (const Case& c : cases)
                outcomes.push_back(Describe(SendAnswered(window, c.message, c.wParam, c.lParam)));
        });
        SendMessageA(window, WM_CLOSE, 0, 0);
    });
    EXPECT_FALSE(run.forced);
    EXPECT_EQ(0, result);
    EXPECT_EQ(0u, autoPlayMessage);
    for (const std::string& name : g_registered)
        EXPECT_NE("QueryCancelAutoPlay", name);
    // Each is just another message: passed on whole, closing nothing.
    EXPECT_EQ(std::vector<std::string>(std::size(cases), "answer, passed on"), outcomes);
    EXPECT_EQ(0, g_host.closeAllowed);
}

const int MoveAttempts = 3;

// The most recent mouse move that reached the default procedure was made at
// this screen position.
bool LastMoveWasAt(const std::vector<DefaultCall>& calls, HWND window, POINT screen)
{
    ScreenToClient(window, &screen);
    for (size_t i = calls.size(); i-- > 0;) {
        if (calls[i].message == WM_MOUSEMOVE)
            return calls[i].lParam == MAKELPARAM(screen.x, screen.y);
    }
    return false;
}

TEST_F(SaverWindowTest, RealMouseMoveOfMoreThanFourPixelsEndsTheSaver)
{
    ASSERT_TRUE(SetCursorPos(500, 400));
    POINT start;
    ASSERT_TRUE(GetCursorPos(&start));
    ASSERT_EQ(500, start.x);
    ASSERT_EQ(400, start.y);

    bool tolerated = false, pendingClose = true, stayed = false, gone = false;
    int32_t result = run.Run(NULL, [&](HWND window) {
        // 2 right and 2 down: 4 pixels are tolerated. A pointer warp made
        // while the new window is not yet mapped reaches no window, so the
        // pointer goes on between two tolerable places until a move arrives.
        const POINT nearer = {501, 401}, tolerable = {502, 402};
        for (int attempt = 0; attempt < MoveAttempts && !tolerated; ++attempt) {
            SetCursorPos(nearer.x, nearer.y);
            SetCursorPos(tolerable.x, tolerable.y);
            tolerated = SaverRun::WaitOnWindowThread(
                window, [&] { return LastMoveWasAt(run.defaultCalls, window, tolerable); });
        }
        stayed = SaverRun::OnWindowThread(window, [&] {
            MSG message;
            pendingClose = PeekMessageA(&message, window, WM_CLOSE, WM_CLOSE, PM_NOREMOVE) != FALSE;
        });
        // 3 right and 2 down: 5 pixels end it.
        SetCursorPos(503, 402);
        gone = SaverRun::WaitUntilGone(window);
    });
    EXPECT_TRUE(tolerated) << "the move to 502,402 never arrived";
    EXPECT_TRUE(stayed);
    EXPECT_FALSE(pendingClose);
    EXPECT_TRUE(gone);
    EXPECT_FALSE(run.forced);
    EXPECT_EQ(0, result);
    EXPECT_EQ(503, g_host.cursorAnchor.x);
    EXPECT_EQ(402, g_host.cursorAnchor.y);
}

TEST_F(SaverWindowTest, PreviewFillsItsParentNeverClosesItselfAndHandsHelpToTheParent)
{
    HWND parent = CreatePreviewParent();
    ASSERT_NE(nullptr, parent);
    RECT parentClient;
    GetClientRect(parent, &parentClient);
    ASSERT_GT(parentClient.right, 0);
    HELPINFO help = {};
    help.cbSize = sizeof help;
    help.iContextType = HELPINFO_WINDOW;
    help.iCtrlId = 77;
    help.dwContextId = 0xC0FFEE;
    help.MousePos = {61, 62};
    // In preview nothing closes the window or hides the cursor; the title
    // stays; help and the context menu are the parent's business.
    struct Row { UINT message; WPARAM wParam; LPARAM lParam; const char* outcome; };
    const Row rows[] = {
        {WM_KEYDOWN, 'A', 0x001E0001, "answer, passed on"},
        {WM_SYSKEYDOWN, 'B', 0x00300001, "answer, passed on"},
        {WM_LBUTTONDOWN, MK_LBUTTON, 0, "answer, passed on"},
        {WM_RBUTTONDOWN, MK_RBUTTON, 0, "answer, passed on"},
        {WM_MBUTTONDOWN, MK_MBUTTON, 0, "answer, passed on"},
        {WM_MOUSEMOVE, 0, MAKELPARAM(3, 4), "answer, passed on"},
        {WM_ACTIVATEAPP, FALSE, 0, "answer, passed on"},
        {WM_POWER, PWR_CRITICALRESUME, 0, "answer, passed on"},
        {WM_POWERBROADCAST, PBT_APMSUSPEND, 0, "answer, passed on"},
        {WM_SHOWWINDOW, TRUE, 0, "answer, passed on"},
        {WM_SETCURSOR, 0, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE), "answer, passed on"},
        {WM_PAINT, 0, 0, "answer, passed on"},
        {WM_TIMER, 1, 0, "answer, passed on"},
        {WM_SYSCOMMAND, SC_SCREENSAVE, 0, "answer, passed on"},
        {WM_SYSCOMMAND, SC_NEXTWINDOW, 0, "answer, passed on"},
        {WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Changed"), "0"},
        {WM_HELP, 0, reinterpret_cast<LPARAM>(&help), "1"},
        {WM_CONTEXTMENU, 0, MAKELPARAM(70, 80), "1"},
    };
    std::vector<std::string> outcomes;
    struct Seen {
        RECT rect;
        LONG_PTR extendedStyle;
        int32_t isPreview;
        std::string title;
    } seen = {};
    bool gone = false;
    int32_t result = run.Run(parent, [&](HWND window) {
        SaverRun::OnWindowThread(window, [&] {
            GetWindowRect(window, &seen.rect);
            MapWindowPoints(NULL, parent, reinterpret_cast<POINT*>(&seen.rect), 2);
            seen.extendedStyle = GetWindowLongPtrA(window, GWL_EXSTYLE);
            seen.isPreview = g_host.isPreview;
            g_host.cursorAnchor = {-1000, -1000};
            for (const Row& row : rows)
                outcomes.push_back(Describe(SendAnswered(window, row.message, row.wParam, row.lParam)));
            seen.title = TitleOf(window);
        });
    // The parent goes away, and the preview with it.
        PostMessageA(parent, WM_CLOSE, 0, 0);
        gone = SaverRun::WaitUntilGone(window);
    });
    EXPECT_FALSE(run.forced);
    EXPECT_EQ(0, result);
    EXPECT_TRUE(gone);
    EXPECT_FALSE(IsWindow(parent));

    // Asked for and made: a child filling the parent's client area.
    ASSERT_EQ(1u, run.creations.size());
    const CreateCall& made = run.creations[0];
    EXPECT_EQ(0u, made.extendedStyle);
    EXPECT_EQ("WindowsScreenSaverClass", made.className);
    EXPECT_EQ("Preview", made.title);
    EXPECT_EQ(0x52000000u, made.style);
    EXPECT_EQ(0, made.x);
    EXPECT_EQ(0, made.y);
    EXPECT_EQ(parentClient.right, made.width);
    EXPECT_EQ(parentClient.bottom, made.height);
    EXPECT_EQ(parent, made.parent);
    EXPECT_EQ(g_host.instance, made.instance);
    EXPECT_EQ(0, seen.rect.left);
    EXPECT_EQ(0, seen.rect.top);
    EXPECT_EQ(parentClient.right, seen.rect.right);
    EXPECT_EQ(parentClient.bottom, seen.rect.bottom);
    EXPECT_EQ(0, seen.extendedStyle & WS_EX_TOPMOST);
    EXPECT_EQ(1, seen.isPreview);
    // Left alone: no foreground, no hidden cursor.
    EXPECT_TRUE(run.foreground.empty());
    EXPECT_EQ(0, run.cursorHides);

    ASSERT_EQ(std::size(rows), outcomes.size());
    for (size_t i = 0; i < outcomes.size(); ++i)
        EXPECT_EQ(rows[i].outcome, outcomes[i]) << "message 0x" << std::hex << rows[i].message;
    EXPECT_EQ("Preview", seen.title);

    // Help and the context menu reached the parent, with its own handle.
    const std::vector<ParentMessage>& reached = PreviewParentMessages();
    ASSERT_EQ(2u, reached.size());
    EXPECT_EQ(static_cast<UINT>(WM_HELP), reached[0].message);
    EXPECT_EQ(reinterpret_cast<WPARAM>(parent), reached[0].wParam);
    EXPECT_EQ(77, reached[0].help.iCtrlId);
    EXPECT_EQ(0xC0FFEEu, reached[0].help.dwContextId);
    EXPECT_EQ(61, reached[0].help.MousePos.x);
    EXPECT_EQ(static_cast<UINT>(WM_CONTEXTMENU), reached[1].message);
    EXPECT_EQ(reinterpret_cast<WPARAM>(parent), reached[1].wParam);
    EXPECT_EQ(MAKELPARAM(70, 80), reached[1].lParam);
}

TEST_F(SaverWindowTest, PreviewHandsHelpOnWithoutWaitingForAParentThatDoesNotAnswer)
{
    // The help record outlives the parent's thread, which may read it late.
    HELPINFO help = {};
    help.cbSize = sizeof help;
    HWND parent = StartRemotePreviewParent();
    LRESULT answer = 0;
    bool parentStillHung = false;
    bool gone = false;
    int32_t result = -2;
    if (parent != NULL) {
        result = run.Run(parent, [&](HWND window) {
            HangRemotePreviewParent();
            answer = SendMessageA(window, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
            parentStillHung = RemotePreviewParentHung();
            // The parent closes, and the preview with it.
            EndRemotePreviewParent();
            gone = SaverRun::WaitUntilGone(window);
        });
    }
    EndRemotePreviewParent();
    ASSERT_NE(nullptr, parent);
    EXPECT_FALSE(run.forced);
    EXPECT_EQ(0, result);
    EXPECT_EQ(1, answer);
    EXPECT_TRUE(parentStillHung) << "help waited until the parent answered";
    EXPECT_TRUE(gone);
}

// The input method: "IMM32.DLL" hidden or shown, its entry point handed out
// as a recording stand-in or withheld.
struct AssociateCall {
    HWND window;
    HANDLE context;
    bool windowAlive;
};
std::vector<AssociateCall> g_associateCalls;
HANDLE g_windowContext;
bool g_hideLibrary, g_hideEntry;
std::vector<HMODULE> g_entryLookups;
decltype(&GetModuleHandleA) g_getModuleHandle;
decltype(&GetProcAddress) g_getProcAddress;

HANDLE WINAPI RecordingAssociateContext(HWND window, HANDLE context)
{
    g_associateCalls.push_back({window, context, IsWindow(window) != FALSE});
    // Detaching answers the window's context; giving it back answers none.
    return context == NULL ? g_windowContext : NULL;
}

HMODULE WINAPI ScriptedGetModuleHandleA(const char* name)
{
    if (g_hideLibrary && name != NULL && lstrcmpiA(name, "IMM32.DLL") == 0)
        return NULL;
    return g_getModuleHandle(name);
}

FARPROC WINAPI ScriptedGetProcAddress(HMODULE module, const char* name)
{
    if (IS_INTRESOURCE(name) || std::strcmp(name, "ImmAssociateContext") != 0)
        return g_getProcAddress(module, name);
    g_entryLookups.push_back(module);
    return g_hideEntry ? NULL : reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(RecordingAssociateContext));
}

TEST_F(SaverWindowTest, InputMethodIsDetachedAtCreationAndGivenBackAtDestruction)
{
    // The library must be in the process for the first case to mean anything.
    HMODULE imm = LoadLibraryA("imm32.dll");
    ASSERT_NE(nullptr, imm);
    // Each original is known before the next hook is made: making one
    // looks up the program's own module.
    ImportHook moduleHook("kernel32.dll", "GetModuleHandleA", (void*)ScriptedGetModuleHandleA);
    g_getModuleHandle = moduleHook.Original<decltype(&GetModuleHandleA)>();
    ImportHook procHook("kernel32.dll", "GetProcAddress", (void*)ScriptedGetProcAddress);
    g_getProcAddress = procHook.Original<decltype(&GetProcAddress)>();
    ASSERT_TRUE(moduleHook.Installed());
    ASSERT_TRUE(procHook.Installed());
    const HANDLE context = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x1C0DE));

    struct Case {
        const char* name;
        bool hideLibrary, hideEntry;
        HANDLE windowContext;
        size_t lookups;
        std::vector<HANDLE> passed;     // the contexts given, in order
    };
    const Case cases[] = {
        {"in the process", false, false, context, 1, {NULL, context}},
        {"not in the process", true, false, context, 0, {}},
        {"entry point missing", false, true, context, 1, {}},
        {"no context to give back", false, false, NULL, 1, {NULL}},
    };
    for (const Case& c : cases) {
        g_hideLibrary = c.hideLibrary;
        g_hideEntry = c.hideEntry;
        g_windowContext = c.windowContext;
        g_associateCalls.clear();
        g_entryLookups.clear();
        g_host = InitialHostState();
        g_host.instance = GetModuleHandleA(NULL);
        int32_t result = run.Run(NULL, [](HWND window) { SendMessageA(window, WM_CLOSE, 0, 0); });
        EXPECT_FALSE(run.forced) << c.name;
        EXPECT_EQ(0, result) << c.name;
        ASSERT_EQ(c.lookups, g_entryLookups.size()) << c.name;
        if (c.lookups == 1) {
            EXPECT_EQ(imm, g_entryLookups[0]) << c.name;
        }
        std::vector<HANDLE> passed;
        for (const AssociateCall& call : g_associateCalls) {
            passed.push_back(call.context);
            EXPECT_EQ(run.window, call.window) << c.name;
            EXPECT_TRUE(call.windowAlive) << c.name;
        }
        EXPECT_EQ(c.passed, passed) << c.name;
        EXPECT_EQ(c.hideLibrary ? NULL : imm, g_host.imeLibrary) << c.name;
    }
    g_hideLibrary = false;
    g_hideEntry = false;
    FreeLibrary(imm);
}

}  // namespace
