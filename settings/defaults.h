// The settings a missing file, key or option gives: the one list of them,
// for the profile reader and the native commands alike.
#pragma once
#include "settings/saver_state.h"

extern const char DefaultText[];        // "Lumivane"; also what an empty text becomes
extern const char DefaultFaceName[];    // "arial", a name fontconfig matches to a sans face

// Every setting of state to its default, the font fields the settings do not
// hold to 0; the run's handles are left alone.
void ApplyDefaultSettings(SaverState* state);
