// The files around xscreensaver's list: the user's settings, read and
// written whole, their backup, and the system's defaults. The editing
// itself is linux/xscreensaver_list.cpp.
#include "linux/xscreensaver_setup.h"
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include "linux/xscreensaver_list.h"
#include "settings/defaults.h"
#include "settings/profile_file.h"

namespace {

const char SettingsName[] = "/.xscreensaver";
const char BackupSuffix[] = ".bak";
// Where xscreensaver keeps its defaults: Debian's place, then its own.
const char* const DefaultsFiles[] = {"/etc/X11/app-defaults/XScreenSaver", "/usr/share/X11/app-defaults/XScreenSaver"};
// The settings xscreensaver writes take about 10 kB.
const size_t MostBytes = 4 << 20;
const char FontOption[] = " --font ";

enum FileRead { FileTaken, FileAbsent, FileUnreadable };

// Only a regular file is read (a FIFO would block, a device never end),
// and only up to MostBytes.
FileRead ReadSmallFile(const std::string& path, std::string* text, std::string* error)
{
    const ProfileFileReport report = ReadProfileFile(path.c_str(), MostBytes, text);
    switch (report.state) {
    case ProfileFileRead:
        return FileTaken;
    case ProfileFileMissing:
        return FileAbsent;
    case ProfileFileNotRegular:
        *error = path + ": not a regular file";
        return FileUnreadable;
    case ProfileFileTooLarge:
        *error = path + ": larger than " + std::to_string(MostBytes >> 20) + " MiB";
        return FileUnreadable;
    default:
        if (report.error == ENOENT)
            return FileAbsent;
        *error = path + ": " + std::strerror(report.error);
        return FileUnreadable;
    }
}

// Whole or not at all, as the settings file is written.
bool WriteFile(const std::string& path, const std::string& text, std::string* error)
{
    if (ReplaceProfileFile(path.c_str(), text))
        return true;
    *error = path + ": " + std::strerror(errno);
    return false;
}

int Fail(const char* program, const std::string& message)
{
    std::fprintf(stderr, "%s: %s\n", program, message.c_str());
    return 1;
}

}  // namespace

int AddToXscreensaver(const char* program)
{
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0')
        return Fail(program, "HOME is not set, so there is no ~/.xscreensaver to add to");
    const std::string path = std::string(home) + SettingsName;
    const std::string entry = program + std::string(FontOption) + DefaultFaceName;
    std::string settings, defaults, edited, error;
    const FileRead settingsRead = ReadSmallFile(path, &settings, &error);
    if (settingsRead == FileUnreadable)
        return Fail(program, error);

    ListEdit edit = AddListEntry(settings, "", program, entry, &edited);
    const char* defaultsFile = nullptr;
    for (const char* file : DefaultsFiles) {
        if (edit != ListMissing)
            break;
        const FileRead read = ReadSmallFile(file, &defaults, &error);
        if (read == FileUnreadable)
            return Fail(program, error);
        if (read == FileTaken) {
            defaultsFile = file;
            edit = AddListEntry(settings, defaults, program, entry, &edited);
        }
    }
    if (edit == ListMissing)
        return Fail(program, "no list of programs in " + path + " nor in xscreensaver's defaults (" +
                                 DefaultsFiles[0] + "); is xscreensaver installed?");
    if (edit == ListHasProgram) {
        std::printf("%s: %s already lists %s; nothing changed\n", program, path.c_str(), program);
        return 0;
    }
    const std::string backup = path + BackupSuffix;
    if (settingsRead == FileTaken && !WriteFile(backup, settings, &error))
        return Fail(program, "no backup made, nothing changed: " + error);
    if (!WriteFile(path, edited, &error))
        return Fail(program, error);
    if (settingsRead == FileTaken)
        std::printf("%s: added to the programs in %s (the old file is %s)\n", program, path.c_str(), backup.c_str());
    else
        std::printf("%s: made %s from %s, with %s added\n", program, path.c_str(), defaultsFile, program);
    return 0;
}
