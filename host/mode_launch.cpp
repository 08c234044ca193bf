// Mode launch: one process runs exactly one mode. Window handles arrive as
// decimal numbers; a configure or change-password switch whose window is
// missing falls back to the foreground window instead of failing.
#include "host/mode_launch.h"
#include "host/closing_policy.h"
#include "host/command_line.h"
#include "host/fault_guard.h"
#include "host/host_state.h"
#include "host/mode_switch.h"
#include "host/saver_window.h"
#include "resources/resource.h"
#include "settings/config_dialog.h"

static HWND WindowFromHandleValue(uint32_t handle)
{
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(handle));
}

static HWND OwnerOrForeground(uint32_t handle)
{
    HWND window = WindowFromHandleValue(handle);
    if (handle != 0 && IsWindow(window))
        return window;
    return GetForegroundWindow();
}

int32_t RunPreview(uint32_t handle)
{
    HWND parent = WindowFromHandleValue(handle);
    if (handle == 0 || !IsWindow(parent))
        return InvalidModeExitCode;
    return RunSaverWindow(parent);
}

int32_t RunConfigure(HWND owner)
{
    if (!ConfigDialogHook(g_host.instance))
        return 0;
    return static_cast<int32_t>(
        DialogBoxParamA(g_host.instance, MAKEINTRESOURCEA(IDD_CONFIG), owner, ConfigDialogProc, 0));
}

int32_t RunChangePassword(uint32_t handle)
{
    ChangePassword(OwnerOrForeground(handle));
    return 0;
}

// The guarded part: reading the switch and running its mode.
static int32_t LaunchMode(void* argumentText)
{
    ModeRequest request = ReadModeSwitch(static_cast<const char*>(argumentText), g_host.is95Family);
    switch (request.mode) {
    case ModeConfigureNoOwner:
        return RunConfigure(NULL);
    case ModeConfigure:
        return RunConfigure(OwnerOrForeground(request.handle));
    case ModeSaver:
        return RunSaverWindow(NULL);
    case ModePreview:
        return RunPreview(request.handle);
    case ModeChangePassword:
        return RunChangePassword(request.handle);
    case ModeInvalid:
        break;
    }
    return InvalidModeExitCode;
}

int32_t SaverMain(HINSTANCE instance, const char* argumentText)
{
    g_host.instance = instance;
    TestSystemFamily();
    return RunGuarded(LaunchMode, const_cast<char*>(argumentText), FaultExitCode);
}

void SaverStartup()
{
    const char* argumentText = FindArgumentText(GetCommandLineA());
    int32_t result = SaverMain(GetModuleHandleA(NULL), argumentText);
    ExitProcess(static_cast<UINT>(result));
}
