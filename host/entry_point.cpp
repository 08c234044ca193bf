// The program's Windows entry point. The values the runtime passes are not
// used: start-up reads the command line itself.
#include <windows.h>
#include "host/mode_launch.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    SaverStartup();
}
