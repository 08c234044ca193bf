// The saver window on the 95 family, run for real through the whole chain:
// the desktop's password setting, the stand-in "PASSWORD.CPL" loaded before
// the window and freed after the loop, its verdict on a real close request,
// "QueryCancelAutoPlay" in every state, the preview that never asks for a
// password, a second start that finds the first, and a window that cannot
// be made.
#include <gtest/gtest.h>
#include <atomic>
#include <cstring>
#include <functional>
#include <string>
#include <vector>
#include "host/closing_policy.h"
#include "host/host_state.h"
#include "host/saver_window.h"
#include "settings/saver_state.h"
#include "support/closing_window.h"
#include "support/import_hook.h"
#include "support/preview_parent.h"
#include "support/saver_run.h"
#include "support/scratch_profile.h"
#include "fixtures/stand_ins.h"

namespace {

const std::vector<BYTE> ProtectionOn = {1, 0, 0, 0};
const LPARAM KeyA = 0x001E0001;

SaverRun* g_run = nullptr;

// SystemParametersInfoA, recorded and not passed on: each change of the
// screen-saver-running state, with where the run stood.
struct RunningState {
    UINT on;
    size_t registrations;               // RegisterClassA calls so far
    bool windowAlive;
    int loopCalls;
    bool loopEnded;
};
std::vector<RunningState> g_runningStates;
BOOL WINAPI RecordSystemParameters(UINT action, UINT value, PVOID, UINT)
{
    if (action == SPI_SETSCREENSAVERRUNNING) {
        bool alive = g_host.saverWindow != NULL && IsWindow(g_host.saverWindow);
        g_runningStates.push_back({value, g_run->classes.size(), alive, g_run->loopCalls, g_run->loopEnded});
    }
    return TRUE;
}

std::atomic<DWORD> g_tick;
DWORD WINAPI ScriptedGetTickCount()
{
    return g_tick;
}

// The verifier's script: the windows it was asked for, what it does while
// its "dialog" is open, and its verdict.
std::vector<HWND> g_asked;
std::function<void(HWND)> g_duringDialog;
BOOL g_verdict;
BOOL WINAPI ScriptedVerifier(HWND window)
{
    g_asked.push_back(window);
    if (g_duringDialog)
        g_duringDialog(window);
    return g_verdict;
}

// The stand-in's record, when the saver holds it; on the window thread.
VerifierRecord* StandInRecord()
{
    if (g_host.passwordLibrary == NULL)
        return NULL;
    auto recordOf = reinterpret_cast<VerifierRecordProc>(
        reinterpret_cast<void (*)()>(GetProcAddress(g_host.passwordLibrary, "VerifierStandIn")));
    return recordOf != NULL ? recordOf() : NULL;
}

// Hands the verification to ScriptedVerifier; false when no stand-in is held.
bool ScriptTheVerifier()
{
    VerifierRecord* record = StandInRecord();
    if (record == NULL)
        return false;
    record->script = ScriptedVerifier;
    record->calls = 0;
    return true;
}

bool PasswordLibraryInProcess()
{
    return GetModuleHandleA("PASSWORD.CPL") != NULL;
}

class SaverWindow95 : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(static_cast<DWORD>(VER_PLATFORM_WIN32_WINDOWS), ReportedPlatform());
        ASSERT_TRUE(run.Installed());
        ASSERT_TRUE(profile.Installed());
        ASSERT_TRUE(systemParametersHook.Installed());
        ASSERT_TRUE(tickHook.Installed());
        ASSERT_TRUE(SetDllDirectoryA(FixtureDirectory().c_str()));
        queryCancelAutoPlay = RegisterWindowMessageA("QueryCancelAutoPlay");
        ASSERT_NE(0u, queryCancelAutoPlay);
        g_run = &run;
        g_runningStates.clear();
        g_asked.clear();
        g_duringDialog = nullptr;
        g_verdict = FALSE;
        g_tick = 1000;
        ResetHost();
    }
    void TearDown() override
    {
        SetDllDirectoryA(NULL);
        g_duringDialog = nullptr;
        g_run = nullptr;
        g_host = InitialHostState();
        std::memset(&g_saverState, 0, sizeof g_saverState);
    }
    // The host as mode launch leaves it on this family.
    void ResetHost()
    {
        g_host = InitialHostState();
        g_host.instance = GetModuleHandleA(NULL);
        g_host.is95Family = 1;
        std::memset(&g_saverState, 0, sizeof g_saverState);
    }

    ScratchProfile profile;
    SaverRun run;
    RegistryValueGuard setting{"Control Panel\\Desktop", "ScreenSaveUsePassword"};
    ImportHook systemParametersHook{"user32.dll", "SystemParametersInfoA", (void*)RecordSystemParameters};
    ImportHook tickHook{"kernel32.dll", "GetTickCount", (void*)ScriptedGetTickCount};
    UINT queryCancelAutoPlay = 0;
};

TEST_F(SaverWindow95, WithoutProtectionTheFirstCloseRequestEndsTheSaver)
{
    struct Case { const char* name; bool present; };
    const Case cases[] = {{"no value", false}, {"value 0", true}};
    for (const Case& c : cases) {
        ASSERT_TRUE(c.present ? setting.Set(REG_DWORD, {0, 0, 0, 0}) : setting.Remove()) << c.name;
        ResetHost();
        g_runningStates.clear();
        bool loaded = true, gone = false;
        int32_t result = run.Run(NULL, [&](HWND window) {
            loaded = PasswordLibraryInProcess();
            SendMessageA(window, WM_KEYDOWN, 'A', KeyA);
            gone = SaverRun::WaitUntilGone(window);
        });
        EXPECT_FALSE(run.forced) << c.name;
        EXPECT_EQ(0, result) << c.name;
        EXPECT_FALSE(loaded) << c.name;
        EXPECT_TRUE(gone) << c.name;
        EXPECT_EQ(1, g_host.closeAllowed) << c.name;
        EXPECT_EQ(NoVerifyYet, g_host.lastVerifyTick) << c.name << ": no dialog";
        EXPECT_TRUE(g_runningStates.empty()) << c.name;
    }
}

TEST_F(SaverWindow95, WithProtectionTheRightPasswordEndsTheSaverAndAWrongOneDoesNot)
{
    ASSERT_TRUE(setting.Set(REG_DWORD, ProtectionOn));
    HCURSOR arrow = LoadCursor(NULL, IDC_ARROW);
    struct AfterRefusal { bool alive; bool cursorHidden; int32_t closeAllowed; int32_t verifying; };
    AfterRefusal refused = {false, false, -1, -1};
    bool scripted = false, asked = false, gone = false;
    int32_t result = run.Run(NULL, [&](HWND window) {
        SaverRun::OnWindowThread(window, [&] {
            scripted = ScriptTheVerifier();
            SetCursor(arrow);
        });
        // A key asks for the close; the wrong password refuses it.
        SendMessageA(window, WM_KEYDOWN, 'A', KeyA);
        asked = SaverRun::WaitOnWindowThread(window, [&] { return g_asked.size() == 1; });
        SaverRun::OnWindowThread(window, [&] {
            refused = {IsWindow(window) != FALSE, GetCursor() == NULL, g_host.closeAllowed, g_host.verifying};
            // The right one, well after the retry interval.
            g_verdict = TRUE;
            g_tick += 1000;
        });
        SendMessageA(window, WM_KEYDOWN, 'A', KeyA);
        gone = SaverRun::WaitUntilGone(window);
    });
    EXPECT_FALSE(run.forced);
    EXPECT_EQ(0, result);
    ASSERT_TRUE(scripted) << "no verifier was loaded";
    EXPECT_TRUE(asked);
    EXPECT_TRUE(refused.alive);
    EXPECT_TRUE(refused.cursorHidden);
    EXPECT_EQ(0, refused.closeAllowed);
    EXPECT_EQ(0, refused.verifying);
    EXPECT_TRUE(gone);
    EXPECT_EQ((std::vector<HWND>{run.window, run.window}), g_asked);
    EXPECT_EQ(1, g_host.closeAllowed);

    // Loaded before the window existed, freed after the loop ended, and the
    // running state on exactly while it was held.
    ASSERT_EQ(2u, g_runningStates.size());
    EXPECT_EQ(1u, g_runningStates[0].on);
    EXPECT_EQ(0u, g_runningStates[0].registrations);
    EXPECT_FALSE(g_runningStates[0].windowAlive);
    EXPECT_EQ(0, g_runningStates[0].loopCalls);
    EXPECT_EQ(0u, g_runningStates[1].on);
    EXPECT_FALSE(g_runningStates[1].windowAlive);
    EXPECT_TRUE(g_runningStates[1].loopEnded);
    EXPECT_FALSE(PasswordLibraryInProcess());
    EXPECT_EQ(nullptr, g_host.passwordLibrary);
    EXPECT_EQ(nullptr, g_host.verifyPassword);
}

TEST_F(SaverWindow95, QueryCancelAutoPlayClosesInEveryStateAndCancelsOnlyUnderAPassword)
{
    // The reply in each state, and whether a close request was posted.
    std::vector<std::string> probes;
    auto probe = [&](HWND window, const std::string& state) {
        LRESULT reply = SendMessageA(window, queryCancelAutoPlay, 0, 0);
        probes.push_back(state + ": " + std::to_string(reply) + (TakePostedClose(window) ? ", close posted" : ""));
    };
    // Each run probes where it stands, then with closing allowed, which
    // also lets the final close request through.
    struct Case { const char* name; bool protection; };
    const Case cases[] = {{"unprotected", false}, {"protected", true}};
    for (const Case& c : cases) {
        ASSERT_TRUE(c.protection ? setting.Set(REG_DWORD, ProtectionOn) : setting.Remove());
        ResetHost();
        int32_t result = run.Run(NULL, [&](HWND window) {
            SaverRun::OnWindowThread(window, [&] {
                std::string name = c.name;
                probe(window, name + ", running");
                if (ScriptTheVerifier()) {
                    // A refused verification, probed while its dialog is open.
                    g_duringDialog = [&](HWND verified) { probe(verified, name + ", verifying"); };
                    SendMessageA(window, WM_CLOSE, 0, 0);
                    g_duringDialog = nullptr;
                }
                g_host.closeAllowed = 1;
                probe(window, name + ", closing allowed");
            });
            SendMessageA(window, WM_CLOSE, 0, 0);
        });
        EXPECT_FALSE(run.forced) << c.name;
        EXPECT_EQ(0, result) << c.name;
        EXPECT_EQ(queryCancelAutoPlay, g_host.autoPlayMessage) << c.name;
    }
    const std::vector<std::string> expected = {
        "unprotected, running: 0, close posted",
        "unprotected, closing allowed: 0, close posted",
        "protected, running: 1, close posted",
        "protected, verifying: 1, close posted",
        "protected, closing allowed: 1, close posted",
    };
    EXPECT_EQ(expected, probes);
}

TEST_F(SaverWindow95, PreviewNeverLoadsTheVerifier)
{
    ASSERT_TRUE(setting.Set(REG_DWORD, ProtectionOn));
    HWND parent = CreatePreviewParent();
    ASSERT_NE(nullptr, parent);
    bool loaded = true, gone = false;
    LRESULT autoPlayReply = -1;
    bool autoPlayCloses = false;
    UINT autoPlayMessage = 0;
    int32_t result = run.Run(parent, [&](HWND window) {
        loaded = PasswordLibraryInProcess();
        SaverRun::OnWindowThread(window, [&] {
            autoPlayMessage = g_host.autoPlayMessage;
            autoPlayReply = SendMessageA(window, queryCancelAutoPlay, 0, 0);
            autoPlayCloses = TakePostedClose(window);
        });
        // A close request goes straight through: no password is asked.
        SendMessageA(window, WM_CLOSE, 0, 0);
        gone = SaverRun::WaitUntilGone(window);
    });
    EXPECT_FALSE(run.forced);
    EXPECT_EQ(0, result);
    EXPECT_FALSE(loaded);
    EXPECT_TRUE(gone);
    EXPECT_TRUE(g_asked.empty());
    EXPECT_TRUE(g_runningStates.empty());
    EXPECT_EQ(queryCancelAutoPlay, autoPlayMessage);
    EXPECT_EQ(0, autoPlayReply);
    EXPECT_TRUE(autoPlayCloses);
    DestroyWindow(parent);
}

LONG g_registryOpens;
decltype(&RegOpenKeyA) g_regOpenKey;
LONG WINAPI CountingRegOpenKeyA(HKEY key, const char* name, HKEY* opened)
{
    ++g_registryOpens;
    return g_regOpenKey(key, name, opened);
}

LRESULT CALLBACK RunningSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(SaverWindow95, SecondFullScreenStartBringsTheRunningSaverForward)
{
    ASSERT_TRUE(setting.Set(REG_DWORD, ProtectionOn));
    ImportHook registryHook("advapi32.dll", "RegOpenKeyA", (void*)CountingRegOpenKeyA);
    ASSERT_TRUE(registryHook.Installed());
    g_regOpenKey = registryHook.Original<decltype(&RegOpenKeyA)>();
    // Another program's saver: the same class name under another module.
    WNDCLASSA otherClass = {};
    otherClass.lpfnWndProc = RunningSaverProc;
    otherClass.hInstance = GetModuleHandleA("kernel32.dll");
    otherClass.lpszClassName = SaverClassName;
    ASSERT_NE(0, RegisterClassA(&otherClass));

    // Found only by class and the full-screen title together: a running
    // preview is no reason not to start.
    struct Case { const char* title; bool found; };
    const Case cases[] = {{"Screen Saver", true}, {"Preview", false}};
    for (const Case& c : cases) {
        HWND running = CreateWindowExA(0, SaverClassName, c.title, WS_POPUP, 0, 0, 10, 10, NULL, NULL,
                                       otherClass.hInstance, NULL);
        ASSERT_NE(nullptr, running);
        ResetHost();
        g_registryOpens = 0;
        g_runningStates.clear();
        bool scriptRan = false;
        int32_t result = run.Run(NULL, [&](HWND window) {
            scriptRan = true;
            SaverRun::OnWindowThread(window, [] { g_host.closeAllowed = 1; });
            SendMessageA(window, WM_CLOSE, 0, 0);
        });
        EXPECT_FALSE(run.forced) << c.title;
        EXPECT_EQ(0, result) << c.title;
        if (c.found) {
            EXPECT_FALSE(scriptRan) << "a second saver window ran";
            EXPECT_EQ(0, run.loopCalls);
            ASSERT_EQ(1u, run.foreground.size());
            EXPECT_EQ(running, run.foreground[0].window);
            EXPECT_TRUE(run.classes.empty());
            EXPECT_TRUE(run.creations.empty());
            EXPECT_EQ(0, g_registryOpens) << "the password setting was read";
            EXPECT_TRUE(g_runningStates.empty());
        } else {
            EXPECT_TRUE(scriptRan) << "the preview stopped the full-screen start";
            EXPECT_EQ(1u, run.creations.size());
            EXPECT_EQ(1, g_registryOpens);
            EXPECT_EQ(2u, g_runningStates.size());
        }
        EXPECT_FALSE(PasswordLibraryInProcess()) << c.title;
        DestroyWindow(running);
    }
    EXPECT_TRUE(UnregisterClassA(SaverClassName, otherClass.hInstance));
}

TEST_F(SaverWindow95, WindowThatCannotBeMadeOrRunRunsNoLoopAndStillFreesTheVerifier)
{
    ASSERT_TRUE(setting.Set(REG_DWORD, ProtectionOn));
    HWND parent = CreatePreviewParent();
    ASSERT_NE(nullptr, parent);
    enum Failure { ClassRefused, WindowRefused, CreationRefused, LoopFails };
    struct Case {
        const char* name;
        Failure failure;
        bool preview;
        int32_t result;
        int loopCalls;
        std::vector<UINT> states;
    };
    const Case cases[] = {
        {"class refused", ClassRefused, false, -1, 0, {1, 0}},
        {"window refused", WindowRefused, false, -1, 0, {1, 0}},
        {"preview window refused", WindowRefused, true, -1, 0, {}},
        // The window's own handling refuses its creation.
        {"creation refused", CreationRefused, false, -1, 0, {1, 0}},
        // A message loop that fails ends at once; nothing was quit.
        {"message loop fails", LoopFails, false, 0, 1, {1, 0}},
    };
    for (const Case& c : cases) {
        ResetHost();
        g_runningStates.clear();
        run.failRegisterClass = c.failure == ClassRefused;
        run.failCreateWindow = c.failure == WindowRefused;
        run.failMessageLoop = c.failure == LoopFails;
        const bool refuseCreation = c.failure == CreationRefused;
        run.answerInstead = [refuseCreation](const DefaultCall& call, LRESULT* result) {
            *result = -1;
            return refuseCreation && call.message == WM_CREATE;
        };
        int32_t result = run.Run(c.preview ? parent : NULL, [](HWND) {});
        EXPECT_EQ(c.result, result) << c.name;
        EXPECT_EQ(c.loopCalls, run.loopCalls) << c.name;
        std::vector<UINT> states;
        for (const RunningState& s : g_runningStates)
            states.push_back(s.on);
        EXPECT_EQ(c.states, states) << c.name;
        EXPECT_FALSE(PasswordLibraryInProcess()) << c.name;
        EXPECT_EQ(nullptr, g_host.passwordLibrary) << c.name;
        // Only the failed loop leaves a window behind, for the test to end.
        EXPECT_EQ(c.failure == LoopFails, run.forced) << c.name;
    }
    run.failRegisterClass = false;
    run.failCreateWindow = false;
    run.failMessageLoop = false;
    run.answerInstead = nullptr;
    DestroyWindow(parent);
}

}  // namespace
