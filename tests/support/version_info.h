// The version block of a program file, read the way the system's file
// properties read it: GetFileVersionInfoA and VerQueryValueA of
// version.dll. The program itself does not need that library, so it is
// found by name here.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

class VersionInfo {
public:
    explicit VersionInfo(const std::string& path);
    ~VersionInfo();
    VersionInfo(const VersionInfo&) = delete;
    VersionInfo& operator=(const VersionInfo&) = delete;

    // The library was found and the file has a version block.
    bool Loaded() const { return !block_.empty(); }
    // VerQueryValueA on the block: the value at path and its length.
    bool Query(const char* path, void** value, UINT* length) const;
    // The fixed part, or null.
    const VS_FIXEDFILEINFO* Fixed() const;
    // Its file and product versions, most significant half first; empty
    // without a fixed part.
    std::vector<DWORD> FixedVersions() const;
    // A text of the string table for US English in the Windows Latin 1 code
    // page; "<missing>" when there is none.
    std::string Text(const char* name) const;

private:
    typedef BOOL(WINAPI* VerQueryValueProc)(LPCVOID block, LPCSTR path, LPVOID* value, PUINT length);
    HMODULE library_ = NULL;
    VerQueryValueProc query_ = nullptr;
    std::string block_;
};

// The program's version as a fixed part holds it, for the file and the
// product alike, made from version.h.
std::vector<DWORD> ProgramFixedVersions();
