// Under Wine's "win98" version the system reports the 95 family, which
// opens the change-password switch.
#include <gtest/gtest.h>
#include "host/command_line.h"
#include "host/host_state.h"
#include "host/mode_switch.h"

TEST(TestSystemFamily, Win98VersionIsThe95FamilyAndOpensChangePassword)
{
    g_host.is95Family = 0x5A5A5A5A;
    TestSystemFamily();
    ASSERT_EQ(1, g_host.is95Family);

    ModeRequest request = ReadModeSwitch(FindArgumentText("lumivane.scr /a 77"), g_host.is95Family);
    EXPECT_EQ(ModeChangePassword, request.mode);
    EXPECT_EQ(77u, request.handle);
}
