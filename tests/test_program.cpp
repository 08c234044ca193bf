// lumivane.scr as the system's screen-saver launcher starts it, one process
// per run, judged only by what the user and the launcher see: its windows,
// the pixels on the screen, the profile file and the exit code.
#include <gtest/gtest.h>
#include <windows.h>
#include <colordlg.h>
#include <cstring>
#include <string>
#include <vector>
#include "resources/resource.h"
#include "support/program.h"
#include "support/version_info.h"

namespace {

const char SaverClass[] = "WindowsScreenSaverClass";
const char DialogClass[] = "#32770";
const char SetupTitle[] = "Lumivane Setup";
const DWORD MinusOne = 0xFFFFFFFF;      // the exit code -1 as the launcher reads it
const DWORD AnswerBound = 5000;         // for a message answered by the program
const LRESULT NoAnswer = -12345;
const COLORREF Black = RGB(0, 0, 0);
const COLORREF White = RGB(255, 255, 255);
const int SwatchBorder = 3;             // the swatch's border and sunken edge, with room to spare
const LPARAM SingleKeyPress = 1;        // repeat count 1

// A message to a window of the program, answered within a bound.
LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, AnswerBound, &result))
        return NoAnswer;
    return static_cast<LRESULT>(result);
}

std::string ControlText(HWND dialog, int id)
{
    char text[512] = "";
    Ask(GetDlgItem(dialog, id), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

void SetControlText(HWND dialog, int id, const char* text)
{
    Ask(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

// A button pressed the way the user's click arrives: through the queue of
// the program's own dialog loop.
void Press(HWND dialog, int id)
{
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// A key as the keyboard delivers it: posted to the control with the focus.
void PressKey(HWND control, WPARAM key)
{
    PostMessageA(control, WM_KEYDOWN, key, SingleKeyPress);
}

void TypeText(HWND control, const char* text)
{
    for (const char* c = text; *c != '\0'; ++c)
        PostMessageA(control, WM_CHAR, static_cast<unsigned char>(*c), SingleKeyPress);
}

HWND FocusOf(HWND dialog)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, NULL), &info);
    return info.hwndFocus;
}

// Whether the swatch's inside shows nothing but this colour on the screen.
bool SwatchShows(HWND dialog, COLORREF color)
{
    RECT inside;
    if (!GetWindowRect(GetDlgItem(dialog, IDC_SWATCH), &inside))
        return false;
    InflateRect(&inside, -SwatchBorder, -SwatchBorder);
    ClientPixels pixels = CaptureScreen(inside);
    return !pixels.pixels.empty() && CountColor(pixels, color) == pixels.pixels.size();
}

// The value of a key in the profile's lines, "<missing>" without one.
std::string ValueOf(const std::vector<std::string>& lines, const std::string& key)
{
    for (const std::string& line : lines) {
        if (line.compare(0, key.size() + 1, key + "=") == 0)
            return line.substr(key.size() + 1);
    }
    return "<missing>";
}

std::vector<HWND> RunningSavers()
{
    std::vector<HWND> savers;
    for (HWND window : TopLevelWindows(AnyProcess)) {
        if (ClassOf(window) == SaverClass && TitleOf(window) == "Screen Saver")
            savers.push_back(window);
    }
    return savers;
}

class Program : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(profile.Ready()) << profile.Path(); }

    ProfileFile profile;
};

TEST_F(Program, RefusedSwitchesEndWithMinusOneAndShowNothing)
{
    const std::string gone = HandleText(GoneWindow());
    // "/a" is the change-password switch, which exists on the 95 family only.
    const std::string arguments[] = {"/x", "/a 123", "/p", "/p 0", "/p " + gone};
    for (const std::string& argument : arguments) {
        ProgramRun run(ProgramPath(), argument);
        ASSERT_TRUE(run.Started());
        std::vector<HWND> windows;
        EXPECT_EQ(MinusOne, run.ExitCode(ExitBound, &windows)) << argument;
        EXPECT_TRUE(windows.empty()) << argument;
    }
}

// One saver run: it covers the screen with the text's colour on black, a
// second start leaves it alone, and the mouse ends it once it has moved more
// than four pixels from where it stood at the start.
TEST_F(Program, FullScreenSaverCoversTheScreenAndEndsOnAMouseMove)
{
    const COLORREF textColor = RGB(64, 192, 255);
    ASSERT_TRUE(profile.Write("[Screen Saver.Lumivane]\r\nColorR=64\r\nColorG=192\r\nColorB=255\r\nCycle=0\r\n"));
    const POINT anchor = {400, 300};
    // The pointer really goes there: a warp happens only on a change.
    SetCursorPos(anchor.x + 10, anchor.y);
    SetCursorPos(anchor.x, anchor.y);

    ProgramRun saver(ProgramPath(), "/s");
    HWND window = saver.WaitForWindow(SaverClass, "Screen Saver");
    ASSERT_NE(nullptr, window);
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(Corners(ScreenArea()), Corners(rect));
    EXPECT_EQ(static_cast<LONG>(WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN),
              GetWindowLongA(window, GWL_STYLE));
    EXPECT_NE(0, GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(nullptr, GetParent(window));

    // Plenty of the text's colour, and nothing but it and black.
    const size_t plenty = ScreenArea().right * ScreenArea().bottom / 200;
    ClientPixels screen;
    EXPECT_TRUE(WaitUntil([&] {
        screen = CaptureScreen(ScreenArea());
        return CountColor(screen, textColor) >= plenty;
    }, StartBound)) << CountColor(screen, textColor) << " pixels of the text's colour";
    EXPECT_EQ(screen.pixels.size(), CountColor(screen, textColor) + CountColor(screen, Black));

    {
        ProgramRun second(ProgramPath(), "/s");
        std::vector<HWND> windows;
        EXPECT_EQ(0u, second.ExitCode(ExitBound, &windows));
        EXPECT_TRUE(windows.empty());
    }
    EXPECT_EQ(std::vector<HWND>{window}, RunningSavers());

    struct Move { int right, down; bool ends; };
    const Move moves[] = {{2, 0, false}, {2, 2, false}, {3, 2, true}};
    for (const Move& move : moves) {
        SCOPED_TRACE(std::to_string(move.right) + " right, " + std::to_string(move.down) + " down");
        SetCursorPos(anchor.x + move.right, anchor.y + move.down);
        if (move.ends)
            EXPECT_EQ(0u, saver.ExitCode());
        else
            ASSERT_TRUE(saver.StaysUp());
    }
}

// Across processes the preview is judged by its window and its life; its
// pixels are the in-process tests' business.
TEST_F(Program, PreviewFillsTheGivenWindowAndEndsWithIt)
{
    HWND parent = CreatePaintWindow(320, 240);
    ASSERT_NE(nullptr, parent);
    ProgramRun preview(ProgramPath(), "/p " + HandleText(parent));
    HWND child = NULL;
    WaitUntil([&] {
        child = FindWindowExA(parent, NULL, SaverClass, NULL);
        return (child != NULL && IsWindowVisible(child)) || !preview.Running();
    }, StartBound);
    ASSERT_NE(nullptr, child);

    DWORD owner = 0;
    GetWindowThreadProcessId(child, &owner);
    EXPECT_EQ(preview.ProcessId(), owner);
    EXPECT_EQ("Preview", TitleOf(child));
    EXPECT_EQ(parent, GetParent(child));
    EXPECT_EQ(static_cast<LONG>(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN), GetWindowLongA(child, GWL_STYLE));
    EXPECT_EQ(0, GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT inParent, client;
    GetWindowRect(child, &inParent);
    MapWindowPoints(NULL, parent, reinterpret_cast<POINT*>(&inParent), 2);
    GetClientRect(parent, &client);
    EXPECT_EQ(Corners(client), Corners(inParent));

    EXPECT_TRUE(preview.StaysUp());
    DestroyWindow(parent);
    EXPECT_EQ(0u, preview.ExitCode());
}

TEST_F(Program, ConfigureOpensOnTheDefaultsAndOkStoresThem)
{
    ProgramRun run(ProgramPath(), "/c");
    HWND dialog = run.WaitForWindow(DialogClass, SetupTitle);
    ASSERT_NE(nullptr, dialog);
    HWND list = GetDlgItem(dialog, IDC_METHOD_LIST);
    EXPECT_EQ(0, Ask(list, LB_GETCURSEL));
    EXPECT_EQ("Lumivane", ControlText(dialog, IDC_TEXT));
    EXPECT_EQ("arial", ControlText(dialog, IDC_FACENAME));
    EXPECT_EQ("2", ControlText(dialog, IDC_SPEED));
    EXPECT_EQ(BST_CHECKED, Ask(GetDlgItem(dialog, IDC_ROTATE), BM_GETCHECK));
    EXPECT_TRUE(WaitUntil([dialog] { return SwatchShows(dialog, White); }, StartBound));

    Press(dialog, IDOK);
    EXPECT_EQ(1u, run.ExitCode());
    const std::vector<std::string> saved = {
        "[Screen Saver.Lumivane]", "Text=Lumivane", "ColorR=255", "ColorG=255", "ColorB=255", "Cycle=1",
        "Speed=2", "Method=0", "lfHeight=-72", "lfWidth=0", "lfWeight=0", "lfCharset=0", "lfItalic=0",
        "lfFacename=arial",
    };
    EXPECT_EQ(saved, profile.Lines());
}

// One run per row: the stored profile (none when empty), what the dialog
// shows, what is typed into the speed field (null: nothing), and the key
// that OK saves.
TEST_F(Program, ConfigureOkStoresWhatTheFieldsHold)
{
    struct Case { const char* stored; LRESULT selection; const char* speed; const char* key; const char* saved; };
    const Case cases[] = {
        {"", 0, "", "Speed", "5"},
        {"", 0, "0", "Speed", "1"},
        {"[Screen Saver.Lumivane]\r\nMethod=7\r\n", LB_ERR, nullptr, "Method", "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.saved);
        ASSERT_TRUE(*c.stored == '\0' ? profile.Remove() : profile.Write(c.stored));
        ProgramRun run(ProgramPath(), "/c");
        HWND dialog = run.WaitForWindow(DialogClass, SetupTitle);
        ASSERT_NE(nullptr, dialog);
        EXPECT_EQ(c.selection, Ask(GetDlgItem(dialog, IDC_METHOD_LIST), LB_GETCURSEL));
        if (c.speed != nullptr)
            SetControlText(dialog, IDC_SPEED, c.speed);
        Press(dialog, IDOK);
        EXPECT_EQ(1u, run.ExitCode());
        EXPECT_EQ(c.saved, ValueOf(profile.Lines(), c.key));
    }
}

// The colour picker is the system's own: its blue field set to 0 turns the
// white swatch yellow, and its OK confirms the pick.
TEST_F(Program, ConfigureCancelAfterAColourPickWritesNothing)
{
    const COLORREF yellow = RGB(255, 255, 0);
    ProgramRun run(ProgramPath(), "/c");
    HWND dialog = run.WaitForWindow(DialogClass, SetupTitle);
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(WaitUntil([dialog] { return SwatchShows(dialog, White); }, StartBound));

    Press(dialog, IDC_COLOR_BUTTON);
    HWND picker = NULL;
    WaitUntil([&] {
        for (HWND window : TopLevelWindows(run.ProcessId())) {
            if (window != dialog && ClassOf(window) == DialogClass && GetWindow(window, GW_OWNER) == dialog)
                picker = window;
        }
        return picker != NULL;
    }, StartBound);
    ASSERT_NE(nullptr, picker);
    // The picker fills its fields as it opens; a value typed before that is
    // overwritten.
    WaitUntil([picker] { return ControlText(picker, COLOR_BLUE) == "255"; }, StartBound);
    SetControlText(picker, COLOR_BLUE, "0");
    Press(picker, IDOK);
    EXPECT_TRUE(WaitUntil([dialog] { return SwatchShows(dialog, yellow); }, StartBound));

    Press(dialog, IDCANCEL);
    EXPECT_EQ(0u, run.ExitCode());
    EXPECT_FALSE(profile.Exists());
}

// Tab takes the focus from the method list to the text field, the text is
// typed over, and Enter there acts as OK, Esc as Cancel.
TEST_F(Program, ConfigureEnterInTheTextIsOkAndEscIsCancel)
{
    struct Case { WPARAM key; DWORD exitCode; const char* saved; };
    const Case cases[] = {{VK_RETURN, 1, "hi"}, {VK_ESCAPE, 0, nullptr}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key == VK_RETURN ? "Enter" : "Esc");
        ASSERT_TRUE(profile.Remove());
        ProgramRun run(ProgramPath(), "/c");
        HWND dialog = run.WaitForWindow(DialogClass, SetupTitle);
        ASSERT_NE(nullptr, dialog);
        HWND list = GetDlgItem(dialog, IDC_METHOD_LIST);
        HWND text = GetDlgItem(dialog, IDC_TEXT);
        ASSERT_TRUE(WaitUntil([&] { return FocusOf(dialog) == list; }, AnswerBound));
        PressKey(list, VK_TAB);
        ASSERT_TRUE(WaitUntil([&] { return FocusOf(dialog) == text; }, AnswerBound));
        TypeText(text, "hi");
        PressKey(text, c.key);
        EXPECT_EQ(c.exitCode, run.ExitCode());
        if (c.saved != nullptr)
            EXPECT_EQ(c.saved, ValueOf(profile.Lines(), "Text"));
        else
            EXPECT_FALSE(profile.Exists());
    }
}

TEST_F(Program, ConfigureIsOwnedByTheGivenWindowOrTheForegroundWindow)
{
    HWND given = CreateTestWindow(0, 0, 0);
    HWND foreground = CreateTestWindow(WS_VISIBLE, ScreenArea().right - 60, ScreenArea().bottom - 60);
    ASSERT_TRUE(given != NULL && foreground != NULL);
    struct Case { std::string arguments; HWND owner; };
    const Case cases[] = {
        {"/c:" + HandleText(given), given},
        {"/c", foreground},
        {"/c:0", foreground},
        {"/c:" + HandleText(GoneWindow()), foreground},
        {"", NULL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("arguments \"" + c.arguments + "\"");
        ASSERT_TRUE(MakeForeground(foreground));
        ProgramRun run(ProgramPath(), c.arguments);
        HWND dialog = run.WaitForWindow(DialogClass, SetupTitle);
        ASSERT_NE(nullptr, dialog);
        EXPECT_EQ(c.owner, GetWindow(dialog, GW_OWNER));
        Press(dialog, IDCANCEL);
        EXPECT_EQ(0u, run.ExitCode());
    }
    DestroyWindow(given);
    DestroyWindow(foreground);
    EXPECT_FALSE(profile.Exists());
}

// The resources as the system's display settings read them from the file.
TEST_F(Program, FileCarriesItsVersionNameIconAndDialog)
{
    VersionInfo version(ProgramPath());
    ASSERT_TRUE(version.Loaded());
    // The project's version for the file and the product.
    EXPECT_EQ(ProgramFixedVersions(), version.FixedVersions());
    EXPECT_EQ("Lumivane screen saver", version.Text("FileDescription"));

    HMODULE program = LoadLibraryExA(ProgramPath().c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, program);
    char name[64];
    std::memset(name, 0xCD, sizeof name);
    EXPECT_EQ(8, LoadStringA(program, IDS_DESCRIPTION, name, sizeof name));
    EXPECT_STREQ("Lumivane", name);
    HICON icon = static_cast<HICON>(LoadImageA(program, MAKEINTRESOURCEA(IDI_SAVER), IMAGE_ICON, 0, 0, 0));
    ASSERT_NE(nullptr, icon);
    ICONINFO info;
    std::memset(&info, 0xCD, sizeof info);
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP bitmap = {};
    GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
    EXPECT_EQ(32, bitmap.bmWidth);
    EXPECT_EQ(32, bitmap.bmHeight);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
    EXPECT_NE(nullptr, FindResourceA(program, MAKEINTRESOURCEA(IDD_CONFIG), MAKEINTRESOURCEA(5) /* RT_DIALOG */));
    FreeLibrary(program);
}

}  // namespace
