// SaverMain runs for the mode-launch tests, with scripted and recorded
// system calls.
#include "support/launch_probe.h"
#include "host/host_state.h"
#include "host/mode_launch.h"
#include "host/saver_window.h"
#include "support/closing_window.h"

namespace {

// Not an instance of anything: start-up must replace it.
const uintptr_t PoisonedInstance = 0x5A5A0000;

HWND g_foreground;
HWND WINAPI ScriptedGetForegroundWindow()
{
    return g_foreground;
}

std::vector<std::pair<UINT, UINT>> g_systemParameters;
BOOL WINAPI RecordSystemParameters(UINT action, UINT value, PVOID, UINT)
{
    g_systemParameters.push_back({action, value});
    return TRUE;
}

}  // namespace

int32_t StartSaverMain(HINSTANCE instance, const std::string& argumentText)
{
    g_host = InitialHostState();
    g_host.instance = reinterpret_cast<HINSTANCE>(PoisonedInstance);
    g_host.is95Family = ReportedPlatform() == VER_PLATFORM_WIN32_WINDOWS ? 0 : 1;
    int32_t result = SaverMain(instance, argumentText.c_str());
    UnregisterClassA(SaverClassName, instance);
    return result;
}

ForegroundScript::ForegroundScript(HWND foreground)
    : hook_("user32.dll", "GetForegroundWindow", reinterpret_cast<void*>(ScriptedGetForegroundWindow))
{
    g_foreground = foreground;
}

SystemParametersRecorder::SystemParametersRecorder()
    : hook_("user32.dll", "SystemParametersInfoA", reinterpret_cast<void*>(RecordSystemParameters))
{
    g_systemParameters.clear();
}

std::vector<std::pair<UINT, UINT>> SystemParametersRecorder::Calls() const
{
    return g_systemParameters;
}

void ProvokeFault()
{
    volatile int* nowhere = nullptr;
    *nowhere = 1;
}

BOOL WINAPI FaultingIsWindow(HWND)
{
    ProvokeFault();
    return TRUE;
}
