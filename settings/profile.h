// Storage of the settings in the private profile file "control.ini", section
// "Screen Saver.Lumivane": in the user's application-data folder on Windows,
// in $XDG_CONFIG_HOME/lumivane (or ~/.config/lumivane) elsewhere, where its
// folder is made on the first save.
#pragma once
#include "settings/saver_state.h"

// The two directions of TransferSettings.
const int SettingsLoad = 0;
const int SettingsSave = 1;

// Elsewhere the text and face name are UTF-8, read and written in Unicode
// (settings/profile_reads.h, settings/profile_writes.h).
//
// Loads (save == 0) or stores (any other value) the six settings of state:
// method, text, color, cycle, speed and logFont. Missing keys load their
// defaults; an empty text becomes "Lumivane" in the record. A text or face
// name is saved on one line (line breaks become blanks) and, where the
// profile reader would strip blanks or quotes from it, inside double quotes,
// so that it loads back unchanged; one of blanks alone is saved empty.
void TransferSettings(int save, SaverState* state);

#ifndef _WIN32
// Loads the settings of state as TransferSettings does, from the settings
// file at path instead of the user's (settings/profile_reads.h tells what it
// found). False, loading nothing, when path is longer than a path may be.
bool LoadSettingsFile(const char* path, SaverState* state);
#endif

#ifdef _WIN32
// Prepares the saver window's instance as its window is created: runtime
// fields cleared, window stored, settings loaded.
void ResetSaverState(HWND window);
#endif
