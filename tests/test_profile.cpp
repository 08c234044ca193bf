// Settings storage on real profile files: the application-data folder lookup
// is redirected to a fresh temporary folder (or made to fail); reading and
// writing the file is the system's own.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>
#include "settings/profile.h"
#include "support/import_hook.h"
#include "support/saver_state_checks.h"

namespace {

const char Section[] = "[Screen Saver.Lumivane]\r\n";
const unsigned char Poison = 0xCD;

// What the redirected folder lookup saw and what it answers.
struct FolderLookup {
    std::string folder;
    bool fails = false;
    int calls = 0;
    HWND owner = nullptr;
    int folderId = -1;
    BOOL create = -1;
};
FolderLookup g_lookup;

BOOL WINAPI RedirectedFolderLookup(HWND owner, LPSTR path, int folderId, BOOL create)
{
    ++g_lookup.calls;
    g_lookup.owner = owner;
    g_lookup.folderId = folderId;
    g_lookup.create = create;
    if (g_lookup.fails)
        return FALSE;
    lstrcpyA(path, g_lookup.folder.c_str());
    return TRUE;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void WriteBytes(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, NULL);
    CloseHandle(file);
    ASSERT_EQ(bytes.size(), written);
}

std::string ReadBytes(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string bytes(GetFileSize(file, NULL), '\0');
    DWORD read = 0;
    ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, NULL);
    CloseHandle(file);
    return bytes.substr(0, read);
}

// A fresh folder under the temporary path, padded to length characters when
// asked, removed with its profile. Each case gets its own, so no profile file
// name is ever reused within the process.
class ScratchFolder {
public:
    explicit ScratchFolder(size_t length = 0)
    {
        static int serial;
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        path_ = std::string(temp) + "lumivane-profile-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(++serial);
        if (path_.size() < length)
            path_.append(length - path_.size(), 'x');
        CreateDirectoryA(path_.c_str(), NULL);
    }
    ~ScratchFolder()
    {
        DeleteFileA(Profile().c_str());
        RemoveDirectoryA(path_.c_str());
    }
    const std::string& Path() const { return path_; }
    std::string Profile() const { return path_ + "\\control.ini"; }

private:
    std::string path_;
};

// "control.ini" of the Windows directory, put back as it was found.
class WindowsDirectoryProfile {
public:
    WindowsDirectoryProfile()
    {
        char folder[MAX_PATH];
        GetWindowsDirectoryA(folder, MAX_PATH);
        path_ = std::string(folder) + "\\control.ini";
        existed_ = Exists(path_);
        if (existed_)
            saved_ = ReadBytes(path_);
    }
    ~WindowsDirectoryProfile()
    {
        if (existed_)
            WriteBytes(path_, saved_);
        else
            DeleteFileA(path_.c_str());
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    std::string saved_;
    bool existed_ = false;
};

SaverState Poisoned()
{
    SaverState state;
    std::memset(&state, Poison, sizeof state);
    return state;
}

class Profile : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(hook_.Installed());
        g_lookup = FolderLookup();
    }
    // Loads a profile of the given bytes from a folder of its own.
    SaverState Load(const std::string& bytes)
    {
        ScratchFolder folder;
        g_lookup.folder = folder.Path();
        WriteBytes(folder.Profile(), bytes);
        SaverState state = Poisoned();
        TransferSettings(SettingsLoad, &state);
        return state;
    }
    // Saves state into a folder of its own; returns the file's bytes and
    // leaves the record as the save left it.
    std::string Save(SaverState* state)
    {
        ScratchFolder folder;
        g_lookup.folder = folder.Path();
        TransferSettings(SettingsSave, state);
        return ReadBytes(folder.Profile());
    }

private:
    ImportHook hook_{"shell32.dll", "SHGetSpecialFolderPathA", reinterpret_cast<void*>(&RedirectedFolderLookup)};
};

LOGFONTA Font(LONG height, LONG width, LONG weight, BYTE charSet, BYTE italic, const char* face)
{
    LOGFONTA font = {};
    font.lfHeight = height;
    font.lfWidth = width;
    font.lfWeight = weight;
    font.lfCharSet = charSet;
    font.lfItalic = italic;
    lstrcpyA(font.lfFaceName, face);
    return font;
}

SaverState Record(const char* text, const char* face)
{
    SaverState state = {};
    lstrcpynA(state.text, text, TextCapacity);
    state.color = RGB(1, 2, 3);
    state.speed = 5;
    state.method = 1;
    state.logFont = Font(-40, 10, 700, 2, 1, face);
    return state;
}

// Record("Hello", "Courier New") as its section holds it.
const char RecordLines[] =
    "Text=Hello\r\nColorR=1\r\nColorG=2\r\nColorB=3\r\nCycle=0\r\nSpeed=5\r\nMethod=1\r\n"
    "lfHeight=-40\r\nlfWidth=10\r\nlfWeight=700\r\nlfCharset=2\r\nlfItalic=1\r\nlfFacename=Courier New\r\n";

// A transfer touches the six settings only.
void ExpectRuntimeFieldsPoisoned(const SaverState& state)
{
    SaverState poisoned = Poisoned();
    EXPECT_EQ(0, std::memcmp(&poisoned, &state, offsetof(SaverState, method)));
    EXPECT_EQ(0, std::memcmp(&poisoned.font, &state.font, sizeof state - offsetof(SaverState, font)));
}

void ExpectFont(const LOGFONTA& expected, const LOGFONTA& actual)
{
    EXPECT_EQ(0, std::memcmp(&expected, &actual, sizeof expected))
        << "height " << actual.lfHeight << " width " << actual.lfWidth << " weight " << actual.lfWeight
        << " charset " << int(actual.lfCharSet) << " italic " << int(actual.lfItalic) << " face "
        << std::string(actual.lfFaceName, strnlen(actual.lfFaceName, LF_FACESIZE));
}

}  // namespace

TEST_F(Profile, MissingFileLoadsEveryDefaultAndCreatesNothing)
{
    ScratchFolder folder;
    g_lookup.folder = folder.Path();
    SaverState state = Poisoned();
    TransferSettings(SettingsLoad, &state);

    EXPECT_STREQ("Lumivane", state.text);
    EXPECT_EQ(RGB(255, 255, 255), state.color);
    EXPECT_EQ(1, state.cycle);
    EXPECT_EQ(2, state.speed);
    EXPECT_EQ(0, state.method);
    ExpectFont(Font(-72, 0, 0, 0, 0, "arial"), state.logFont);
    ExpectRuntimeFieldsPoisoned(state);
    EXPECT_FALSE(Exists(folder.Profile()));
    EXPECT_EQ(1, g_lookup.calls);
    EXPECT_EQ(state.window, g_lookup.owner);
    EXPECT_EQ(CSIDL_APPDATA, g_lookup.folderId);
    EXPECT_EQ(FALSE, g_lookup.create);
}

TEST_F(Profile, StoredNumbersConvertAsTheirFieldsHoldThem)
{
    struct Case { const char* line; int32_t (*field)(const SaverState&); int32_t expected; };
    auto red = [](const SaverState& s) -> int32_t { return GetRValue(s.color); };
    auto green = [](const SaverState& s) -> int32_t { return GetGValue(s.color); };
    auto blue = [](const SaverState& s) -> int32_t { return GetBValue(s.color); };
    auto cycle = [](const SaverState& s) { return s.cycle; };
    auto speed = [](const SaverState& s) { return s.speed; };
    auto method = [](const SaverState& s) { return s.method; };
    auto height = [](const SaverState& s) -> int32_t { return s.logFont.lfHeight; };
    auto weight = [](const SaverState& s) -> int32_t { return s.logFont.lfWeight; };
    auto charSet = [](const SaverState& s) -> int32_t { return s.logFont.lfCharSet; };
    auto italic = [](const SaverState& s) -> int32_t { return s.logFont.lfItalic; };
    const Case cases[] = {
        {"ColorR=300", red, 44},        {"ColorG=-1", green, 255},      {"ColorB=256", blue, 0},
        {"ColorB=255", blue, 255},      {"Cycle=5", cycle, 1},          {"Cycle=-1", cycle, 1},
        {"Cycle=0", cycle, 0},          {"Method=7", method, 7},        {"Method=-1", method, -1},
        {"Speed=2147483647", speed, INT32_MAX},                         {"lfHeight=30", height, 30},
        {"lfWeight=-2147483648", weight, INT32_MIN},                    {"lfItalic=257", italic, 1},
        {"lfCharset=204", charSet, 204}, {"lfCharset=-52", charSet, 204},
    };
    for (const Case& c : cases) {
        SaverState state = Load(std::string(Section) + c.line + "\r\n");
        EXPECT_EQ(c.expected, c.field(state)) << c.line;
    }

    // A whole section, saved back: what the record holds is what is written.
    SaverState state = Load(std::string(Section) +
                            "ColorR=300\r\nColorG=-1\r\nColorB=7\r\nCycle=5\r\nSpeed=-3\r\nMethod=7\r\n"
                            "lfHeight=-72\r\nlfWidth=12\r\nlfWeight=700\r\nlfCharset=204\r\nlfItalic=257\r\n");
    EXPECT_EQ(RGB(44, 255, 7), state.color);
    ExpectFont(Font(-72, 12, 700, 204, 1, "arial"), state.logFont);
    ExpectRuntimeFieldsPoisoned(state);
    state.cycle = 5;
    EXPECT_EQ(std::string(Section) +
                  "Text=Lumivane\r\nColorR=44\r\nColorG=255\r\nColorB=7\r\nCycle=1\r\nSpeed=-3\r\nMethod=7\r\n"
                  "lfHeight=-72\r\nlfWidth=12\r\nlfWeight=700\r\nlfCharset=204\r\nlfItalic=1\r\nlfFacename=arial\r\n",
              Save(&state));
}

TEST_F(Profile, FontFieldsOutsideTheProfileComeBackZero)
{
    SaverState state = Record("Hello", "Courier New");
    LOGFONTA& font = state.logFont;
    font.lfEscapement = font.lfOrientation = 900;
    font.lfUnderline = font.lfStrikeOut = 1;
    font.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    font.lfClipPrecision = CLIP_STROKE_PRECIS;
    font.lfQuality = ANTIALIASED_QUALITY;
    font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    std::memset(font.lfFaceName + sizeof "Courier New", 'Z', LF_FACESIZE - sizeof "Courier New");
    SaverState loaded = Load(Save(&state));
    ExpectFont(Font(-40, 10, 700, 2, 1, "Courier New"), loaded.logFont);
}

TEST_F(Profile, SaveWritesThirteenKeysInOrderAndReplacesExistingOnesInPlace)
{
    struct Case { const char* before; std::string after; };
    const Case cases[] = {
        {nullptr, std::string(Section) + RecordLines},
        {"", std::string(Section) + RecordLines},
        {"[Desktop]\r\nText=elsewhere\r\n[Screen Saver.Lumivane]\r\nlfFacename=Old\r\nMethod=2\r\nPreview=yes\r\n"
         "Text=old\r\nColorB=9\r\n[Screen Saver.Other]\r\nSpeed=9\r\n",
         "[Desktop]\r\nText=elsewhere\r\n[Screen Saver.Lumivane]\r\nlfFacename=Courier New\r\nMethod=1\r\n"
         "Preview=yes\r\nText=Hello\r\nColorB=3\r\nColorR=1\r\nColorG=2\r\nCycle=0\r\nSpeed=5\r\n"
         "lfHeight=-40\r\nlfWidth=10\r\nlfWeight=700\r\nlfCharset=2\r\nlfItalic=1\r\n[Screen Saver.Other]\r\nSpeed=9\r\n"},
        {"[Screen Saver.Lumivane]\r\nlfFacename=a\r\nlfItalic=0\r\nlfCharset=0\r\nlfWeight=0\r\nlfWidth=0\r\n"
         "lfHeight=0\r\nMethod=0\r\nSpeed=0\r\nCycle=1\r\nColorB=0\r\nColorG=0\r\nColorR=0\r\nText=a\r\n",
         "[Screen Saver.Lumivane]\r\nlfFacename=Courier New\r\nlfItalic=1\r\nlfCharset=2\r\nlfWeight=700\r\n"
         "lfWidth=10\r\nlfHeight=-40\r\nMethod=1\r\nSpeed=5\r\nCycle=0\r\nColorB=3\r\nColorG=2\r\nColorR=1\r\nText=Hello\r\n"},
    };
    for (const Case& c : cases) {
        ScratchFolder folder;
        g_lookup.folder = folder.Path();
        if (c.before != nullptr)
            WriteBytes(folder.Profile(), c.before);
        SaverState state = Record("Hello", "Courier New");
        TransferSettings(SettingsSave, &state);
        EXPECT_EQ(c.after, ReadBytes(folder.Profile())) << (c.before ? c.before : "no file");
    }
}

TEST_F(Profile, TextsAndFaceNamesSurviveSaveAndLoad)
{
    // Record text, its line in the file, the text the next load gives.
    struct Case { const char* text; const char* line; const char* loaded; };
    const Case cases[] = {
        {"a = b ; [c]", "Text=a = b ; [c]", "a = b ; [c]"},
        {" lead", "Text=\" lead\"", " lead"},
        {"trail ", "Text=\"trail \"", "trail "},
        {"\tboth\v", "Text=\"\tboth\v\"", "\tboth\v"},
        {"\x1a" "eof", "Text=\"\x1a" "eof\"", "\x1a" "eof"},
        {"\"quoted\"", "Text=\"\"quoted\"\"", "\"quoted\""},
        {"'single'", "Text=\"'single'\"", "'single'"},
        {"\"", "Text=\"\"\"", "\""},
        {"'", "Text=\"'\"", "'"},
        {"\"open", "Text=\"open", "\"open"},
        {"'mixed\"", "Text='mixed\"", "'mixed\""},
        {"caf\xe9 \x01\x7f\xff!", "Text=caf\xe9 \x01\x7f\xff!", "caf\xe9 \x01\x7f\xff!"},
        {"one\r\ntwo=2", "Text=one  two=2", "one  two=2"},
        {"end\n", "Text=\"end \"", "end "},
        {"\r\n", "Text=", "Lumivane"},
        {" \t\f", "Text=", "Lumivane"},
        {"", "Text=", "Lumivane"},
    };
    for (const Case& c : cases) {
        SaverState state = Record(c.text, "Courier New");
        std::string bytes = Save(&state);
        // One line per key: a line break never reaches the file.
        std::string lines(RecordLines);
        lines.replace(0, lines.find("\r\n"), c.line);
        EXPECT_EQ(std::string(Section) + lines, bytes) << c.text;
        EXPECT_STREQ(c.text[0] != '\0' ? c.text : "Lumivane", state.text);
        EXPECT_STREQ(c.loaded, Load(bytes).text) << c.text;
    }

    const Case faces[] = {
        {" Lucida ", "lfFacename=\" Lucida \"", " Lucida "},
        {"'Tahoma'", "lfFacename=\"'Tahoma'\"", "'Tahoma'"},
        {"Sym\nbol", "lfFacename=Sym bol", "Sym bol"},
        {"  ", "lfFacename=", ""},
    };
    for (const Case& c : faces) {
        SaverState state = Record("Hello", c.text);
        std::string bytes = Save(&state);
        EXPECT_NE(std::string::npos, bytes.find(std::string("\r\n") + c.line + "\r\n")) << bytes;
        EXPECT_STREQ(c.loaded, Load(bytes).logFont.lfFaceName) << c.text;
    }
}

TEST_F(Profile, LongTextsAndFaceNamesAreCutAtTheirLengths)
{
    std::string longText(300, 'T');
    std::string longFace(40, 'F');
    SaverState state = Load(std::string(Section) + "Text=" + longText + "\r\nlfFacename=" + longFace + "\r\n");
    EXPECT_EQ(longText.substr(0, 255), state.text);
    EXPECT_EQ(longFace.substr(0, 31), state.logFont.lfFaceName);
    EXPECT_EQ(longText.substr(0, 255), Load(std::string(Section) + "Text=" + longText.substr(0, 256)).text);

    // Full-length values that need quotes keep every character.
    std::string fullText = std::string(254, 'q') + " ";
    std::string fullFace = " " + std::string(30, 'f');
    state = Record(fullText.c_str(), fullFace.c_str());
    SaverState loaded = Load(Save(&state));
    EXPECT_EQ(fullText, loaded.text);
    EXPECT_EQ(fullFace, loaded.logFont.lfFaceName);

    // A record whose text and face name lack their NUL saves 255 and 31 characters.
    std::memset(state.text, 'T', sizeof state.text);
    std::memset(state.logFont.lfFaceName, 'F', sizeof state.logFont.lfFaceName);
    std::string bytes = Save(&state);
    EXPECT_NE(std::string::npos, bytes.find("\r\nText=" + longText.substr(0, 255) + "\r\n"));
    EXPECT_NE(std::string::npos, bytes.find("\r\nlfFacename=" + longFace.substr(0, 31) + "\r\n"));
}

TEST_F(Profile, HostileFileLoadsWithoutOverrun)
{
    std::string hostile = std::string("\x01\xff[junk\r\n") + Section + "Text=" + std::string(100000, 'x') +
                          "\r\n" + std::string(70000, '\x02') + "\r\nColorR=\x01\x02\x80\r\n" + "lfHeight=" +
                          std::string(5000, '9') + "\r\nlfFacename=" + std::string(5000, 'F');
    SaverState state = Load(hostile);
    EXPECT_EQ(std::string(255, 'x'), state.text);
    EXPECT_EQ(std::string(31, 'F'), state.logFont.lfFaceName);
    EXPECT_EQ(RGB(0, 255, 255), state.color);
    ExpectRuntimeFieldsPoisoned(state);

    // Bytes of every value, from a fixed seed, under the section header.
    std::string noise(Section);
    unsigned seed = 12345;
    for (int i = 0; i < 65536; ++i) {
        seed = seed * 1103515245u + 12345u;
        noise += static_cast<char>(seed >> 23);
    }
    state = Load(noise);
    EXPECT_LT(strnlen(state.text, TextCapacity), size_t(TextCapacity));
    EXPECT_LT(strnlen(state.logFont.lfFaceName, LF_FACESIZE), size_t(LF_FACESIZE));
    ExpectRuntimeFieldsPoisoned(state);
}

TEST_F(Profile, WindowsDirectoryServesWhenTheFolderIsUnknownOrTooDeep)
{
    WindowsDirectoryProfile windowsProfile;
    // 247 characters: folder, backslash and file name fill the path buffer with its NUL.
    const size_t fitting = MAX_PATH - sizeof "\\control.ini";
    ScratchFolder deepest(fitting);
    ASSERT_EQ(fitting, deepest.Path().size());
    ASSERT_TRUE(Exists(deepest.Path()));

    struct Case { const char* name; bool fails; std::string folder; bool inWindows; };
    const Case cases[] = {
        {"lookup fails", true, "", true},
        {"one character too deep", false, deepest.Path() + "y", true},
        {"exactly fits", false, deepest.Path(), false},
    };
    for (const Case& c : cases) {
        g_lookup.fails = c.fails;
        g_lookup.folder = c.folder;
        std::string target = c.inWindows ? windowsProfile.Path() : deepest.Profile();
        SaverState state = Record(c.name, "Courier New");
        TransferSettings(SettingsSave, &state);
        EXPECT_NE(std::string::npos, ReadBytes(target).find(std::string("Text=") + c.name + "\r\n")) << c.name;
        EXPECT_EQ(!c.inWindows, Exists(deepest.Profile())) << c.name;

        WriteBytes(target, std::string(Section) + "Text=read back\r\nMethod=2\r\n");
        state = Poisoned();
        TransferSettings(SettingsLoad, &state);
        EXPECT_STREQ("read back", state.text) << c.name;
        EXPECT_EQ(2, state.method) << c.name;
        DeleteFileA(deepest.Profile().c_str());
    }
}

TEST_F(Profile, ResetSaverStateClearsRuntimeFieldsStoresWindowAndLoads)
{
    HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, NULL, NULL, GetModuleHandleA(NULL), NULL);
    ASSERT_NE(nullptr, window);
    ScratchFolder folder;
    g_lookup.folder = folder.Path();
    WriteBytes(folder.Profile(), std::string(Section) + "Text=Reset\r\nCycle=0\r\nMethod=2\r\nlfWeight=400\r\n");
    std::memset(&g_saverState, Poison, sizeof g_saverState);

    ResetSaverState(window);
    ExpectResetFor(window, g_saverState);
    EXPECT_STREQ("Reset", g_saverState.text);
    EXPECT_EQ(RGB(255, 255, 255), g_saverState.color);
    EXPECT_EQ(0, g_saverState.cycle);
    EXPECT_EQ(2, g_saverState.speed);
    EXPECT_EQ(2, g_saverState.method);
    ExpectFont(Font(-72, 0, 400, 0, 0, "arial"), g_saverState.logFont);
    EXPECT_EQ(window, g_lookup.owner);

    // The dialog's instance is another record, and stays all zero.
    SaverState zero = {};
    EXPECT_EQ(0, std::memcmp(&zero, &g_dialogState, sizeof zero));
    DestroyWindow(window);
}
