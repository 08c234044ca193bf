// The reads of a settings load on Windows: each one is the system's own
// profile function, which reads the file afresh.
#include "settings/profile_reads.h"
#include <cstring>

const int QuotePairLength = 2;

void BeginProfileReads(const ProfileNames*)
{
}

unsigned ReadProfileInt(const ProfileNames* names, SettingKey key, int defaultValue)
{
    return GetPrivateProfileIntA(names->section, names->keys[key], defaultValue, names->path);
}

// Through a buffer two characters larger than the field: Wine drops one more
// character from a quoted value that fills the caller's buffer, and a value
// no longer than the field keeps its quotes apart from its characters.
void ReadProfileText(const ProfileNames* names, SettingKey key, const char* defaultValue, char* field, int capacity,
                     int characters)
{
    char value[TextCapacity + QuotePairLength];
    GetPrivateProfileStringA(names->section, names->keys[key], defaultValue, value, capacity + QuotePairLength,
                             names->path);
    int length = 0;
    while (length < characters && length < capacity - 1 && value[length] != '\0')
        ++length;
    memcpy(field, value, length);
    field[length] = '\0';
}

void EndProfileReads()
{
}
