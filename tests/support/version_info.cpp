// Version blocks through version.dll, found by name.
#include "support/version_info.h"
#include "version.h"

typedef DWORD(WINAPI* GetFileVersionInfoSizeProc)(LPCSTR file, LPDWORD handle);
typedef BOOL(WINAPI* GetFileVersionInfoProc)(LPCSTR file, DWORD handle, DWORD size, LPVOID data);

VersionInfo::VersionInfo(const std::string& path)
{
    library_ = LoadLibraryA("version.dll");
    if (library_ == NULL)
        return;
    auto infoSize = reinterpret_cast<GetFileVersionInfoSizeProc>(
        reinterpret_cast<void (*)()>(GetProcAddress(library_, "GetFileVersionInfoSizeA")));
    auto info = reinterpret_cast<GetFileVersionInfoProc>(
        reinterpret_cast<void (*)()>(GetProcAddress(library_, "GetFileVersionInfoA")));
    query_ = reinterpret_cast<VerQueryValueProc>(
        reinterpret_cast<void (*)()>(GetProcAddress(library_, "VerQueryValueA")));
    if (infoSize == nullptr || info == nullptr || query_ == nullptr)
        return;
    DWORD handle = 0;
    DWORD size = infoSize(path.c_str(), &handle);
    if (size == 0)
        return;
    std::string block(size, '\0');
    if (info(path.c_str(), 0, size, &block[0]))
        block_ = block;
}

VersionInfo::~VersionInfo()
{
    if (library_ != NULL)
        FreeLibrary(library_);
}

bool VersionInfo::Query(const char* path, void** value, UINT* length) const
{
    return Loaded() && query_(block_.data(), path, value, length);
}

const VS_FIXEDFILEINFO* VersionInfo::Fixed() const
{
    void* fixed = nullptr;
    UINT length = 0;
    if (!Query("\\", &fixed, &length) || length != sizeof(VS_FIXEDFILEINFO))
        return nullptr;
    return static_cast<const VS_FIXEDFILEINFO*>(fixed);
}

std::vector<DWORD> VersionInfo::FixedVersions() const
{
    const VS_FIXEDFILEINFO* fixed = Fixed();
    if (fixed == nullptr)
        return {};
    return {fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwProductVersionMS, fixed->dwProductVersionLS};
}

std::vector<DWORD> ProgramFixedVersions()
{
    // Two numbers to a DWORD, the first in the high word.
    const DWORD high = MAKELONG(LUMIVANE_VERSION_MINOR, LUMIVANE_VERSION_MAJOR);
    const DWORD low = MAKELONG(LUMIVANE_VERSION_TWEAK, LUMIVANE_VERSION_PATCH);
    return {high, low, high, low};
}

std::string VersionInfo::Text(const char* name) const
{
    void* value = nullptr;
    UINT length = 0;
    std::string path = std::string("\\StringFileInfo\\040904E4\\") + name;
    if (!Query(path.c_str(), &value, &length))
        return "<missing>";
    return static_cast<const char*>(value);
}
