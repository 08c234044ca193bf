// What the closing-policy tests share: a real window whose procedure is the
// saver's default handling, the queue checks around it, the place of the
// password-service stand-ins, and registry values set for a test.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

// A hidden pop-up window (parent null) or a child of parent, of a class whose
// procedure hands every message to DefaultSaverProc.
HWND CreateClosingTestWindow(HWND parent);
// Removes a WM_CLOSE posted to window; true when there was one.
bool TakePostedClose(HWND window);
// Dispatches everything queued for this thread.
void PumpMessages();
// The folder of the stand-in DLLs: "fixtures" beside the test program.
std::string FixtureDirectory();
// The platform the system reports: VER_PLATFORM_WIN32_WINDOWS for the 95
// family, VER_PLATFORM_WIN32_NT otherwise; 0 when it does not answer.
DWORD ReportedPlatform();

// One registry value under HKEY_CURRENT_USER of the suite's own prefix; the
// value found at construction (or its absence) comes back at destruction.
class RegistryValueGuard {
public:
    RegistryValueGuard(const char* key, const char* value);
    ~RegistryValueGuard();
    RegistryValueGuard(const RegistryValueGuard&) = delete;
    RegistryValueGuard& operator=(const RegistryValueGuard&) = delete;

    // Writes the value with the given type and bytes; true on success.
    bool Set(DWORD type, const std::vector<BYTE>& data);
    // Deletes the value; true when it is gone.
    bool Remove();

private:
    std::string key_;
    std::string value_;
    bool existed_ = false;
    DWORD type_ = 0;
    std::vector<BYTE> data_;
};

struct ChangePasswordRecord;
// The stand-in "MPR.DLL" loaded by its path, with the suite's prefix asking
// for the native library while this lives (Wine prefers its built-in one),
// so that the program's own load by name finds the stand-in in the process.
// The test frees Module() once: its own reference.
class MprStandIn {
public:
    MprStandIn();
    MprStandIn(const MprStandIn&) = delete;
    MprStandIn& operator=(const MprStandIn&) = delete;

    HMODULE Module() const { return module_; }
    // What the stand-in was asked; null when the built-in library was
    // loaded instead.
    ChangePasswordRecord* Record() const { return record_; }

private:
    RegistryValueGuard order_;
    HMODULE module_ = NULL;
    ChangePasswordRecord* record_ = nullptr;
};
