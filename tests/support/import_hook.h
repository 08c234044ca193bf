// Redirects one imported system function of the test program to a
// replacement, by patching the program's import address table, and puts the
// original back when the hook goes out of scope. The code under test keeps
// calling the real function name; the test sees (and may fail) the call.
#pragma once
#include <windows.h>

class ImportHook {
public:
    // dll is matched without regard to case ("kernel32.dll"); function by name.
    ImportHook(const char* dll, const char* function, void* replacement);
    ~ImportHook();
    ImportHook(const ImportHook&) = delete;
    ImportHook& operator=(const ImportHook&) = delete;

    // The function the table held before, to call through from the replacement.
    template <typename F> F Original() const { return reinterpret_cast<F>(original_); }
    bool Installed() const { return slot_ != nullptr; }

private:
    void** slot_ = nullptr;
    void* original_ = nullptr;
};
