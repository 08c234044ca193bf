// Text from a host's command line made what the user typed: the runs
// xscreensaver's settings program and daemon were seen to put into a long
// text where it wrapped the line, and what must stay as it is.
#include <gtest/gtest.h>
#include "linux/host_text.h"

namespace {

struct TextCase {
    const char* passed;
    const char* typed;
};

const TextCase Cases[] = {
    // As passed for "Words of your choice carried on": tab-and-blank padding, then the indent.
    {"Words of your choice\t      \t\t\t\t  carried on", "Words of your choice carried on"},
    // Wrapped at two blanks; the doubled blanks elsewhere are the user's.
    {"word03\t      \t\t\t\t  word04  word05", "word03 word04  word05"},
    // Padding of blanks only: the indent's tabs still mark the wrap.
    {"for everyone to     \t\t\t\t  read", "for everyone to read"},
    {"\t\t\t\t  leading", " leading"},
    {"trailing\t\t", "trailing "},
    {"a\tb\tc", "a b c"},
    {"  blanks   alone  stay  ", "  blanks   alone  stay  "},
    {"line\nbreak", "line\nbreak"},
    {"", ""},
};

}  // namespace

TEST(HostText, WrappedRunsBecomeOneBlankAndTheRestStays)
{
    for (const TextCase& c : Cases)
        EXPECT_EQ(c.typed, TextAsTyped(c.passed)) << "passed: \"" << c.passed << "\"";
}
