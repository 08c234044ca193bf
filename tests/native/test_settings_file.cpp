// The settings on Linux: where the file lives ($XDG_CONFIG_HOME or
// ~/.config, then lumivane/control.ini), that a save makes its folders and
// writes the keys in the Windows program's order, that what is saved loads
// back unchanged, that a missing file gives the defaults, that a load opens
// the file once for all its keys, how each encoding of the file reads and
// is written, and that the files a save writes are those the system's own
// functions read in tests/profile_cases.txt.
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include "run_program.h"
#include "settings/defaults.h"
#include "settings/private_profile.h"
#include "settings/profile.h"
#include "settings/profile_encoding.h"
#include "support/profile_cases.h"

namespace {

std::string Read(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

SaverState Saved()
{
    SaverState state = {};
    ApplyDefaultSettings(&state);
    std::strcpy(state.text, " \"quoted\" and blank ");
    state.color = MakeColor(1, 2, 3);
    state.cycle = 0;
    state.speed = -7;
    state.method = 2;
    state.logFont.lfHeight = 40;
    state.logFont.lfWeight = 700;
    state.logFont.lfItalic = 1;
    std::strcpy(state.logFont.lfFaceName, "DejaVu Sans");
    return state;
}

}  // namespace

TEST(SettingsFile, LivesInTheUsersConfigurationFolderAndRoundTrips)
{
    ScratchFolder scratch;
    const std::string home = scratch.path() + "/home";
    struct Case {
        const char* config;             // $XDG_CONFIG_HOME, or null for unset
        std::string file;
    };
    const Case cases[] = {
        {nullptr, home + "/.config/lumivane/control.ini"},
        {"relative/ignored", home + "/.config/lumivane/control.ini"},
        {"", home + "/.config/lumivane/control.ini"},
    };
    setenv("HOME", home.c_str(), 1);
    std::vector<Case> all(std::begin(cases), std::end(cases));
    const std::string deep = scratch.path() + "/a/b/config";
    all.push_back({deep.c_str(), deep + "/lumivane/control.ini"});
    for (const Case& c : all) {
        if (c.config == nullptr)
            unsetenv("XDG_CONFIG_HOME");
        else
            setenv("XDG_CONFIG_HOME", c.config, 1);
        RunProgram({"rm", "-rf", home, scratch.path() + "/a"});

        SaverState loaded = {};
        TransferSettings(SettingsLoad, &loaded);
        SaverState defaults = {};
        ApplyDefaultSettings(&defaults);
        EXPECT_EQ(0, std::memcmp(&defaults, &loaded, sizeof loaded)) << "a missing file gives the defaults";

        SaverState saved = Saved();
        TransferSettings(SettingsSave, &saved);
        const std::string file = Read(c.file);
        EXPECT_EQ(0u, file.find("[Screen Saver.Lumivane]\r\nText=\"")) << c.file << ":\n" << file;
        const char* const keys[] = {"Text=", "ColorR=1", "ColorG=2", "ColorB=3", "Cycle=0", "Speed=-7", "Method=2",
                                    "lfHeight=40", "lfWidth=0", "lfWeight=700", "lfCharset=0", "lfItalic=1",
                                    "lfFacename=DejaVu Sans"};
        size_t at = 0;
        for (const char* key : keys) {
            size_t found = file.find(std::string("\r\n") + key, at);
            EXPECT_NE(std::string::npos, found) << key << " in order in " << c.file;
            at = found == std::string::npos ? at : found + 1;
        }
        TransferSettings(SettingsLoad, &loaded);
        EXPECT_EQ(0, std::memcmp(&saved, &loaded, sizeof loaded)) << c.file;
    }
}

TEST(SettingsFile, ALoadOpensTheFileOnce)
{
    ScratchFolder scratch;
    setenv("XDG_CONFIG_HOME", scratch.path().c_str(), 1);
    SaverState state = Saved();
    TransferSettings(SettingsSave, &state);
    const std::string file = scratch.path() + "/lumivane/control.ini";
    int watcher = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_LE(0, watcher);
    // With the closes watched too, no two events in a row are the same, and
    // inotify merges none.
    ASSERT_LE(0, inotify_add_watch(watcher, file.c_str(), IN_OPEN | IN_CLOSE));
    TransferSettings(SettingsLoad, &state);
    int opens = 0;
    inotify_event events[64];
    for (ssize_t got; (got = read(watcher, events, sizeof events)) > 0;)
        for (size_t i = 0; i < static_cast<size_t>(got) / sizeof(inotify_event); ++i)
            opens += (events[i].mask & IN_OPEN) != 0;
    close(watcher);
    EXPECT_EQ(1, opens);
}

namespace {

const std::string Section = "[Screen Saver.Lumivane]\r\n";
const std::string Utf8Mark = "\xEF\xBB\xBF";

// text in UTF-16 after its mark.
std::string Utf16(const std::u16string& text, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t c : text) {
        const char high = static_cast<char>(c >> 8), low = static_cast<char>(c & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}


struct EncodingCase {
    const char* what;
    std::string file;
    std::string text;                   // the record's, UTF-8
    std::string face;
    std::string saved;                  // how the file starts once the record is saved into it
};

const std::string Cyrillic = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";    // Привет
const std::string Zhe = "\xD0\x96";                                                   // Ж
const std::string Grinning = "\xF0\x9F\x98\x80";                                      // U+1F600

const EncodingCase EncodingCases[] = {
    {"UTF-8 without a mark, fitting 1252", Section + "Text=Gr\xC3\xBC\xC3\x9F" "e aus K\xC3\xB6ln\r\n",
     "Gr\xC3\xBC\xC3\x9F" "e aus K\xC3\xB6ln", "arial", Section + "Text=Gr\xFC\xDF" "e aus K\xF6ln\r\n"},
    {"UTF-8 without a mark, beyond 1252", Section + "Text=" + Cyrillic + ", \xE2\x82\xAC\r\n",
     Cyrillic + ", \xE2\x82\xAC", "arial", Utf8Mark + Section + "Text=" + Cyrillic + ", \xE2\x82\xAC\r\n"},
    {"UTF-8 with a mark, kept when the text fits 1252", Utf8Mark + Section + "Text=caf\xC3\xA9\r\n", "caf\xC3\xA9",
     "arial", Utf8Mark + Section + "Text=caf\xC3\xA9\r\n"},
    {"UTF-8 with a mark, quoted blanks", Utf8Mark + Section + "Text=\"  " + Cyrillic + " \"\r\n",
     "  " + Cyrillic + " ", "arial", Utf8Mark + Section + "Text=\"  " + Cyrillic + " \"\r\n"},
    {"UTF-16 LE", Utf16(u"[Screen Saver.Lumivane]\r\nText=\u65E5\u672C\u8A9E \U0001F600\r\nlfFacename=\u00C4rial\r\n",
                        false),
     "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E " + Grinning, "\xC3\x84rial",
     Utf16(u"[Screen Saver.Lumivane]\r\nText=\u65E5\u672C\u8A9E \U0001F600\r\n", false)},
    {"UTF-16 BE", Utf16(u"[Screen Saver.Lumivane]\r\nText=\u05E9\u05DC\u05D5\u05DD\r\n", true),
     "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D", "arial", Utf16(u"[Screen Saver.Lumivane]\r\nText=\u05E9\u05DC\u05D5\u05DD\r\n", true)},
    {"1252 from Windows", Section + "Text=Gr\xFC\xDF" "e \x80 \x93q\x94\r\nlfFacename=\xC4rial\r\n",
     "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D", "\xC3\x84rial",
     Section + "Text=Gr\xFC\xDF" "e \x80 \x93q\x94\r\n"},
    {"invalid UTF-8 without a mark: the file is 1252", Section + "Text=caf\xC3\xA9 \xFF\r\n",
     "caf\xC3\x83\xC2\xA9 \xC3\xBF", "arial", Section + "Text=caf\xC3\xA9 \xFF\r\n"},
    {"invalid UTF-8 with a mark", Utf8Mark + Section + "Text=a\xFF" "b\xC3\r\n", "a\xEF\xBF\xBD" "b\xEF\xBF\xBD",
     "arial", Utf8Mark + Section + "Text=a\xEF\xBF\xBD" "b\xEF\xBF\xBD\r\n"},
    // In 1252 these characters' bytes are valid UTF-8: saved so, they would load as "é".
    {"1252 text whose bytes read as UTF-8", Section + "Text=\xC3\x83\xC2\xA9\r\n", "\xC3\x83\xC2\xA9", "arial",
     Utf8Mark + Section + "Text=\xC3\x83\xC2\xA9\r\n"},
    {"too long: cut to 255 and 31 characters",
     Section + "Text=" + RepeatBytes(Zhe, 300) + "\r\nlfFacename=" + RepeatBytes(Zhe, 40) + "\r\n", RepeatBytes(Zhe, 255),
     RepeatBytes(Zhe, 31), Utf8Mark + Section + "Text=" + RepeatBytes(Zhe, 255) + "\r\n"},
    {"four-byte characters, too long", Utf8Mark + Section + "Text=\"" + RepeatBytes(Grinning, 256) + "\"\r\n",
     RepeatBytes(Grinning, 255), "arial", Utf8Mark + Section + "Text=" + RepeatBytes(Grinning, 255) + "\r\n"},
};

}  // namespace

// File bytes in, record text out; then the record saved into the file and
// loaded again is the same record.
TEST(SettingsFile, ReadsEveryEncodingAndWritesWhatItReadsBack)
{
    ScratchFolder scratch;
    setenv("XDG_CONFIG_HOME", scratch.path().c_str(), 1);
    const std::string folder = scratch.path() + "/lumivane", file = folder + "/control.ini";
    mkdir(folder.c_str(), 0700);
    for (const EncodingCase& c : EncodingCases) {
        SCOPED_TRACE(c.what);
        std::ofstream(file, std::ios::binary | std::ios::trunc) << c.file;
        SaverState loaded = {};
        TransferSettings(SettingsLoad, &loaded);
        EXPECT_EQ(c.text, loaded.text);
        EXPECT_EQ(c.face, loaded.logFont.lfFaceName);
        TransferSettings(SettingsSave, &loaded);
        const std::string saved = Read(file);
        EXPECT_EQ(c.saved, saved.substr(0, c.saved.size())) << EscapeBytes(saved);
        SaverState again = {};
        TransferSettings(SettingsLoad, &again);
        EXPECT_EQ(0, std::memcmp(&loaded, &again, sizeof again)) << again.text;
    }
}

namespace {

// A record a save writes into a file that held before, and the cases of
// tests/profile_cases.txt whose file is what it writes.
struct SavedForWindows {
    std::vector<std::string> cases;
    bool hadFile;
    std::string before;
    const char* text;                   // UTF-8, fitting 1252
    const char* face;
};

const SavedForWindows SavedForWindowsCases[] = {
    {{"linux-save-1252-text", "linux-save-1252-face", "linux-save-1252-number"}, false, "",
     "Gr\xC3\xBC\xC3\x9F" "e aus K\xC3\xB6ln \xE2\x80\x94 \xE2\x80\x9CLumivane\xE2\x80\x9D", "Liberation Sans"},
    {{"linux-save-1252-quoted"}, false, "", " \xC2\xAB" "Caf\xC3\xA9\xC2\xBB ", "\xC3\x84rial"},
    {{"linux-save-utf8-mark-kept-text", "linux-save-utf8-mark-kept-face"}, true,
     Utf8Mark + Section + "Text=" + Cyrillic + "\r\n", "Gr\xC3\xBC\xC3\x9F" "e", "\xC3\x84rial"},
};

std::string Ansi(const char* utf8)
{
    return TextToAnsi(Utf8ToText(utf8));
}

}  // namespace

// What a save on Linux writes is, byte for byte, a file of the table the
// system's functions read, and the profile functions (held to the system's
// by the table) read its text and face name in 1252 as the record has them.
TEST(SettingsFile, AFileSavedWithTextThatFits1252ReadsTheSameUnderWindows)
{
    std::string table, error;
    ASSERT_TRUE(ReadWholeFile(PROFILE_CASES, &table));
    std::vector<ProfileCase> cases;
    ASSERT_TRUE(ParseProfileCases(table, &cases, &error)) << error;
    ScratchFolder scratch;
    setenv("XDG_CONFIG_HOME", scratch.path().c_str(), 1);
    const std::string folder = scratch.path() + "/lumivane", file = folder + "/control.ini";
    mkdir(folder.c_str(), 0700);
    for (const SavedForWindows& c : SavedForWindowsCases) {
        SCOPED_TRACE(c.cases[0]);
        std::remove(file.c_str());
        if (c.hadFile)
            std::ofstream(file, std::ios::binary) << c.before;
        SaverState state = Saved();
        std::strcpy(state.text, c.text);
        std::strcpy(state.logFont.lfFaceName, c.face);
        TransferSettings(SettingsSave, &state);
        const std::string saved = Read(file);
        for (const std::string& name : c.cases) {
            auto found = std::find_if(cases.begin(), cases.end(), [&](const ProfileCase& p) { return p.name == name; });
            ASSERT_NE(cases.end(), found) << name;
            EXPECT_EQ(EscapeBytes(saved), EscapeBytes(found->bytes)) << name;
        }
        char value[TextCapacity];
        GetPrivateProfileStringA("Screen Saver.Lumivane", "Text", "", value, sizeof value, file.c_str());
        EXPECT_EQ(Ansi(c.text), value);
        GetPrivateProfileStringA("Screen Saver.Lumivane", "lfFacename", "", value, sizeof value, file.c_str());
        EXPECT_EQ(Ansi(c.face), value);
    }
}
