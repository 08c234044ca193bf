// The saver procedure on a real window made the way the saver's is (a
// device context of its own, a black background): creation loads the
// settings, every erase ends the run in progress before it starts the next,
// destruction stops the run and frees what it held, and everything else
// reaches the default handling untouched. The window is a preview as far as
// the closing rules go, so DefaultSaverProc hands every message on to
// DefWindowProcA unchanged and the test sees it there.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>
#include "host/animation_thread.h"
#include "host/saver_proc.h"
#include "host/host_state.h"
#include "support/gdi_recorder.h"
#include "support/import_hook.h"
#include "support/paint_window.h"
#include "support/scratch_profile.h"
#include "support/test_window.h"
#include "support/saver_state_checks.h"

namespace {

const int Width = 320;
const int Height = 200;
const char TestClass[] = "SaverProcTestWindow";
const COLORREF SettingsColor = RGB(200, 100, 50);
const LONG SettingsHeight = -40;
// The longest wait the hooks allow; the code under test waits without one.
const DWORD WaitLimit = 10000;

LRESULT CALLBACK SaverProcWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return SaverProc(window, message, wParam, lParam);
}

bool IsTestWindow(HWND window)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return std::strcmp(name, TestClass) == 0;
}

HWND CreateSaverProcWindow(DWORD visible)
{
    const TestWindowClass saverClass = {TestClass, SaverProcWindow, CS_OWNDC,
                                        static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))};
    return CreateTestClassWindow(saverClass, "saver procedure", WS_POPUP | visible, 0, 0, Width, Height, NULL);
}

// What the window thread asks of the kernel and of FillRect, in order, each
// with its place in the GDI recorder's log so the two can be merged.
struct Step {
    enum Kind { Fill, Start, StartFailed, Priority, Wait, Close } kind;
    HANDLE thread;
    std::string detail;
    size_t gdiPosition;
};
std::vector<Step> g_steps;
bool g_logging = false;
DWORD g_windowThread = 0;
GdiRecorder* g_recorder = nullptr;
HDC g_ownDc = NULL;
bool g_failThreadStart = false;

// The arguments of the last CreateThread.
struct StartCall {
    LPSECURITY_ATTRIBUTES security;
    SIZE_T stackSize;
    LPTHREAD_START_ROUTINE entry;
    void* parameter;
    DWORD flags;
    DWORD* id;
    HANDLE created;
    DWORD createdId;
};
StartCall g_start;
// Our own handles of every thread started, to ask after them later.
std::vector<HANDLE> g_started;

bool Logging()
{
    return g_logging && GetCurrentThreadId() == g_windowThread;
}

void Log(Step::Kind kind, HANDLE thread, const std::string& detail)
{
    g_steps.push_back({kind, thread, detail, g_recorder->Events().size()});
}

ImportHook* g_hooks[6];
enum { HookCreateThread, HookPriority, HookWait, HookClose, HookFillRect, HookDefault };
template <typename F> F Original(int index) { return g_hooks[index]->Original<F>(); }

HANDLE WINAPI RecordCreateThread(LPSECURITY_ATTRIBUTES security, SIZE_T stackSize, LPTHREAD_START_ROUTINE entry,
                                 void* parameter, DWORD flags, DWORD* id)
{
    if (!Logging())
        return Original<decltype(&CreateThread)>(HookCreateThread)(security, stackSize, entry, parameter, flags, id);
    g_start = {security, stackSize, entry, parameter, flags, id, NULL, 0};
    if (g_failThreadStart) {
        Log(Step::StartFailed, NULL, "");
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return NULL;
    }
    HANDLE thread = Original<decltype(&CreateThread)>(HookCreateThread)(security, stackSize, entry, parameter, flags, id);
    g_start.created = thread;
    g_start.createdId = id != NULL ? *id : 0;
    HANDLE ours = NULL;
    DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &ours, 0, FALSE, DUPLICATE_SAME_ACCESS);
    g_started.push_back(ours);
    Log(Step::Start, thread, "");
    return thread;
}

BOOL WINAPI RecordSetThreadPriority(HANDLE thread, int priority)
{
    if (Logging())
        Log(Step::Priority, thread, std::to_string(priority));
    return Original<decltype(&SetThreadPriority)>(HookPriority)(thread, priority);
}

// Waits at most WaitLimit, so a thread that was never told to stop fails the
// test instead of hanging it.
DWORD WINAPI RecordWaitForSingleObject(HANDLE object, DWORD milliseconds)
{
    if (!Logging())
        return Original<decltype(&WaitForSingleObject)>(HookWait)(object, milliseconds);
    std::string detail = milliseconds == INFINITE ? "INFINITE" : std::to_string(milliseconds);
    detail += ReadStopFlag(&g_saverState) == 1 ? ", stop set" : ", stop clear";
    DWORD result = Original<decltype(&WaitForSingleObject)>(HookWait)(object, std::min(milliseconds, WaitLimit));
    detail += result == WAIT_OBJECT_0 ? ", ended" : ", still running";
    Log(Step::Wait, object, detail);
    return result;
}

BOOL WINAPI RecordCloseHandle(HANDLE object)
{
    if (Logging())
        Log(Step::Close, object, "");
    return Original<decltype(&CloseHandle)>(HookClose)(object);
}

int WINAPI RecordFillRect(HDC dc, const RECT* rect, HBRUSH brush)
{
    if (Logging()) {
        std::string detail = std::to_string(rect->left) + "," + std::to_string(rect->top) + "," +
                             std::to_string(rect->right) + "," + std::to_string(rect->bottom);
        detail += brush == GetStockObject(BLACK_BRUSH) ? " black" : " other brush";
        detail += dc == g_ownDc ? "" : " elsewhere";
        Log(Step::Fill, NULL, detail);
    }
    return Original<decltype(&FillRect)>(HookFillRect)(dc, rect, brush);
}

// DefWindowProcA for the test window: recorded, and answered by the test
// for the messages it names.
struct DefaultCall {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<DefaultCall> g_defaultCalls;
std::map<UINT, LRESULT> g_defaultAnswers;

LRESULT WINAPI RecordDefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (IsTestWindow(window)) {
        g_defaultCalls.push_back({message, wParam, lParam});
        auto answer = g_defaultAnswers.find(message);
        if (answer != g_defaultAnswers.end())
            return answer->second;
    }
    return Original<decltype(&DefWindowProcA)>(HookDefault)(window, message, wParam, lParam);
}

bool Reached(UINT message)
{
    for (const DefaultCall& call : g_defaultCalls) {
        if (call.message == message)
            return true;
    }
    return false;
}

class SaverProcTest : public ::testing::Test {
protected:
    SaverProcTest()
    {
        g_hooks[HookCreateThread] = &createThreadHook;
        g_hooks[HookPriority] = &priorityHook;
        g_hooks[HookWait] = &waitHook;
        g_hooks[HookClose] = &closeHook;
        g_hooks[HookFillRect] = &fillHook;
        g_hooks[HookDefault] = &defaultHook;
    }

    void SetUp() override
    {
        ASSERT_TRUE(profile.Installed());
        ASSERT_TRUE(recorder.Installed());
        for (ImportHook* hook : g_hooks)
            ASSERT_TRUE(hook->Installed());
        ASSERT_TRUE(profile.Set("ColorR", "200"));
        ASSERT_TRUE(profile.Set("ColorG", "100"));
        ASSERT_TRUE(profile.Set("ColorB", "50"));
        ASSERT_TRUE(profile.Set("Cycle", "0"));
        ASSERT_TRUE(profile.Set("lfHeight", std::to_string(SettingsHeight).c_str()));
        g_host = InitialHostState();
        g_host.isPreview = 1;
        // Creation must put every field right.
        std::memset(&g_saverState, 0xCD, sizeof g_saverState);
        g_recorder = &recorder;
        g_windowThread = GetCurrentThreadId();
        g_steps.clear();
        g_started.clear();
        g_defaultCalls.clear();
        g_defaultAnswers.clear();
        g_failThreadStart = false;
        g_logging = false;
    }

    void TearDown() override
    {
        g_logging = false;
        if (IsWindow(window))
            DestroyWindow(window);
        for (HANDLE thread : g_started)
            CloseHandle(thread);
        g_recorder = nullptr;
        g_host = InitialHostState();
        std::memset(&g_saverState, 0, sizeof g_saverState);
    }

    // Starts the log and makes the window.
    void CreateAndLog(DWORD visible)
    {
        gdiSeen = recorder.Events().size();
        g_steps.clear();
        g_logging = true;
        window = CreateSaverProcWindow(visible);
        ASSERT_NE(nullptr, window);
        g_ownDc = GetDC(window);
        ReleaseDC(window, g_ownDc);
    }

    // The window thread's calls since the last time, as lines: the kernel
    // steps merged with the fonts and brushes made and deleted. Each object
    // is named when it is made, so a recycled handle gets a new name.
    std::vector<std::string> TakeLines()
    {
        std::vector<GdiEvent> events = recorder.Events();
        std::vector<std::string> lines;
        auto gdiUpTo = [&](size_t end) {
            for (; gdiSeen < end && gdiSeen < events.size(); ++gdiSeen) {
                const GdiEvent& e = events[gdiSeen];
                if (e.thread != g_windowThread)
                    continue;
                if (e.kind == GdiCreateFont)
                    lines.push_back("create " + NewName(e.object, "font"));
                else if (e.kind == GdiCreateBrush)
                    lines.push_back("create " + NewName(e.object, "brush"));
                else if (e.kind == GdiDelete)
                    lines.push_back("delete " + NameOf(e.object));
            }
        };
        for (const Step& s : g_steps) {
            gdiUpTo(s.gdiPosition);
            switch (s.kind) {
            case Step::Fill: lines.push_back("fill " + s.detail); break;
            case Step::Start: lines.push_back("start " + NewName(s.thread, "thread")); break;
            case Step::StartFailed: lines.push_back("start failed"); break;
            case Step::Priority: lines.push_back("priority " + NameOf(s.thread) + " " + s.detail); break;
            case Step::Wait: lines.push_back("wait " + NameOf(s.thread) + " " + s.detail); break;
            case Step::Close: lines.push_back("close " + NameOf(s.thread)); break;
            }
        }
        gdiUpTo(events.size());
        g_steps.clear();
        return lines;
    }

    std::string NewName(const void* object, const std::string& kind)
    {
        std::string name = kind + std::to_string(++serials[kind]);
        names[object] = name;
        return name;
    }

    std::string NameOf(const void* object)
    {
        auto found = names.find(object);
        return found != names.end() ? found->second : "unknown";
    }

    LOGBRUSH BrushOf(HBRUSH brush)
    {
        LOGBRUSH description;
        std::memset(&description, 0xCD, sizeof description);
        GetObjectA(brush, sizeof description, &description);
        return description;
    }

    LOGFONTA FontOf(HFONT font)
    {
        LOGFONTA description;
        std::memset(&description, 0xCD, sizeof description);
        GetObjectA(font, sizeof description, &description);
        return description;
    }

    ScratchProfile profile;
    GdiRecorder recorder;
    ImportHook createThreadHook{"kernel32.dll", "CreateThread", (void*)RecordCreateThread};
    ImportHook priorityHook{"kernel32.dll", "SetThreadPriority", (void*)RecordSetThreadPriority};
    ImportHook waitHook{"kernel32.dll", "WaitForSingleObject", (void*)RecordWaitForSingleObject};
    ImportHook closeHook{"kernel32.dll", "CloseHandle", (void*)RecordCloseHandle};
    ImportHook fillHook{"user32.dll", "FillRect", (void*)RecordFillRect};
    ImportHook defaultHook{"user32.dll", "DefWindowProcA", (void*)RecordDefWindowProcA};
    HWND window = NULL;
    size_t gdiSeen = 0;                 // events of the recorder already taken
    std::map<const void*, std::string> names;
    std::map<std::string, int> serials;
};

const std::string WholeClient = "0,0," + std::to_string(Width) + "," + std::to_string(Height) + " black";

TEST_F(SaverProcTest, EachEraseEndsTheRunningThreadBeforeTheNextStarts)
{
    CreateAndLog(0);
    // Creation reset the record and loaded the settings.
    ExpectResetFor(window, g_saverState);
    EXPECT_EQ(SettingsColor, g_saverState.color);
    EXPECT_EQ(0, g_saverState.cycle);
    EXPECT_TRUE(TakeLines().empty()) << "creation starts nothing";

    const std::vector<std::string> firstErase = {
        "fill " + WholeClient, "create font1", "create brush1", "start thread1", "priority thread1 -1",
    };
    EXPECT_EQ(0, SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(g_ownDc), 0));
    EXPECT_EQ(firstErase, TakeLines());
    // The run's record: the handles just made, the thread at work on it.
    EXPECT_EQ(g_start.created, g_saverState.thread);
    EXPECT_EQ("thread1", NameOf(g_saverState.thread));
    EXPECT_EQ(reinterpret_cast<LPTHREAD_START_ROUTINE>(AnimationThread), g_start.entry);
    EXPECT_EQ(&g_saverState, g_start.parameter);
    EXPECT_EQ(nullptr, g_start.security);
    EXPECT_EQ(0u, g_start.stackSize);
    EXPECT_EQ(0u, g_start.flags);
    EXPECT_EQ(&g_saverState.threadId, g_start.id);
    EXPECT_EQ(g_start.createdId, g_saverState.threadId);
    EXPECT_NE(0u, g_saverState.threadId);
    EXPECT_EQ("font1", NameOf(g_saverState.font));
    EXPECT_EQ("brush1", NameOf(g_saverState.brush));
    EXPECT_EQ(SettingsColor, BrushOf(g_saverState.brush).lbColor);
    EXPECT_EQ(static_cast<UINT>(BS_SOLID), BrushOf(g_saverState.brush).lbStyle);
    EXPECT_EQ(SettingsHeight, FontOf(g_saverState.font).lfHeight);
    EXPECT_STREQ("arial", FontOf(g_saverState.font).lfFaceName);

    const std::vector<std::string> secondErase = {
        "fill " + WholeClient, "wait thread1 INFINITE, stop set, ended", "close thread1", "delete font1",
        "delete brush1", "create font2", "create brush2", "start thread2", "priority thread2 -1",
    };
    EXPECT_EQ(0, SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(g_ownDc), 0));
    EXPECT_EQ(secondErase, TakeLines());
    EXPECT_EQ(0, ReadStopFlag(&g_saverState)) << "the new run may go on";
    EXPECT_EQ("font2", NameOf(g_saverState.font));

    const std::vector<std::string> destruction = {
        "wait thread2 INFINITE, stop set, ended", "close thread2", "delete font2", "delete brush2",
    };
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_EQ(destruction, TakeLines());

    // Nothing of the saver is left: no thread runs, no object lives.
    ASSERT_EQ(2u, g_started.size());
    for (HANDLE thread : g_started) {
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 0));
        DWORD exitCode = 0;
        GetExitCodeThread(thread, &exitCode);
        EXPECT_EQ(AnimationExitCode, exitCode);
    }
    EXPECT_EQ(0, recorder.LiveObjects());
    EXPECT_EQ(nullptr, g_saverState.thread);
    EXPECT_EQ(nullptr, g_saverState.font);
    EXPECT_EQ(nullptr, g_saverState.brush);
    // The erases stayed here; creation and destruction went on.
    EXPECT_FALSE(Reached(WM_ERASEBKGND));
    EXPECT_TRUE(Reached(WM_CREATE));
    EXPECT_TRUE(Reached(WM_DESTROY));
}

TEST_F(SaverProcTest, DestroyWithoutEraseWaitsForNothingAndDeletesNothing)
{
    CreateAndLog(0);
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_EQ(std::vector<std::string>(), TakeLines());
    EXPECT_TRUE(recorder.Events().empty());
    EXPECT_TRUE(g_started.empty());
    EXPECT_TRUE(Reached(WM_DESTROY));
}

TEST_F(SaverProcTest, EverythingButTheEraseGoesOnWithItsArgumentsAndResult)
{
    // The default handling refuses the creation: the window must not come.
    g_defaultAnswers[WM_CREATE] = -1;
    EXPECT_EQ(nullptr, CreateSaverProcWindow(0));
    EXPECT_TRUE(Reached(WM_CREATE));
    g_defaultAnswers.clear();

    CreateAndLog(0);
    // Pointer-sized arguments with their high halves in use.
    const WPARAM wide = static_cast<WPARAM>(UINT64_C(0x8765432112345678));
    const LPARAM wideLong = static_cast<LPARAM>(UINT64_C(0xFEDCBA9876543210));
    CREATESTRUCTA creation = {};
    struct Case { UINT message; WPARAM wParam; LPARAM lParam; LRESULT answer; LRESULT result; bool reaches; };
    const Case cases[] = {
        {WM_CREATE, 0, reinterpret_cast<LPARAM>(&creation), 0x0C1EA7E, 0x0C1EA7E, true},
        {WM_ERASEBKGND, reinterpret_cast<WPARAM>(g_ownDc), 0, 0xE4A5E, 0, false},
        {WM_DESTROY, 0, 0, 0xD35, 0xD35, true},
        {WM_PAINT, 0, 0, 0x9A1, 0x9A1, true},
        {WM_CLOSE, 0, 0, 0xC105E, 0xC105E, true},
        {WM_TIMER, 7, 0, 0x71, 0x71, true},
        {WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE), -1, -1, true},
        {WM_KEYDOWN, 'A', 0x001E0001, 0x6B, 0x6B, true},
        {WM_USER + 7, wide, wideLong, -2, -2, true},
        {WM_APP, wide, wideLong, 0x8000, 0x8000, true},
        {0xC123, 1, -1, 0x5151, 0x5151, true},
    };
    for (const Case& c : cases) {
        g_defaultCalls.clear();
        g_defaultAnswers[c.message] = c.answer;
        EXPECT_EQ(c.result, SendMessageA(window, c.message, c.wParam, c.lParam)) << "message 0x" << std::hex << c.message;
        ASSERT_EQ(c.reaches ? 1u : 0u, g_defaultCalls.size()) << "message 0x" << std::hex << c.message;
        if (c.reaches) {
            EXPECT_EQ(c.message, g_defaultCalls[0].message);
            EXPECT_EQ(c.wParam, g_defaultCalls[0].wParam) << "message 0x" << std::hex << c.message;
            EXPECT_EQ(c.lParam, g_defaultCalls[0].lParam) << "message 0x" << std::hex << c.message;
        }
    }
    // The creation sent here reloaded the settings; the destruction stopped
    // the run the erase began.
    EXPECT_EQ(window, g_saverState.window);
    EXPECT_EQ(nullptr, g_saverState.thread);
    EXPECT_EQ(nullptr, g_saverState.font);
    ASSERT_EQ(1u, g_started.size());
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(g_started[0], 0));
    g_defaultAnswers.clear();
}

TEST_F(SaverProcTest, FailedThreadStartLeavesTheWindowBlackUntilTheNextErase)
{
    g_failThreadStart = true;
    CreateAndLog(WS_VISIBLE);
    // Whatever showing the window did, an erase has been and failed.
    SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(g_ownDc), 0);
    ASSERT_EQ(nullptr, g_saverState.thread);
    TakeLines();
    serials.clear();
    names[g_saverState.font] = "font0";
    names[g_saverState.brush] = "brush0";

    // A repaint by the system: the erase comes through BeginPaint on the
    // window's own context; the earlier start's font and brush go first.
    g_defaultCalls.clear();
    InvalidateRect(window, NULL, TRUE);
    UpdateWindow(window);
    const std::vector<std::string> repaint = {
        "fill " + WholeClient, "delete font0", "delete brush0", "create font1", "create brush1", "start failed",
    };
    EXPECT_EQ(repaint, TakeLines());
    EXPECT_TRUE(Reached(WM_PAINT));
    EXPECT_FALSE(Reached(WM_ERASEBKGND));

    // Over a white window, a failed start leaves black and nothing drawing.
    HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    RECT client = {0, 0, Width, Height};
    FillRect(g_ownDc, &client, white);
    TakeLines();
    ClientPixels before = CaptureClient(window);
    TakeLines();                        // the capture's own objects
    ASSERT_EQ(Width, before.width);
    ASSERT_EQ(RGB(255, 255, 255), before.At(Width / 2, Height / 2));

    const std::vector<std::string> failedAgain = {
        "fill " + WholeClient, "delete font1", "delete brush1", "create font2", "create brush2", "start failed",
    };
    EXPECT_EQ(0, SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(g_ownDc), 0));
    EXPECT_EQ(failedAgain, TakeLines());
    EXPECT_EQ(nullptr, g_saverState.thread);
    ClientPixels after = CaptureClient(window);
    TakeLines();
    long notBlack = 0;
    for (COLORREF pixel : after.pixels)
        notBlack += pixel != RGB(0, 0, 0);
    EXPECT_EQ(0, notBlack);

    // The next erase that can start a thread frees the failed start's
    // objects; a failed start after a running one still ends that run.
    struct Erase { bool fails; std::vector<std::string> lines; };
    const Erase erases[] = {
        {false, {"fill " + WholeClient, "delete font2", "delete brush2", "create font3", "create brush3",
                 "start thread1", "priority thread1 -1"}},
        {true, {"fill " + WholeClient, "wait thread1 INFINITE, stop set, ended", "close thread1", "delete font3",
                "delete brush3", "create font4", "create brush4", "start failed"}},
    };
    for (const Erase& e : erases) {
        g_failThreadStart = e.fails;
        EXPECT_EQ(0, SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(g_ownDc), 0));
        EXPECT_EQ(e.lines, TakeLines());
    }
    // Destruction frees the last failed start's objects, waiting for nothing.
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_EQ((std::vector<std::string>{"delete font4", "delete brush4"}), TakeLines());
    EXPECT_EQ(0, recorder.LiveObjects());
}

}  // namespace
