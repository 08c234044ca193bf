// The configuration dialog: template IDD_CONFIG run with ConfigDialogProc
// edits the settings of the dialog's own SaverState (g_dialogState) and
// stores them in the profile on OK.
#pragma once
#include <windows.h>

// Asked before the dialog is created; a non-zero result lets it open. This
// saver needs nothing prepared, so the answer is always 1.
BOOL ConfigDialogHook(HINSTANCE instance);

// The dialog procedure of IDD_CONFIG. The dialog loads the stored settings
// as it opens and ends with 1 after OK (settings saved) or 0 after Cancel,
// Esc or the close box (nothing written). Its font and swatch brush live in
// g_dialogState while it is open and are deleted as it ends.
INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
