// The settings on Linux: where the file lives ($XDG_CONFIG_HOME or
// ~/.config, then lumivane/control.ini), that a save makes its folders and
// writes the keys in the Windows program's order, that what is saved loads
// back unchanged, that a missing file gives the defaults, and that a load
// opens the file once for all its keys.
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include "run_program.h"
#include "settings/defaults.h"
#include "settings/profile.h"

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
