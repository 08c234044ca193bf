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
