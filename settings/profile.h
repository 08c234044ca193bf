// Storage of the settings in the private profile file "control.ini" of the
// user's application-data folder, section "Screen Saver.Lumivane".
#pragma once
#include "settings/saver_state.h"

// Loads (save == 0) or stores (any other value) the six settings of state:
// method, text, color, cycle, speed and logFont. Missing keys load their
// defaults; an empty text becomes "Lumivane" in the record.
void TransferSettings(int save, SaverState* state);

// Prepares the saver window's instance as its window is created: runtime
// fields cleared, window stored, settings loaded.
void ResetSaverState(HWND window);
