// The saver's settings in a profile file of a fresh temporary folder: while
// the object lives, the application-data folder lookup (shell32
// SHGetSpecialFolderPathA) answers that folder, so the code under test never
// reads or writes the real profile of the suite's prefix. The folder goes
// away with its file afterwards.
#pragma once
#include <windows.h>
#include <string>
#include "support/import_hook.h"

class ScratchProfile {
public:
    ScratchProfile();
    ~ScratchProfile();
    ScratchProfile(const ScratchProfile&) = delete;
    ScratchProfile& operator=(const ScratchProfile&) = delete;

    bool Installed() const { return hook_.Installed(); }
    // Writes one key of the saver's section; true on success.
    bool Set(const char* key, const char* value);

private:
    std::string folder_;
    std::string profile_;
    ImportHook hook_;
};
