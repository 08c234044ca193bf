// The reads of a settings load elsewhere: the file is read and parsed once
// per load, and each read is answered from its document; what the load could
// not use is kept for the caller to say.
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

// Why a file that exists was not read, or empty when there is no file: a
// missing file, or a missing folder above it, is simply no settings.
std::string FileProblem(const char* path, const ProfileFileReport& report)
{
    const std::string file = path;
    const char* outcome = ": the defaults are used";
    switch (report.state) {
    case ProfileFileNotRegular:
        return file + " is no regular file (" + TypeName(report.type) + ")" + outcome;
    case ProfileFileTooLarge:
        return file + " is larger than " + std::to_string(SettingsFileLimit / BytesPerKiB) +
               " KiB, which no settings file needs" + outcome;
    case ProfileFileUnreadable:
        if (report.error == ENOENT)
            return std::string();
        return file + " cannot be read (" + std::strerror(report.error) + ")" + outcome;
    default:
        return std::string();
    }
}

}  // namespace

void BeginProfileReads(const ProfileNames* names)
{
    ProfileFileReport report;
    g_loaded = LoadProfileDocument(names->path, SettingsFileLimit, &g_document, &report);
    g_problem = g_loaded != nullptr ? CheckSettings(*g_loaded, *names) : FileProblem(names->path, report);
}

unsigned ReadProfileInt(const ProfileNames* names, SettingKey key, int defaultValue)
{
    return GetProfileNumber(g_loaded, names->section, names->keys[key], defaultValue);
}

// The record holds UTF-8 here; the profile functions' rules give the ANSI
// code page.
unsigned long ReadProfileString(const ProfileNames* names, SettingKey key, const char* defaultValue, char* buffer,
                                unsigned long size)
{
    std::string ansi(size, '\0');
    CopyProfileString(g_loaded, names->section, names->keys[key], defaultValue, &ansi[0], size);
    const std::string utf8 = CutUtf8(AnsiToUtf8(ansi.c_str()), size - 1, size - 1);
    std::memcpy(buffer, utf8.c_str(), utf8.size() + 1);
    return utf8.size();
}

void EndProfileReads()
{
    g_document = ProfileDocument();
    g_loaded = nullptr;
}

const std::string& SettingsFileProblem()
{
    return g_problem;
}
