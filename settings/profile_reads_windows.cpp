// The reads of a settings load on Windows: each one is the system's own
// profile function, which reads the file afresh.
#include "settings/profile_reads.h"

void BeginProfileReads(const ProfileNames*)
{
}

unsigned ReadProfileInt(const ProfileNames* names, SettingKey key, int defaultValue)
{
    return GetPrivateProfileIntA(names->section, names->keys[key], defaultValue, names->path);
}

unsigned long ReadProfileString(const ProfileNames* names, SettingKey key, const char* defaultValue, char* buffer,
                                unsigned long size)
{
    return GetPrivateProfileStringA(names->section, names->keys[key], defaultValue, buffer, size, names->path);
}

void EndProfileReads()
{
}
