// xscreensaver's list of programs as text: the "programs:" resource of its
// settings (~/.xscreensaver) or "*programs:" of its defaults file, whose
// value runs on over lines that end in a backslash and holds one entry per
// "\n": [-] [visual:] ["Name"] command. Pure text in, text out.
#pragma once
#include <string>

enum ListEdit {
    ListEntryAdded,                     // the entry ends the list now
    ListHasProgram,                     // an entry (enabled or not) already runs the program
    ListMissing                         // neither the settings nor the defaults hold a list
};

// The settings with entry added to the end of their list, which is made from
// the defaults' list first when the settings have none (an empty text is no
// settings at all). program is the command's name, as the first word of an
// entry gives it (with or without a folder). Nothing else in the text changes.
ListEdit AddListEntry(const std::string& settings, const std::string& defaults, const std::string& program,
                      const std::string& entry, std::string* result);
