// What the mode-launch tests share: SaverMain run from the state a new
// process starts with, the foreground window scripted, the system's
// screen-saver-running state recorded, and a fault provoked on purpose.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>
#include "support/import_hook.h"

// SaverMain(instance, argumentText) from the host state a new process starts
// with, except for the two fields that start-up must set itself: the
// instance, and the system family, which holds the opposite of the truth
// until TestSystemFamily has run. The saver's window class goes with the
// run, as it goes with the process.
int32_t StartSaverMain(HINSTANCE instance, const std::string& argumentText);

// GetForegroundWindow answers the given window while this lives.
class ForegroundScript {
public:
    explicit ForegroundScript(HWND foreground);
    bool Installed() const { return hook_.Installed(); }

private:
    ImportHook hook_;
};

// SystemParametersInfoA calls, recorded as action and value and not passed
// on, while this lives.
class SystemParametersRecorder {
public:
    SystemParametersRecorder();
    bool Installed() const { return hook_.Installed(); }
    std::vector<std::pair<UINT, UINT>> Calls() const;

private:
    ImportHook hook_;
};

// Writes through a null pointer: a processor fault where it is called.
void ProvokeFault();
// IsWindow that faults: the dispatch asks it when it chooses an owner window.
BOOL WINAPI FaultingIsWindow(HWND window);
