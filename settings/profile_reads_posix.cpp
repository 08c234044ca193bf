// The reads of a settings load elsewhere: the file is read and parsed once
// per load, and each read is answered from its document in UTF-16; what the
// load could not use is kept for the caller to say.
#include "settings/profile_reads.h"
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include "settings/profile_file.h"
#include "settings/settings_checks.h"

namespace {

const unsigned long BytesPerKiB = 1024;

ProfileDocument g_document;
const ProfileDocument* g_loaded;       // null when the file cannot be used
SettingsFileUse g_use;
std::string g_unusable;
std::string g_problem;

const char* TypeName(unsigned type)
{
    switch (type) {
    case S_IFDIR:
        return "a folder";
    case S_IFIFO:
        return "a FIFO";
    case S_IFCHR:
    case S_IFBLK:
        return "a device";
    case S_IFSOCK:
        return "a socket";
    default:
        return "a socket or a device";
    }
}

// Why a file that exists was not read.
std::string UnusableReason(const char* path, const ProfileFileReport& report)
{
    const std::string file = path;
    switch (report.state) {
    case ProfileFileNotRegular:
        return file + " is no regular file (" + TypeName(report.type) + ")";
    case ProfileFileTooLarge:
        return file + " is larger than " + std::to_string(SettingsFileLimit / BytesPerKiB) +
               " KiB, which no settings file needs";
    default:
        return file + " cannot be read (" + std::strerror(report.error) + ")";
    }
}

// A missing file, or a missing folder above it, is simply no settings.
SettingsFileUse FileUse(const ProfileFileReport& report)
{
    if (report.state == ProfileFileMissing || (report.state == ProfileFileUnreadable && report.error == ENOENT))
        return SettingsFileMissing;
    return report.state == ProfileFileRead ? SettingsFileUsed : SettingsFileUnusable;
}

bool HasSection(const ProfileDocument& document, const char* section)
{
    for (const ProfileSection& s : document.sections)
        if (SameProfileName(s.name, AnsiToText(section)))
            return true;
    return false;
}

}  // namespace

void BeginProfileReads(const ProfileNames* names)
{
    ProfileFileReport report;
    g_loaded = LoadProfileDocument(names->path, SettingsFileLimit, &g_document, &report, MarklessUtf8OrAnsi);
    g_use = FileUse(report);
    if (g_use == SettingsFileUsed && !HasSection(g_document, names->section))
        g_use = SettingsFileWithoutSection;
    g_unusable = g_use == SettingsFileUnusable ? UnusableReason(names->path, report) : std::string();
    g_problem = g_loaded != nullptr ? CheckSettings(*g_loaded, *names)
                                    : g_unusable.empty() ? g_unusable : g_unusable + ": the defaults are used";
}

unsigned ReadProfileInt(const ProfileNames* names, SettingKey key, int defaultValue)
{
    return GetProfileNumber(g_loaded, names->section, names->keys[key], defaultValue);
}

void ReadProfileText(const ProfileNames* names, SettingKey key, const char* defaultValue, char* field, int capacity,
                     int characters)
{
    const std::u16string text = GetProfileText(g_loaded, names->section, names->keys[key], Utf8ToText(defaultValue));
    const std::string utf8 = CutUtf8(TextToUtf8(text), characters, capacity - 1);
    std::memcpy(field, utf8.c_str(), utf8.size() + 1);
}

void EndProfileReads()
{
    g_document = ProfileDocument();
    g_loaded = nullptr;
}

SettingsFileUse LastSettingsFileUse()
{
    return g_use;
}

const std::string& SettingsFileUnusableReason()
{
    return g_unusable;
}

const std::string& SettingsFileProblem()
{
    return g_problem;
}
