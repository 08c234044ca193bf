// The mode launch on the 95 family (Wine's "win98"), inside the test
// process: the change-password switch asks the stand-in "MPR.DLL" on behalf
// of the given or the foreground window, and a fault inside the guarded
// dispatch switches the system's screen-saver-running state off.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <string>
#include "host/mode_launch.h"
#include "support/closing_window.h"
#include "support/launch_probe.h"
#include "support/program.h"
#include "fixtures/stand_ins.h"

// {given} stands for a window of the test, {gone} for one that no longer
// exists; every other owner is the scripted foreground window. Start-up
// finds the 95 family itself: it begins each run believing the opposite.
TEST(ModeLaunch95, ChangePasswordIsAskedForTheGivenOrTheForegroundWindow)
{
    MprStandIn mpr;
    ChangePasswordRecord* record = mpr.Record();
    ASSERT_NE(nullptr, record);

    HWND given = CreateTestWindow(0, 0, 0);
    HWND foreground = CreateTestWindow(0, 0, 0);
    ForegroundScript script(foreground);
    ASSERT_TRUE(script.Installed());
    const std::string gone = HandleText(GoneWindow());
    struct Case { std::string arguments; HWND owner; };
    const Case cases[] = {
        {"/a " + HandleText(given), given},
        {"-A" + HandleText(given), given},
        {"/a", foreground},
        {"/a 0", foreground},
        {"/a " + gone, foreground},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("arguments \"" + c.arguments + "\"");
        std::memset(record, 0xCD, sizeof *record);
        record->calls = 0;
        EXPECT_EQ(0, StartSaverMain(GetModuleHandleA(NULL), c.arguments));
        EXPECT_EQ(1, record->calls);
        EXPECT_STREQ("SCRSAVE", record->provider);
        EXPECT_EQ(c.owner, record->owner);
        EXPECT_EQ(0u, record->reserved1);
        EXPECT_EQ(0u, record->reserved2);
    }
    DestroyWindow(given);
    DestroyWindow(foreground);
    FreeLibrary(mpr.Module());
}

TEST(ModeLaunch95, FaultSwitchesTheScreenSaverRunningStateOff)
{
    SystemParametersRecorder systemParameters;
    ImportHook fault("user32.dll", "IsWindow", reinterpret_cast<void*>(FaultingIsWindow));
    ASSERT_TRUE(systemParameters.Installed() && fault.Installed());
    EXPECT_EQ(FaultExitCode, StartSaverMain(GetModuleHandleA(NULL), "/a 1"));
    const std::vector<std::pair<UINT, UINT>> off = {{SPI_SETSCREENSAVERRUNNING, 0}};
    EXPECT_EQ(off, systemParameters.Calls());
}
