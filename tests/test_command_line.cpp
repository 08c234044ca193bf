// The command line: the argument text behind the program name, and the
// system family outside the 95 family.
#include <gtest/gtest.h>
#include "host/command_line.h"
#include "host/host_state.h"

namespace {

TEST(FindArgumentText, SkipsTheProgramNameAndTheBlanksAfterIt)
{
    struct Case { const char* commandLine; const char* arguments; };
    const Case cases[] = {
        {"lumivane.scr /s", "/s"},
        {"lumivane.scr\t \t/p 123", "/p 123"},
        {"\"C:\\Program Files\\lumivane.scr\" /c:12", "/c:12"},
        {"\"C:\\Program Files\\lumivane.scr\"/s", "/s"},      // the closing quote ends the name
        {"\"C:\\Program Files\\lumivane.scr /s", ""},           // no closing quote: nothing left
        {"lumivane.scr/s", ""},                                 // the switch joins the name
        {"lumivane.scr", ""},
        {"lumivane.scr   ", ""},
        {"", ""},
        {" /s", "/s"},                                          // no name at all
        {"lumivane.scr \x01\x1f/s", "/s"},                      // control bytes count as blanks
        {"l\xE9mivane.scr /s", "/s"},                           // bytes above 0x7F belong to the name
    };
    for (const Case& c : cases)
        EXPECT_STREQ(c.arguments, FindArgumentText(c.commandLine)) << "[" << c.commandLine << "]";
}

TEST(TestSystemFamily, DefaultWineVersionIsNotThe95Family)
{
    g_host.is95Family = 0x5A5A5A5A;
    TestSystemFamily();
    EXPECT_EQ(0, g_host.is95Family);
}

}  // namespace
