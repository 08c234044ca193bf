// The saver's entry added to xscreensaver's list, as text: made from the
// defaults, after entries in each style the list is written in, and never
// twice.
#include <gtest/gtest.h>
#include "linux/xscreensaver_list.h"

namespace {

const char Program[] = "lumivane";
const char Entry[] = "lumivane --font arial";
const char Ours[] = "\t\t\t\tlumivane --font arial \\n";

// As xscreensaver's defaults file holds its list: between other resources,
// the last entry without a continuation.
const char Defaults[] =
    "*timeout: 0:10:00\n"
    "*programs:\t\t\\\n"
    "\t\t\t\tmaze --root\t\t\\n\\\n"
    "- GL: \t\t\t\tpipes --root\t\\n\n"
    "\n"
    "*hacks.maze.name: Maze\n";
const char DefaultsList[] =
    "programs:\t\t\\\n"
    "\t\t\t\tmaze --root\t\t\\n\\\n"
    "- GL: \t\t\t\tpipes --root\t\\n\\\n";

struct ListCase {
    const char* what;
    std::string settings;
    const char* defaults;
    ListEdit edit;
    std::string result;                 // for ListEntryAdded
};

const ListCase Cases[] = {
    {"no settings: the defaults' list, then ours", "", Defaults, ListEntryAdded,
     DefaultsList + std::string(Ours) + "\n"},
    {"settings without a list: the defaults' list follows them", "mode: one\nlock: False\n", Defaults,
     ListEntryAdded, "mode: one\nlock: False\n" + std::string(DefaultsList) + Ours + "\n"},
    {"the settings program's style: ours before the blank line that ends the list",
     "mode: one\nprograms: \\\n\tqix --root \\n\\\n\n\nlock: False\n", "", ListEntryAdded,
     "mode: one\nprograms: \\\n\tqix --root \\n\\\n" + std::string(Ours) + "\\\n\n\nlock: False\n"},
    {"a hand-written last entry without its \\n is ended first", "programs: qix --root\nlock: False", "",
     ListEntryAdded, "programs: qix --root \\n\\\n" + std::string(Ours) + "\nlock: False"},
    {"an empty list", "programs:\n", "", ListEntryAdded, "programs:\\\n" + std::string(Ours) + "\n"},
    {"another program whose name starts with ours", "programs: lumivane-render out.gif \\n\n", "", ListEntryAdded,
     "programs: lumivane-render out.gif \\n\\\n" + std::string(Ours) + "\n"},
    {"\"programs:\" inside another value is no list", "textLiteral: a \\\nprograms: qix\n", Defaults,
     ListEntryAdded, "textLiteral: a \\\nprograms: qix\n" + std::string(DefaultsList) + Ours + "\n"},
    {"already there, disabled, named and with a folder",
     "programs: qix \\n\\\n-  GL: \"Lumivane\" /usr/libexec/xscreensaver/lumivane --text Hi \\n\n", "", ListHasProgram,
     ""},
    {"already there with a text the settings program wrapped",
     "programs: \\\n\t\t\t\tlumivane --text \"Words of\t      \\\n\t\t\t\t  your choice\" \\n\\\n\n", "",
     ListHasProgram, ""},
    {"no list anywhere", "mode: one\n", "*timeout: 0:10:00\n", ListMissing, ""},
};

}  // namespace

TEST(XscreensaverList, EntryAddedOnceAfterTheLastAndNothingElseChanges)
{
    for (const ListCase& c : Cases) {
        SCOPED_TRACE(c.what);
        std::string result = "untouched";
        EXPECT_EQ(c.edit, AddListEntry(c.settings, c.defaults, Program, Entry, &result));
        if (c.edit != ListMissing) {
            EXPECT_EQ(c.edit == ListEntryAdded ? c.result : c.settings, result);
        }
    }
}
