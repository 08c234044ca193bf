// The reads of one settings load. On Windows each read asks the system's
// profile functions, which read the file every time, as the program always
// has. Elsewhere BeginProfileReads reads and parses the file once (a regular
// file of at most SettingsFileLimit bytes, opened without blocking), its
// bytes without a mark as UTF-8 when they are valid UTF-8, else as code page
// 1252 (a file from Windows), and every read answers from that document by
// the rules the profile functions follow (settings/profile_document.h), in
// UTF-16 rather than the code page, so a read gives what theirs would give
// for any text.
#pragma once
#include "settings/profile_location.h"

void BeginProfileReads(const ProfileNames* names);
// As GetPrivateProfileIntA on names' section, key and file.
unsigned ReadProfileInt(const ProfileNames* names, SettingKey key, int defaultValue);
// As GetPrivateProfileStringA on names' section, key and file, into field
// (capacity bytes), cut to characters whole characters: the record's text,
// the code page on Windows and UTF-8 elsewhere (defaultValue too, which may
// be field itself). A quoted value is read whole before the cut.
void ReadProfileText(const ProfileNames* names, SettingKey key, const char* defaultValue, char* field, int capacity,
                     int characters);
void EndProfileReads();

#ifndef _WIN32
#include <string>

// Larger files are no settings file: the largest one the program writes,
// with a text and face name of the greatest length, holds under 2 KiB in any
// of its encodings, so 64 KiB leaves room for any hand edit and still reads
// and parses in well under a millisecond.
const unsigned long SettingsFileLimit = 65536;

// How the last load found its file.
enum SettingsFileUse {
    SettingsFileUsed,                   // read, and it holds the settings' section
    SettingsFileWithoutSection,         // read, but without the settings' section
    SettingsFileMissing,                // no such file, or no folder for it
    SettingsFileUnusable                // no regular file, too large or unreadable
};
SettingsFileUse LastSettingsFileUse();

// Why the last load could not use its file, on one line naming it, e.g.
// "FILE is no regular file (a FIFO)"; empty when it could.
const std::string& SettingsFileUnusableReason();

// What the last load found it could not use, on one line without a line end,
// naming the file: a file that is no regular file, too large or unreadable
// (the load gave the defaults), or the values it could not take as written
// (settings/settings_checks.h). Empty when there was nothing to say, also
// without a file.
const std::string& SettingsFileProblem();
#endif
