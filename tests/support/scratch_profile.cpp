// The redirected folder lookup and the scratch profile it points at.
#include "support/scratch_profile.h"

namespace {

std::string g_folder;

BOOL WINAPI ScratchFolderLookup(HWND, LPSTR path, int, BOOL)
{
    lstrcpyA(path, g_folder.c_str());
    return TRUE;
}

std::string NewScratchFolder()
{
    static int serial;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + "lumivane-scratch-" + std::to_string(GetCurrentProcessId()) + "-" +
                         std::to_string(++serial);
    CreateDirectoryA(folder.c_str(), NULL);
    return folder;
}

}  // namespace

ScratchProfile::ScratchProfile()
    : folder_(NewScratchFolder()), profile_(folder_ + "\\control.ini"),
      hook_("shell32.dll", "SHGetSpecialFolderPathA", reinterpret_cast<void*>(ScratchFolderLookup))
{
    g_folder = folder_;
}

ScratchProfile::~ScratchProfile()
{
    // Drops the system's cached copy before the file goes.
    WritePrivateProfileStringA(NULL, NULL, NULL, profile_.c_str());
    DeleteFileA(profile_.c_str());
    RemoveDirectoryA(folder_.c_str());
}

bool ScratchProfile::Set(const char* key, const char* value)
{
    return WritePrivateProfileStringA("Screen Saver.Lumivane", key, value, profile_.c_str()) != FALSE;
}
