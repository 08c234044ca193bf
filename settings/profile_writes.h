// The writes of one settings save. On Windows each write is the system's
// WritePrivateProfileStringA, which rewrites the file every time, as the
// program always has. Elsewhere BeginProfileWrites reads the file once (as
// a load reads it), each write changes that document, and EndProfileWrites
// replaces the file whole when a write changed it, in an encoding that a
// load reads back exactly: a file with a mark keeps its encoding; any other
// is written in code page 1252 without a mark when its text fits the code
// page (what the Windows program writes, read alike by every Windows), else
// in UTF-8 after a mark (SerializeProfileForAnyText). A file the load cannot
// use, or one without write access, is left alone.
#pragma once
#include "settings/profile_location.h"

void BeginProfileWrites(const ProfileNames* names);
// Sets key to value, text in the record's form: the code page on Windows,
// UTF-8 elsewhere.
void WriteProfileValue(const ProfileNames* names, SettingKey key, const char* value);
void EndProfileWrites(const ProfileNames* names);
