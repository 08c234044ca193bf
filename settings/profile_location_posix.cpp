// The settings file elsewhere: names from settings/profile_names.h, the file
// in the user's configuration folder as the XDG base directories define it,
// made on the first save.
#include "settings/profile_location.h"
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include "settings/profile_names.h"

namespace {

const char ConfigVariable[] = "XDG_CONFIG_HOME";
const char ConfigUnderHome[] = "/.config";
const char SettingsFolder[] = "/lumivane";
const char* const KeyNames[KeyCount] = {
    PROFILE_KEY_TEXT, PROFILE_KEY_COLOR_R, PROFILE_KEY_COLOR_G, PROFILE_KEY_COLOR_B, PROFILE_KEY_CYCLE,
    PROFILE_KEY_SPEED, PROFILE_KEY_METHOD, PROFILE_KEY_HEIGHT, PROFILE_KEY_WIDTH, PROFILE_KEY_WEIGHT,
    PROFILE_KEY_CHARSET, PROFILE_KEY_ITALIC, PROFILE_KEY_FACENAME
};
// A new folder's mode before the umask, as for any folder a program makes.
const mode_t FolderMode = 0777;

// The user's configuration folder: $XDG_CONFIG_HOME when it is an absolute
// path (a relative one is to be ignored), else ~/.config; empty without a home.
std::string ConfigFolder()
{
    const char* config = std::getenv(ConfigVariable);
    if (config != nullptr && config[0] == '/')
        return config;
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        const passwd* user = getpwuid(getuid());
        home = user != nullptr ? user->pw_dir : nullptr;
    }
    return home != nullptr && home[0] != '\0' ? std::string(home) + ConfigUnderHome : std::string();
}

// Makes folder and the folders above it that are missing.
void MakeFolders(const std::string& folder)
{
    for (size_t slash = folder.find('/', 1); ; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (mkdir(part.c_str(), FolderMode) != 0 && errno != EEXIST)
            return;
        if (slash == std::string::npos)
            return;
    }
}

void CopyName(char* field, const char* name, int capacity)
{
    std::strncpy(field, name, capacity - 1);
    field[capacity - 1] = '\0';
}

}  // namespace

void FindProfileNames(const SaverState*, int forSaving, ProfileNames* names)
{
    const std::string config = ConfigFolder();
    const std::string folder = config.empty() ? config : config + SettingsFolder;
    const std::string path = folder + "/" PROFILE_FILE_NAME;
    // A file that cannot be named whole is not used at all: reads give the
    // defaults, saves fail.
    names->path[0] = '\0';
    if (!folder.empty() && path.size() < sizeof names->path) {
        std::strcpy(names->path, path.c_str());
        if (forSaving)
            MakeFolders(folder);
    }
    CopyName(names->section, PROFILE_SECTION_NAME, SectionCapacity);
    for (int key = 0; key < KeyCount; ++key)
        CopyName(names->keys[key], KeyNames[key], KeyCapacity);
}
