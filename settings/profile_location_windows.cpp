// The settings file on Windows: names from the string table, the file in the
// user's application-data folder, or, when that folder is unknown or too deep
// for a path buffer, under its bare name in the Windows directory.
#include "settings/profile_location.h"
#include <shlobj.h>
#include "resources/resource.h"

const char PathSeparator[] = "\\";
const int PathSeparatorLength = sizeof PathSeparator - 1;
const int FileNameCapacity = 13;

const UINT KeyNameIds[KeyCount] = {
    IDS_KEY_TEXT, IDS_KEY_COLOR_R, IDS_KEY_COLOR_G, IDS_KEY_COLOR_B, IDS_KEY_CYCLE,
    IDS_KEY_SPEED, IDS_KEY_METHOD, IDS_KEY_HEIGHT, IDS_KEY_WIDTH, IDS_KEY_WEIGHT,
    IDS_KEY_CHARSET, IDS_KEY_ITALIC, IDS_KEY_FACENAME
};

// Folder, backslash and file name, when they fit the buffer with their NUL;
// otherwise the bare file name, as when the folder lookup fails.
static void FindProfilePath(HWND owner, HINSTANCE module, char* path)
{
    char fileName[FileNameCapacity];
    LoadStringA(module, IDS_PROFILE_FILE, fileName, FileNameCapacity);
    if (SHGetSpecialFolderPathA(owner, path, CSIDL_APPDATA, FALSE)) {
        int folderLength = lstrlenA(path);
        if (folderLength + PathSeparatorLength + lstrlenA(fileName) < ProfilePathCapacity) {
            lstrcpyA(path + folderLength, PathSeparator);
            lstrcpyA(path + folderLength + PathSeparatorLength, fileName);
            return;
        }
    }
    lstrcpyA(path, fileName);
}

// The application-data folder is the system's own: it is never made here.
void FindProfileNames(const SaverState* state, int, ProfileNames* names)
{
    HINSTANCE module = GetModuleHandleA(NULL);
    FindProfilePath(state->window, module, names->path);
    LoadStringA(module, IDS_PROFILE_SECTION, names->section, SectionCapacity);
    for (int key = 0; key < KeyCount; ++key)
        LoadStringA(module, KeyNameIds[key], names->keys[key], KeyCapacity);
}
