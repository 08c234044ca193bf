// Real windows and real registry values for the closing-policy tests.
#include "support/closing_window.h"
#include "host/closing_policy.h"
#include "fixtures/stand_ins.h"
#include "support/test_window.h"

static const char ClosingTestClass[] = "ClosingPolicyTestWindow";

static LRESULT CALLBACK ClosingTestProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefaultSaverProc(window, message, wParam, lParam);
}

HWND CreateClosingTestWindow(HWND parent)
{
    const TestWindowClass closingClass = {ClosingTestClass, ClosingTestProc, 0, NULL};
    // Hidden, so that no real input or activation reaches it by accident.
    DWORD style = parent != NULL ? WS_CHILD : WS_POPUP;
    return CreateTestClassWindow(closingClass, "Closing test", style, 0, 0, 64, 48, parent);
}

bool TakePostedClose(HWND window)
{
    MSG message;
    return PeekMessageA(&message, window, WM_CLOSE, WM_CLOSE, PM_REMOVE) != 0;
}

void PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

std::string FixtureDirectory()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of("\\/") + 1) + "fixtures";
}

DWORD ReportedPlatform()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) ? version.dwPlatformId : 0;
}

RegistryValueGuard::RegistryValueGuard(const char* key, const char* value) : key_(key), value_(value)
{
    HKEY handle;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
        return;
    DWORD size = 0;
    if (RegQueryValueExA(handle, value, NULL, &type_, NULL, &size) == ERROR_SUCCESS) {
        data_.resize(size);
        existed_ = RegQueryValueExA(handle, value, NULL, &type_, data_.data(), &size) == ERROR_SUCCESS;
    }
    RegCloseKey(handle);
}

RegistryValueGuard::~RegistryValueGuard()
{
    if (existed_)
        Set(type_, data_);
    else
        Remove();
}

bool RegistryValueGuard::Set(DWORD type, const std::vector<BYTE>& data)
{
    HKEY handle;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, NULL, 0, KEY_SET_VALUE, NULL, &handle, NULL) != ERROR_SUCCESS)
        return false;
    LONG status = RegSetValueExA(handle, value_.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size()));
    RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}

bool RegistryValueGuard::Remove()
{
    HKEY handle;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, KEY_SET_VALUE, &handle) != ERROR_SUCCESS)
        return true;
    LONG status = RegDeleteValueA(handle, value_.c_str());
    RegCloseKey(handle);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

MprStandIn::MprStandIn() : order_("Software\\Wine\\DllOverrides", "mpr")
{
    static const char native[] = "native,builtin";
    if (!order_.Set(REG_SZ, std::vector<BYTE>(native, native + sizeof native)))
        return;
    module_ = LoadLibraryA((FixtureDirectory() + "\\MPR.DLL").c_str());
    if (module_ == NULL)
        return;
    auto recordOf = reinterpret_cast<ChangePasswordRecordProc>(
        reinterpret_cast<void (*)()>(GetProcAddress(module_, "ChangePasswordStandIn")));
    if (recordOf != nullptr)
        record_ = recordOf();
}
