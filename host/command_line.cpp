// The argument text and the system family. The command line is walked with
// CharNextA so that a double-byte character in the program's path is
// stepped over whole.
#include "host/command_line.h"
#include <windows.h>
#include "host/host_state.h"

const unsigned char LastBlankByte = 0x20;   // spaces, tabs and other control bytes

static bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= LastBlankByte;
}

const char* FindArgumentText(const char* commandLine)
{
    const char* p = commandLine;
    if (*p == '"') {
        p = CharNextA(p);
        while (*p != '\0' && *p != '"')
            p = CharNextA(p);
        if (*p == '"')
            p = CharNextA(p);
    } else {
        while (!IsBlank(*p))
            p = CharNextA(p);
    }
    while (*p != '\0' && IsBlank(*p))
        p = CharNextA(p);
    return p;
}

void TestSystemFamily()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    g_host.is95Family = GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ? 1 : 0;
}
