// Where the settings file lives and what its section and keys are called:
// the one part of the settings storage that differs between the systems.
// On Windows the names come from the string table and the file lives in the
// user's application-data folder; elsewhere the names come from
// settings/profile_names.h and the file lives in the user's configuration
// folder, $XDG_CONFIG_HOME/lumivane or ~/.config/lumivane.
#pragma once
#include "settings/saver_state.h"

// The keys in the order in which a save writes them and a load reads them.
enum SettingKey {
    KeyText, KeyColorR, KeyColorG, KeyColorB, KeyCycle, KeySpeed, KeyMethod,
    KeyHeight, KeyWidth, KeyWeight, KeyCharset, KeyItalic, KeyFaceName, KeyCount
};

#ifdef _WIN32
const int ProfilePathCapacity = MAX_PATH;
#else
const int ProfilePathCapacity = 4096;   // PATH_MAX
#endif
// Each name is cut to one character less.
const int SectionCapacity = 40;
const int KeyCapacity = 32;

// Everything one transfer needs to address the file, found afresh each time.
struct ProfileNames {
    char path[ProfilePathCapacity];     // empty when there is no place for the file
    char section[SectionCapacity];
    char keys[KeyCount][KeyCapacity];
};

// The names for the settings of state (whose window owns the folder lookup on
// Windows). When forSaving is nonzero the file's folder is made where it may
// be missing.
void FindProfileNames(const SaverState* state, int forSaving, ProfileNames* names);
