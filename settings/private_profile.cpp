// The system's three private profile functions for builds without Windows:
// each call reads the file afresh, as the settings code expects, and a write
// that changes it replaces the file whole.
#include "settings/private_profile.h"
#include <string>
#include "settings/profile_document.h"
#include "settings/profile_file.h"

namespace {

// The file's document, however large, or null when the file exists but
// cannot be read; a missing file reads as an empty one.
const ProfileDocument* LoadProfile(const char* path, ProfileDocument* document)
{
    return LoadProfileDocument(path, ProfileFileUnlimited, document, nullptr);
}

} // namespace

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size,
                               LPCSTR path)
{
    if (buffer == nullptr || size == 0)
        return 0;
    ProfileDocument document;
    return static_cast<DWORD>(CopyProfileString(LoadProfile(path, &document), section, key, defaultValue, buffer,
                                                size));
}

UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR path)
{
    ProfileDocument document;
    return GetProfileNumber(LoadProfile(path, &document), section, key, defaultValue);
}

BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR path)
{
    ProfileDocument document;
    if (section == nullptr || LoadProfile(path, &document) == nullptr || !ProfileFileWritable(path))
        return 0;
    if (!SetProfileString(&document, section, key, value))
        return 1;
    return ReplaceProfileFile(path, SerializeProfile(document)) ? 1 : 0;
}
