// The configuration dialog, run for real from template 2003 and driven by
// messages and keys. The application-data lookup answers a temporary folder,
// the colour and font pickers are scripted, and every font and brush the
// dialog creates is tracked until it is deleted.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>
#include "resources/resource.h"
#include "settings/config_dialog.h"
#include "settings/saver_state.h"
#include "support/import_hook.h"
#include "support/test_window.h"
#include "version.h"

namespace {

const char* const Section = "Screen Saver.Lumivane";
const INT_PTR HungResult = -77;         // the owner's guard ended a dialog no script closed

std::string g_folder;
std::vector<HWND> g_folderOwners;

BOOL WINAPI FakeSpecialFolderPath(HWND owner, LPSTR path, int folder, BOOL create)
{
    g_folderOwners.push_back(owner);
    if (folder != 26 || create)         // CSIDL_APPDATA, never created
        return FALSE;
    lstrcpynA(path, g_folder.c_str(), MAX_PATH);
    return TRUE;
}

std::string ProfilePath() { return g_folder + "\\control.ini"; }

std::string ReadKey(const char* key)
{
    char value[1024];
    GetPrivateProfileStringA(Section, key, "<missing>", value, sizeof value, ProfilePath().c_str());
    return value;
}

void StoreKeys(const std::vector<std::pair<const char*, const char*>>& keys)
{
    for (const auto& key : keys)
        WritePrivateProfileStringA(Section, key.first, key.second, ProfilePath().c_str());
}

std::string ReadProfileBytes()
{
    HANDLE file = CreateFileA(ProfilePath().c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return "<no file>";
    std::string bytes(GetFileSize(file, NULL), '\0');
    DWORD read = 0;
    ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, NULL);
    CloseHandle(file);
    return bytes;
}

// Pickers: every call is recorded, then answered from the front of g_answers.
struct Answer { BOOL confirm; COLORREF color; LOGFONTA font; };
struct ColorCall { CHOOSECOLORA picker; COLORREF custom[16]; };
struct FontCall { CHOOSEFONTA picker; LOGFONTA offered; };
std::vector<Answer> g_answers;
std::vector<ColorCall> g_colorCalls;
std::vector<FontCall> g_fontCalls;

Answer NextAnswer()
{
    Answer answer = {};
    if (!g_answers.empty()) {
        answer = g_answers.front();
        g_answers.erase(g_answers.begin());
    }
    return answer;
}

BOOL WINAPI FakeChooseColor(LPCHOOSECOLORA picker)
{
    ColorCall call = {*picker, {}};
    std::copy(picker->lpCustColors, picker->lpCustColors + 16, call.custom);
    // A real picker leaves the user's custom colours here; the next opening
    // must not show them again.
    std::fill(picker->lpCustColors, picker->lpCustColors + 16, RGB(1, 2, 3));
    g_colorCalls.push_back(call);
    Answer answer = NextAnswer();
    if (answer.confirm)
        picker->rgbResult = answer.color;
    return answer.confirm;
}

BOOL WINAPI FakeChooseFont(LPCHOOSEFONTA picker)
{
    g_fontCalls.push_back({*picker, *picker->lpLogFont});
    Answer answer = NextAnswer();
    if (answer.confirm)
        *picker->lpLogFont = answer.font;
    return answer.confirm;
}

// Fonts and brushes the program creates, until it deletes them.
typedef HBRUSH(WINAPI* CreateSolidBrushProc)(COLORREF);
typedef HFONT(WINAPI* CreateFontIndirectProc)(const LOGFONTA*);
typedef BOOL(WINAPI* DeleteObjectProc)(HGDIOBJ);
CreateSolidBrushProc g_createSolidBrush;
CreateFontIndirectProc g_createFontIndirect;
DeleteObjectProc g_deleteObject;
std::set<HGDIOBJ> g_live;
std::vector<HGDIOBJ> g_created;

HBRUSH WINAPI TrackCreateSolidBrush(COLORREF color)
{
    HBRUSH brush = g_createSolidBrush(color);
    g_live.insert(brush);
    g_created.push_back(brush);
    return brush;
}

HFONT WINAPI TrackCreateFontIndirect(const LOGFONTA* description)
{
    HFONT font = g_createFontIndirect(description);
    g_live.insert(font);
    g_created.push_back(font);
    return font;
}

BOOL WINAPI TrackDeleteObject(HGDIOBJ object)
{
    g_live.erase(object);
    return g_deleteObject(object);
}

// The owner runs the script once the dialog first waits for input.
std::function<void(HWND)> g_script;
HWND g_dialog;

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ENTERIDLE:
        if (g_dialog == NULL && wParam == MSGF_DIALOGBOX) {
            g_dialog = reinterpret_cast<HWND>(lParam);
            g_script(g_dialog);
        }
        return 0;
    case WM_TIMER:
        EndDialog(g_dialog, HungResult);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

std::string ItemText(HWND dialog, int id)
{
    char text[1024];
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

LRESULT ItemMessage(HWND dialog, int id, UINT message, WPARAM wParam = 0)
{
    return SendDlgItemMessageA(dialog, id, message, wParam, 0);
}

// Keys go where the keyboard sends them, to the focused control, and pass
// through the dialog's own message loop.
void PressKey(HWND dialog, int id, WPARAM key)
{
    SetFocus(GetDlgItem(dialog, id));
    PostMessageA(GetDlgItem(dialog, id), WM_KEYDOWN, key, 1);
}

// Replaces a field's text key by key.
void Type(HWND dialog, int id, const std::string& text)
{
    SetDlgItemTextA(dialog, id, "");
    SetFocus(GetDlgItem(dialog, id));
    for (char c : text)
        PostMessageA(GetDlgItem(dialog, id), WM_CHAR, static_cast<unsigned char>(c), 1);
}

LOGFONTA ItalicFont(const char* face, LONG height, LONG weight)
{
    LOGFONTA font = {};
    font.lfHeight = height;
    font.lfWeight = weight;
    font.lfItalic = 1;
    lstrcpynA(font.lfFaceName, face, LF_FACESIZE);
    return font;
}

class ConfigDialog : public ::testing::Test {
protected:
    ConfigDialog()
        : folderHook_("shell32.dll", "SHGetSpecialFolderPathA", reinterpret_cast<void*>(FakeSpecialFolderPath)),
          colorHook_("comdlg32.dll", "ChooseColorA", reinterpret_cast<void*>(FakeChooseColor)),
          fontHook_("comdlg32.dll", "ChooseFontA", reinterpret_cast<void*>(FakeChooseFont)),
          brushHook_("gdi32.dll", "CreateSolidBrush", reinterpret_cast<void*>(TrackCreateSolidBrush)),
          createFontHook_("gdi32.dll", "CreateFontIndirectA", reinterpret_cast<void*>(TrackCreateFontIndirect)),
          deleteHook_("gdi32.dll", "DeleteObject", reinterpret_cast<void*>(TrackDeleteObject))
    {
        g_createSolidBrush = brushHook_.Original<CreateSolidBrushProc>();
        g_createFontIndirect = createFontHook_.Original<CreateFontIndirectProc>();
        g_deleteObject = deleteHook_.Original<DeleteObjectProc>();
    }

    void SetUp() override
    {
        ASSERT_TRUE(folderHook_.Installed() && colorHook_.Installed() && fontHook_.Installed());
        ASSERT_TRUE(brushHook_.Installed() && createFontHook_.Installed() && deleteHook_.Installed());
        char temp[MAX_PATH];
        ASSERT_NE(0u, GetTempPathA(MAX_PATH, temp));
        base_ = std::string(temp) + "lumivane-dialog-" + std::to_string(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryA(base_.c_str(), NULL));
        const TestWindowClass ownerClass = {"LumivaneTestOwner", OwnerProc, 0, NULL};
        owner_ = CreateTestClassWindow(ownerClass, "", WS_POPUP | WS_VISIBLE, 0, 0, 8, 8, NULL);
        ASSERT_NE(nullptr, owner_);
    }

    void TearDown() override
    {
        DestroyWindow(owner_);
        for (int i = 0; i < folders_; ++i) {
            DeleteFileA((Folder(i) + "\\control.ini").c_str());
            RemoveDirectoryA(Folder(i).c_str());
        }
        EXPECT_TRUE(RemoveDirectoryA(base_.c_str())) << "leftovers in " << base_;
    }

    // A folder per dialog run: the system caches profile files by name, so
    // no file is removed and made again under the same name.
    void NewProfile()
    {
        g_folder = Folder(folders_++);
        ASSERT_TRUE(CreateDirectoryA(g_folder.c_str(), NULL));
    }

    // The modal dialog, with the script run once it is up. Nothing of the
    // fonts and brushes it made may outlive it.
    INT_PTR RunDialog(const std::function<void(HWND)>& script)
    {
        // Every setting must come from the load, not from an earlier run.
        std::memset(&g_dialogState.method, 0xCD, offsetof(SaverState, font) - offsetof(SaverState, method));
        g_script = script;
        g_dialog = NULL;
        g_folderOwners.clear();
        g_created.clear();
        g_live.clear();
        SetTimer(owner_, 1, 30000, NULL);
        INT_PTR result = DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_CONFIG), owner_, ConfigDialogProc, 0);
        KillTimer(owner_, 1);
        EXPECT_NE(HungResult, result) << "the script did not end the dialog";
        EXPECT_FALSE(g_created.empty());
        EXPECT_TRUE(g_live.empty()) << g_live.size() << " fonts or brushes left";
        for (HGDIOBJ object : g_created)
            EXPECT_EQ(0u, GetObjectType(object));
        EXPECT_EQ(nullptr, g_dialogState.font);
        EXPECT_EQ(nullptr, g_dialogState.brush);
        // The dialog's state has no window, so the folder lookup has no owner.
        EXPECT_EQ(std::vector<HWND>(g_folderOwners.size(), nullptr), g_folderOwners);
        return result;
    }

    HWND owner_ = NULL;

private:
    std::string Folder(int i) const { return base_ + "\\run" + std::to_string(i); }
    ImportHook folderHook_, colorHook_, fontHook_, brushHook_, createFontHook_, deleteHook_;
    std::string base_;
    int folders_ = 0;
};

// Reads a DLGTEMPLATE: words, double words, and names or ordinals.
struct TemplateReader {
    const BYTE* start;
    const BYTE* at;
    WORD Word() { WORD value; std::memcpy(&value, at, 2); at += 2; return value; }
    DWORD Dword() { DWORD value; std::memcpy(&value, at, 4); at += 4; return value; }
    std::string Name()
    {
        std::string text;
        WORD c = Word();
        if (c == 0xFFFF) {
            const char* const classes[] = {"Button", "Edit", "Static", "ListBox"};
            WORD ordinal = Word();
            return ordinal >= 0x80 && ordinal <= 0x83 ? classes[ordinal - 0x80] : "#" + std::to_string(ordinal);
        }
        for (; c != 0; c = Word())
            text += static_cast<char>(c);
        return text;
    }
    void AlignToDword() { at += (4 - (at - start) % 4) % 4; }
};

}  // namespace

TEST_F(ConfigDialog, TemplateHoldsEveryControlInTabOrder)
{
    struct Control { const char* className; int id; const char* text; short x, y, cx, cy; DWORD style; };
    const DWORD Child = WS_CHILD | WS_VISIBLE;
    const DWORD Label = Child | WS_GROUP | SS_LEFT | SS_CENTERIMAGE;
    const DWORD Line = Child | WS_GROUP | SS_RIGHT | SS_CENTERIMAGE;
    const Control expected[] = {
        {"Static", -1, "Flex method", 5, 10, 65, 12, Label},
        {"ListBox", 1009, "", 5, 25, 65, 65, Child | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT},
        {"Static", -1, "Text", 85, 10, 40, 12, Label},
        {"Edit", 1000, "", 130, 10, 130, 12, Child | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL},
        {"Static", -1, "Font", 85, 25, 40, 12, Label},
        {"Edit", 1002, "", 130, 25, 115, 12, Child | WS_BORDER | ES_AUTOHSCROLL | ES_READONLY},
        {"Button", 1007, "...", 250, 25, 10, 10, Child | WS_TABSTOP | BS_PUSHBUTTON},
        {"Static", -1, "Color", 85, 40, 40, 12, Label},
        {"Static", 1005, "", 130, 40, 30, 12, Child | WS_GROUP | WS_BORDER | SS_SUNKEN},
        {"Button", 1006, "...", 165, 40, 10, 10, Child | WS_TABSTOP | BS_PUSHBUTTON},
        {"Button", 1008, "Rotate", 185, 40, 45, 10, Child | WS_TABSTOP | BS_AUTOCHECKBOX},
        {"Static", -1, "Speed", 85, 55, 40, 12, Label},
        {"Edit", 1001, "", 130, 55, 30, 12, Child | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_NUMBER},
        {"Button", 1, "OK", 270, 10, 40, 12, Child | WS_TABSTOP | BS_DEFPUSHBUTTON},
        {"Button", 2, "Cancel", 270, 30, 40, 12, Child | WS_TABSTOP | BS_PUSHBUTTON},
        {"Static", -1, nullptr, 95, 75, 210, 10, Line},     // an information line of the program's choice
        {"Static", -1, LUMIVANE_VERSION_LABEL, 95, 85, 210, 10, Line},
    };
    HRSRC found = FindResourceA(NULL, MAKEINTRESOURCEA(IDD_CONFIG), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    ASSERT_NE(nullptr, found);
    const BYTE* start = static_cast<const BYTE*>(LockResource(LoadResource(NULL, found)));
    TemplateReader reader = {start, start};
    EXPECT_EQ(static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT), reader.Dword());
    EXPECT_EQ(0u, reader.Dword());
    ASSERT_EQ(sizeof expected / sizeof expected[0], reader.Word());
    for (short value : {182, 149, 317, 101})
        EXPECT_EQ(value, static_cast<short>(reader.Word()));
    EXPECT_EQ("", reader.Name());                       // no menu
    EXPECT_EQ("", reader.Name());                       // no class of its own
    EXPECT_EQ("Lumivane Setup", reader.Name());
    EXPECT_EQ(8, reader.Word());
    EXPECT_EQ("MS Sans Serif", reader.Name());
    for (const Control& control : expected) {
        SCOPED_TRACE("control " + std::to_string(&control - expected + 1));
        reader.AlignToDword();
        EXPECT_EQ(control.style, reader.Dword());
        EXPECT_EQ(0u, reader.Dword());
        for (short value : {control.x, control.y, control.cx, control.cy})
            EXPECT_EQ(value, static_cast<short>(reader.Word()));
        EXPECT_EQ(static_cast<WORD>(control.id), reader.Word());
        EXPECT_EQ(control.className, reader.Name());
        std::string text = reader.Name();
        EXPECT_TRUE(control.text ? text == control.text : !text.empty()) << text;
        EXPECT_EQ(0, reader.Word());                    // no creation data
    }
}

TEST_F(ConfigDialog, OpensOnTheDefaultsAndOkStoresThem)
{
    NewProfile();
    INT_PTR result = RunDialog([](HWND dialog) {
        const char* const methods[] = {"Lumivane", "FlexBeam", "StraightBeam"};
        ASSERT_EQ(3, ItemMessage(dialog, IDC_METHOD_LIST, LB_GETCOUNT));
        for (int i = 0; i < 3; ++i) {
            char name[32] = "";
            SendDlgItemMessageA(dialog, IDC_METHOD_LIST, LB_GETTEXT, i, reinterpret_cast<LPARAM>(name));
            EXPECT_STREQ(methods[i], name);
        }
        EXPECT_EQ(0, ItemMessage(dialog, IDC_METHOD_LIST, LB_GETCURSEL));
        EXPECT_EQ(GetDlgItem(dialog, IDC_METHOD_LIST), GetFocus());
        EXPECT_EQ("Lumivane", ItemText(dialog, IDC_TEXT));
        EXPECT_EQ("arial", ItemText(dialog, IDC_FACENAME));
        EXPECT_EQ("2", ItemText(dialog, IDC_SPEED));
        EXPECT_EQ(BST_CHECKED, ItemMessage(dialog, IDC_ROTATE, BM_GETCHECK));

        // The swatch takes a white brush of the dialog's own; every other
        // static control, the read-only face name among them, gets FALSE.
        HDC dc = GetDC(dialog);
        HWND swatch = GetDlgItem(dialog, IDC_SWATCH);
        LRESULT brush = SendMessageA(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                     reinterpret_cast<LPARAM>(swatch));
        EXPECT_EQ(reinterpret_cast<LRESULT>(g_dialogState.brush), brush);
        LOGBRUSH description = {};
        GetObjectA(reinterpret_cast<HBRUSH>(brush), sizeof description, &description);
        EXPECT_EQ(RGB(255, 255, 255), description.lbColor);
        for (HWND child = GetWindow(dialog, GW_CHILD); child != NULL; child = GetWindow(child, GW_HWNDNEXT)) {
            LRESULT other = ConfigDialogProc(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                             reinterpret_cast<LPARAM>(child));
            EXPECT_EQ(child == swatch ? brush : FALSE, other) << "control " << GetDlgCtrlID(child);
        }
        ReleaseDC(dialog, dc);
        ItemMessage(dialog, IDOK, BM_CLICK);
    });
    EXPECT_EQ(1, result);
    const char* const saved[][2] = {
        {"Text", "Lumivane"}, {"ColorR", "255"}, {"ColorG", "255"}, {"ColorB", "255"}, {"Cycle", "1"},
        {"Speed", "2"}, {"Method", "0"}, {"lfHeight", "-72"}, {"lfWidth", "0"}, {"lfWeight", "0"},
        {"lfCharset", "0"}, {"lfItalic", "0"}, {"lfFacename", "arial"},
    };
    for (const auto& key : saved)
        EXPECT_EQ(key[1], ReadKey(key[0])) << key[0];
}

// Enter acts as OK; Esc and the close box act as Cancel and write nothing.
TEST_F(ConfigDialog, EnterIsOkEscAndCloseAreCancel)
{
    struct Case { int control; WPARAM key; INT_PTR result; };
    const Case cases[] = {
        {IDC_TEXT, VK_RETURN, 1}, {IDC_METHOD_LIST, VK_RETURN, 1}, {IDC_SPEED, VK_RETURN, 1},
        {IDC_TEXT, VK_ESCAPE, 0}, {0, 0, 0},             // 0: the close box
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("control " + std::to_string(c.control) + ", key " + std::to_string(c.key));
        NewProfile();
        INT_PTR result = RunDialog([&](HWND dialog) {
            SetDlgItemTextA(dialog, IDC_TEXT, "typed");
            if (c.control != 0)
                PressKey(dialog, c.control, c.key);
            else
                PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        });
        EXPECT_EQ(c.result, result);
        EXPECT_EQ(c.result == 1 ? "typed" : "<missing>", ReadKey("Text"));
    }
}

// One dialog run per row, in which every field starts from a stored value,
// shows it, takes some input and is saved by OK. The input is typed into
// the speed and the text; for the method it is the number of arrow-down
// presses in the list, for "Rotate" the number of clicks on the box.
TEST_F(ConfigDialog, OkReadsTheControlsBack)
{
    const std::string longText = std::string(200, 'a') + std::string(100, 'b');
    struct Field { const char* stored; std::string shown; std::string input; std::string saved; };
    struct Case { Field speed, method, text, cycle; };
    const Case cases[] = {
        // An empty speed is no number; an empty text is saved empty.
        {{"2", "2", "", "5"}, {"0", "0", "0", "0"}, {"Hi", "Hi", "", ""}, {"1", "1", "0", "1"}},
        {{"2", "2", "0", "1"}, {"2", "2", "0", "2"}, {"Hi", "Hi", longText, longText.substr(0, 255)},
         {"5", "1", "1", "0"}},
        // A negative speed shows as the unsigned number of its bits.
        {{"-2", "4294967294", "4294967294", "-2"}, {"0", "0", "2", "2"}, {"", "Lumivane", "x", "x"},
         {"0", "0", "1", "1"}},
        // The speed field takes digits only; a method the list lacks shows
        // no selection and is saved as 0.
        {{"2", "2", "1x2", "12"}, {"7", "-1", "0", "0"}, {"a", "a", "b", "b"}, {"0", "0", "2", "0"}},
        {{"2", "2", "4294967295", "-1"}, {"-1", "-1", "0", "0"}, {"a", "a", "b", "b"}, {"1", "1", "0", "1"}},
        // Too large for 32 bits is no number either.
        {{"2", "2", "4294967296", "5"}, {"1", "1", "1", "2"}, {"a", "a", "b", "b"}, {"1", "1", "0", "1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("row " + std::to_string(&c - cases + 1));
        NewProfile();
        StoreKeys({{"Speed", c.speed.stored}, {"Method", c.method.stored}, {"Text", c.text.stored},
                   {"Cycle", c.cycle.stored}});
        INT_PTR result = RunDialog([&](HWND dialog) {
            EXPECT_EQ(c.speed.shown, ItemText(dialog, IDC_SPEED));
            EXPECT_EQ(c.method.shown, std::to_string(ItemMessage(dialog, IDC_METHOD_LIST, LB_GETCURSEL)));
            EXPECT_EQ(c.text.shown, ItemText(dialog, IDC_TEXT));
            EXPECT_EQ(c.cycle.shown, std::to_string(ItemMessage(dialog, IDC_ROTATE, BM_GETCHECK)));
            Type(dialog, IDC_SPEED, c.speed.input);
            Type(dialog, IDC_TEXT, c.text.input);
            for (int i = 0; i < std::stoi(c.method.input); ++i)
                PressKey(dialog, IDC_METHOD_LIST, VK_DOWN);
            for (int i = 0; i < std::stoi(c.cycle.input); ++i)
                ItemMessage(dialog, IDC_ROTATE, BM_CLICK);
            PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        });
        EXPECT_EQ(1, result);
        EXPECT_EQ(c.speed.saved, ReadKey("Speed"));
        EXPECT_EQ(c.method.saved, ReadKey("Method"));
        EXPECT_EQ(c.text.saved, ReadKey("Text"));
        EXPECT_EQ(c.cycle.saved, ReadKey("Cycle"));
    }
}

TEST_F(ConfigDialog, PickersStartFromTheStateAndOnlyOkStoresTheirChoice)
{
    const COLORREF picked = RGB(0x99, 0x66, 0x33);
    const LOGFONTA chosen = ItalicFont("Liberation Serif", -30, FW_BOLD);
    for (INT_PTR ending : {IDOK, IDCANCEL}) {
        SCOPED_TRACE(ending == IDOK ? "OK" : "Cancel");
        NewProfile();
        StoreKeys({{"ColorR", "10"}, {"ColorG", "20"}, {"ColorB", "30"}, {"Other", "kept"}});
        const std::string before = ReadProfileBytes();
        g_colorCalls.clear();
        g_fontCalls.clear();
        // Each picker confirms once and is cancelled once.
        g_answers = {{TRUE, picked, {}}, {FALSE, RGB(7, 7, 7), {}}, {TRUE, 0, chosen}, {FALSE, 0, ItalicFont("x", 1, 1)}};
        INT_PTR result = RunDialog([&](HWND dialog) {
            // The swatch shows the stored colour, and after a pick repaints
            // in the new one.
            HWND swatch = GetDlgItem(dialog, IDC_SWATCH);
            HDC dc = GetDC(swatch);
            RedrawWindow(dialog, NULL, NULL, RDW_UPDATENOW | RDW_ALLCHILDREN);
            EXPECT_EQ(RGB(10, 20, 30), GetPixel(dc, 4, 4));
            HBRUSH firstBrush = g_dialogState.brush;
            ItemMessage(dialog, IDC_COLOR_BUTTON, BM_CLICK);
            EXPECT_EQ(0u, GetObjectType(firstBrush)) << "the replaced brush is deleted";
            UpdateWindow(swatch);
            EXPECT_EQ(picked, GetPixel(dc, 4, 4));
            ReleaseDC(swatch, dc);
            HBRUSH secondBrush = g_dialogState.brush;
            ItemMessage(dialog, IDC_COLOR_BUTTON, BM_CLICK);
            EXPECT_EQ(secondBrush, g_dialogState.brush);

            HFONT firstFont = g_dialogState.font;
            ItemMessage(dialog, IDC_FONT_BUTTON, BM_CLICK);
            EXPECT_EQ(0u, GetObjectType(firstFont)) << "the replaced font is deleted";
            LOGFONTA font;
            std::memset(&font, 0xCD, sizeof font);
            GetObjectA(g_dialogState.font, sizeof font, &font);
            EXPECT_STREQ("Liberation Serif", font.lfFaceName);
            HFONT secondFont = g_dialogState.font;
            ItemMessage(dialog, IDC_FONT_BUTTON, BM_CLICK);
            EXPECT_EQ(secondFont, g_dialogState.font);
            EXPECT_EQ("Liberation Serif", ItemText(dialog, IDC_FACENAME));
            ItemMessage(dialog, static_cast<int>(ending), BM_CLICK);
        });
        EXPECT_EQ(ending == IDOK ? 1 : 0, result);

        ASSERT_EQ(2u, g_colorCalls.size());
        const COLORREF starts[] = {RGB(10, 20, 30), picked};
        for (int i = 0; i < 2; ++i) {
            const CHOOSECOLORA& picker = g_colorCalls[i].picker;
            EXPECT_EQ(sizeof(void*) == 4 ? 36u : 72u, picker.lStructSize);
            EXPECT_EQ(g_dialog, picker.hwndOwner);
            EXPECT_EQ(starts[i], picker.rgbResult);
            EXPECT_EQ(static_cast<DWORD>(CC_RGBINIT), picker.Flags);
            EXPECT_TRUE(!picker.hInstance && !picker.lCustData && !picker.lpfnHook && !picker.lpTemplateName);
            EXPECT_EQ(std::vector<COLORREF>(16, RGB(0, 0, 0)),
                      std::vector<COLORREF>(g_colorCalls[i].custom, g_colorCalls[i].custom + 16));
        }
        ASSERT_EQ(2u, g_fontCalls.size());
        const char* const faces[] = {"arial", "Liberation Serif"};
        for (int i = 0; i < 2; ++i) {
            const CHOOSEFONTA& picker = g_fontCalls[i].picker;
            EXPECT_EQ(sizeof(void*) == 4 ? 60u : 104u, picker.lStructSize);
            EXPECT_EQ(g_dialog, picker.hwndOwner);
            EXPECT_EQ(&g_dialogState.logFont, picker.lpLogFont);
            EXPECT_EQ(0x50041u, picker.Flags);
            EXPECT_TRUE(!picker.hDC && !picker.iPointSize && !picker.rgbColors && !picker.lCustData &&
                        !picker.lpfnHook && !picker.lpTemplateName && !picker.hInstance && !picker.lpszStyle &&
                        !picker.nFontType && !picker.nSizeMin && !picker.nSizeMax);
            EXPECT_STREQ(faces[i], g_fontCalls[i].offered.lfFaceName);
        }
        EXPECT_EQ(-72, g_fontCalls[0].offered.lfHeight);

        if (ending == IDCANCEL) {
            EXPECT_EQ(before, ReadProfileBytes());
            continue;
        }
        const char* const saved[][2] = {
            {"ColorR", "153"}, {"ColorG", "102"}, {"ColorB", "51"}, {"lfHeight", "-30"}, {"lfWidth", "0"},
            {"lfWeight", "700"}, {"lfItalic", "1"}, {"lfFacename", "Liberation Serif"}, {"Other", "kept"},
        };
        for (const auto& key : saved)
            EXPECT_EQ(key[1], ReadKey(key[0])) << key[0];
    }
}
