// The writes of a settings save on Windows: each one is the system's own
// profile function, which rewrites the file.
#include "settings/profile_writes.h"

void BeginProfileWrites(const ProfileNames*)
{
}

void WriteProfileValue(const ProfileNames* names, SettingKey key, const char* value)
{
    WritePrivateProfileStringA(names->section, names->keys[key], value, names->path);
}

void EndProfileWrites(const ProfileNames*)
{
}
