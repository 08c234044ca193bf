// The reads of one settings load. On Windows each read asks the system's
// profile functions, which read the file every time, as the program always
// has. Elsewhere BeginProfileReads reads and parses the file once (a regular
// file of at most SettingsFileLimit bytes, opened without blocking) and every
// read answers from that document by the rules the profile functions follow
// (settings/profile_document.h), so a read gives what theirs would give.
#pragma once
#include "settings/profile_location.h"

void BeginProfileReads(const ProfileNames* names);
// As GetPrivateProfileIntA and GetPrivateProfileStringA on names' section,
// key and file; size is at least 1.
unsigned ReadProfileInt(const ProfileNames* names, SettingKey key, int defaultValue);
unsigned long ReadProfileString(const ProfileNames* names, SettingKey key, const char* defaultValue, char* buffer,
                                unsigned long size);
void EndProfileReads();

#ifndef _WIN32
#include <string>

// Larger files are no settings file: the largest one the program writes,
// with a text and face name of the greatest length, holds under 1 KiB (under
// 2 KiB in UTF-16), so 64 KiB leaves room for any hand edit and still reads
// and parses in well under a millisecond.
const unsigned long SettingsFileLimit = 65536;

// What the last load found it could not use, on one line without a line end,
// naming the file: a file that is no regular file, too large or unreadable
// (the load gave the defaults), or the values it could not take as written
// (settings/settings_checks.h). Empty when there was nothing to say, also
// without a file.
const std::string& SettingsFileProblem();
#endif
