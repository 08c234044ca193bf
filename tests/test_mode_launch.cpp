// The mode launch inside the test process, outside the 95 family: SaverMain
// on real argument texts, with the dialog call recorded instead of shown,
// the foreground window scripted, the saver and the preview through their
// real windows, faults inside the guarded dispatch, and the whole start-up
// in a process of its own.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <string>
#include <vector>
#include "host/host_state.h"
#include "host/mode_launch.h"
#include "resources/resource.h"
#include "settings/config_dialog.h"
#include "support/import_hook.h"
#include "support/launch_probe.h"
#include "support/paint_window.h"
#include "support/program.h"

namespace {

// DialogBoxParamA, recorded and answered at once without a dialog.
struct DialogCall {
    HINSTANCE instance;
    LPCSTR resource;
    HWND owner;
    DLGPROC procedure;
    LPARAM parameter;
};
std::vector<DialogCall> g_dialogs;
INT_PTR g_dialogResult;
INT_PTR WINAPI RecordDialogBoxParam(HINSTANCE instance, LPCSTR resource, HWND owner, DLGPROC procedure, LPARAM parameter)
{
    g_dialogs.push_back({instance, resource, owner, procedure, parameter});
    return g_dialogResult;
}

// Window creations, counted and passed on.
decltype(&CreateWindowExA) g_createWindow;
int g_windowsCreated;
HWND WINAPI CountCreateWindowEx(DWORD extendedStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y,
                                int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID data)
{
    ++g_windowsCreated;
    return g_createWindow(extendedStyle, className, title, style, x, y, width, height, parent, menu, instance, data);
}

INT_PTR WINAPI FaultingDialogBoxParam(HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM)
{
    ProvokeFault();
    return 1;
}

// The application-data folder: a temporary one of the test's, so saver
// runs read their settings from there.
std::string g_folder;
BOOL WINAPI TemporaryFolder(HWND, LPSTR path, int, BOOL)
{
    lstrcpynA(path, g_folder.c_str(), MAX_PATH);
    return TRUE;
}

// A temporary application-data folder for one test, gone afterwards. Each
// has a name of its own: the system caches profile files by name.
class TemporaryProfileFolder {
public:
    TemporaryProfileFolder()
        : hook_("shell32.dll", "SHGetSpecialFolderPathA", reinterpret_cast<void*>(TemporaryFolder))
    {
        static int made = 0;
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        g_folder = std::string(temp) + "lumivane-launch-" + std::to_string(GetCurrentProcessId()) + "-"
                   + std::to_string(++made);
        ready_ = hook_.Installed() && CreateDirectoryA(g_folder.c_str(), NULL);
    }
    ~TemporaryProfileFolder()
    {
        DeleteFileA(Profile().c_str());
        RemoveDirectoryA(g_folder.c_str());
    }
    bool Ready() const { return ready_; }
    std::string Profile() const { return g_folder + "\\control.ini"; }

private:
    ImportHook hook_;
    bool ready_ = false;
};

// What a saver run showed, seen from inside its message loop by a thread
// timer, which then ends the run as the user or the launcher would: a close
// request to the full-screen window, the preview's parent destroyed.
const UINT EndDelay = 200;
struct SaverSeen {
    HWND window;
    HWND parent;
    std::string title;
};
SaverSeen g_seen;

void CALLBACK EndSaverRun(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(NULL, timer);
    HWND window = g_host.saverWindow;
    g_seen = {window, GetParent(window), TitleOf(window)};
    if (g_seen.parent != NULL)
        DestroyWindow(g_seen.parent);
    else
        PostMessageA(window, WM_CLOSE, 0, 0);
}

// The preview's pixels, captured through its parent's context once the text
// shows (or after enough ticks), then the parent goes.
const UINT CaptureInterval = 100;
const int CaptureTicks = 100;
COLORREF g_textColor;
size_t g_plenty;
ClientPixels g_capture;
RECT g_previewRect;
int g_ticks;

void CALLBACK CapturePreview(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND preview = g_host.saverWindow;
    HWND parent = GetParent(preview);
    g_capture = CaptureClient(parent);
    if (CountColor(g_capture, g_textColor) < g_plenty && ++g_ticks < CaptureTicks)
        return;
    KillTimer(NULL, timer);
    GetWindowRect(preview, &g_previewRect);
    MapWindowPoints(NULL, parent, reinterpret_cast<POINT*>(&g_previewRect), 2);
    DestroyWindow(parent);
}

std::string Replace(std::string text, const std::string& placeholder, const std::string& value)
{
    size_t at = text.find(placeholder);
    return at == std::string::npos ? text : text.replace(at, placeholder.size(), value);
}

}  // namespace

// One row per argument text: what it launches, and the result. {given}
// stands for a window of the test, {gone} for a window that no longer
// exists; the scripted foreground window is another one. A dialog row's
// result is what the dialog answered.
TEST(ModeLaunch, EachSwitchLaunchesItsMode)
{
    enum Launch { Nothing, DialogWithoutOwner, DialogOwnedByGiven, DialogOwnedByForeground, FullScreen, Preview };
    struct Case { const char* arguments; Launch launch; int32_t result; };
    const Case cases[] = {
        {"", DialogWithoutOwner, 1},
        {" - / ", DialogWithoutOwner, 0},
        {"/c:{given}", DialogOwnedByGiven, 1},
        {"-C:{given}", DialogOwnedByGiven, 0},
        {"/c:{gone}", DialogOwnedByForeground, 1},
        {"/c:0", DialogOwnedByForeground, 1},
        {"/c", DialogOwnedByForeground, 0},
        {"/c {given}", DialogOwnedByForeground, 1},     // no colon: no handle
        {"/s", FullScreen, 0},
        {"S {given}", FullScreen, 0},
        {"/p {given}", Preview, 0},
        {"/l{given}", Preview, 0},
        {"/p", Nothing, InvalidModeExitCode},
        {"/p 0", Nothing, InvalidModeExitCode},
        {"/p {gone}", Nothing, InvalidModeExitCode},
        {"/x", Nothing, InvalidModeExitCode},
        {"/a {given}", Nothing, InvalidModeExitCode},   // outside the 95 family
    };
    ImportHook dialogHook("user32.dll", "DialogBoxParamA", reinterpret_cast<void*>(RecordDialogBoxParam));
    ImportHook createHook("user32.dll", "CreateWindowExA", reinterpret_cast<void*>(CountCreateWindowEx));
    ASSERT_TRUE(dialogHook.Installed() && createHook.Installed());
    g_createWindow = createHook.Original<decltype(&CreateWindowExA)>();
    TemporaryProfileFolder folder;
    ASSERT_TRUE(folder.Ready());
    HWND foreground = CreateTestWindow(0, 0, 0);
    ForegroundScript script(foreground);
    ASSERT_TRUE(script.Installed());
    const HINSTANCE module = GetModuleHandleA(NULL);
    const std::string gone = HandleText(GoneWindow());

    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("arguments \"") + c.arguments + "\"");
        HWND given = CreateTestWindow(0, 0, 0);
        ASSERT_NE(nullptr, given);
        std::string arguments = Replace(Replace(c.arguments, "{given}", HandleText(given)), "{gone}", gone);
        g_dialogs.clear();
        g_dialogResult = c.result;
        g_seen = SaverSeen();
        g_windowsCreated = 0;
        UINT_PTR timer = SetTimer(NULL, 0, EndDelay, EndSaverRun);
        int32_t result = StartSaverMain(module, arguments);
        KillTimer(NULL, timer);

        EXPECT_EQ(c.result, result);
        EXPECT_EQ(module, g_host.instance);
        const bool dialog = c.launch >= DialogWithoutOwner && c.launch <= DialogOwnedByForeground;
        ASSERT_EQ(dialog ? 1u : 0u, g_dialogs.size());
        if (dialog) {
            const HWND owners[] = {NULL, NULL, given, foreground};     // by Launch
            EXPECT_EQ(module, g_dialogs[0].instance);
            EXPECT_EQ(MAKEINTRESOURCEA(IDD_CONFIG), g_dialogs[0].resource);
            EXPECT_EQ(owners[c.launch], g_dialogs[0].owner);
            EXPECT_EQ(reinterpret_cast<void*>(ConfigDialogProc), reinterpret_cast<void*>(g_dialogs[0].procedure));
            EXPECT_EQ(0, g_dialogs[0].parameter);
        }
        const bool saver = c.launch == FullScreen || c.launch == Preview;
        EXPECT_EQ(saver ? 1 : 0, g_windowsCreated);
        EXPECT_EQ(saver, g_seen.window != NULL);
        if (saver) {
            EXPECT_EQ(c.launch == Preview ? given : NULL, g_seen.parent);
            EXPECT_EQ(c.launch == Preview ? "Preview" : "Screen Saver", g_seen.title);
            EXPECT_FALSE(IsWindow(g_seen.window));
        }
        DestroyWindow(given);
    }
    DestroyWindow(foreground);
    // Saver runs only read the settings.
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(folder.Profile().c_str()));
}

// The preview's pixels, judged in the same process as its parent (Wine draws
// no child window of another process): the text's colour on black, filling
// the parent's client area from its corner.
TEST(ModeLaunch, PreviewDrawsTheTextInTheGivenWindow)
{
    TemporaryProfileFolder folder;
    ASSERT_TRUE(folder.Ready());
    g_textColor = RGB(255, 96, 0);
    const char* const settings[][2] = {{"ColorR", "255"}, {"ColorG", "96"}, {"ColorB", "0"}, {"Cycle", "0"}};
    for (const auto& setting : settings)
        ASSERT_TRUE(WritePrivateProfileStringA("Screen Saver.Lumivane", setting[0], setting[1], folder.Profile().c_str()));
    HWND parent = CreatePaintWindow(320, 240);
    ASSERT_NE(nullptr, parent);
    RECT client;
    GetClientRect(parent, &client);
    g_plenty = static_cast<size_t>(client.right * client.bottom / 100);
    g_ticks = 0;
    g_capture = ClientPixels();
    std::memset(&g_previewRect, 0xCD, sizeof g_previewRect);

    UINT_PTR timer = SetTimer(NULL, 0, CaptureInterval, CapturePreview);
    EXPECT_EQ(0, StartSaverMain(GetModuleHandleA(NULL), "/p " + HandleText(parent)));
    KillTimer(NULL, timer);

    EXPECT_FALSE(IsWindow(parent));
    EXPECT_EQ(Corners(client), Corners(g_previewRect));
    ASSERT_EQ(static_cast<size_t>(client.right * client.bottom), g_capture.pixels.size());
    EXPECT_GE(CountColor(g_capture, g_textColor), g_plenty);
    EXPECT_EQ(g_capture.pixels.size(), CountColor(g_capture, g_textColor) + CountColor(g_capture, RGB(0, 0, 0)));
}

// A fault where the dispatch chooses the owner, and one inside the mode,
// come back as -1. Outside the 95 family the screen-saver-running state is
// not touched.
TEST(ModeLaunch, FaultInsideTheDispatchReturnsTheFaultCode)
{
    struct Case { const char* function; void* replacement; const char* arguments; };
    const Case cases[] = {
        {"IsWindow", reinterpret_cast<void*>(FaultingIsWindow), "/c:1"},
        {"DialogBoxParamA", reinterpret_cast<void*>(FaultingDialogBoxParam), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.function);
        SystemParametersRecorder systemParameters;
        ImportHook fault("user32.dll", c.function, c.replacement);
        ASSERT_TRUE(systemParameters.Installed() && fault.Installed());
        EXPECT_EQ(FaultExitCode, StartSaverMain(GetModuleHandleA(NULL), c.arguments));
        EXPECT_TRUE(systemParameters.Calls().empty());
    }
}

// The whole start-up, from the command line to the end of the process, in a
// process of its own: this test program started again for the child test
// below alone.
const char FaultChildVariable[] = "LUMIVANE_FAULT_IN_STARTUP";

TEST(ModeLaunch, FaultInStartupEndsTheProcessWithTheFaultCode)
{
    char self[MAX_PATH];
    ASSERT_NE(0u, GetModuleFileNameA(NULL, self, MAX_PATH));
    EnvironmentGuard child(FaultChildVariable, "1");
    ProgramRun run(self, "--gtest_filter=ModeLaunchChild.FaultInStartup");
    ASSERT_TRUE(run.Started());
    EXPECT_EQ(static_cast<DWORD>(FaultExitCode), run.ExitCode());
}

LPSTR WINAPI ChildCommandLine()
{
    static char commandLine[] = "lumivane.scr /c:1";
    return commandLine;
}

TEST(ModeLaunchChild, FaultInStartup)
{
    if (GetEnvironmentVariableA(FaultChildVariable, NULL, 0) == 0)
        GTEST_SKIP() << "runs only in the process that the test above starts";
    ImportHook commandLine("kernel32.dll", "GetCommandLineA", reinterpret_cast<void*>(ChildCommandLine));
    ImportHook fault("user32.dll", "IsWindow", reinterpret_cast<void*>(FaultingIsWindow));
    ASSERT_TRUE(commandLine.Installed() && fault.Installed());
    SaverStartup();
}
