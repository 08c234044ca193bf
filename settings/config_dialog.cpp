// The configuration dialog: fills its controls from the stored settings,
// runs the colour and font pickers, reads the controls back on OK and saves.
// It works on g_dialogState alone; Cancel leaves the profile untouched.
#include "settings/config_dialog.h"
#include "resources/resource.h"
#include "settings/profile.h"
#include "settings/saver_state.h"

// The list shows the drawing methods in their numeric order, so a
// position in the list is the method number.
const char* const MethodNames[] = {"Lumivane", "FlexBeam", "StraightBeam"};
const int MethodCount = sizeof MethodNames / sizeof MethodNames[0];
const int32_t MethodWhenNoneSelected = 0;

// A speed field that does not read as a number, and a speed of 0, are
// replaced; nothing bounds a speed from above.
const int32_t SpeedWhenUnreadable = 5;
const int32_t SpeedInsteadOfZero = 1;

const int CustomColorCount = 16;
const DWORD FontPickerFlags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_FORCEFONTEXIST | CF_TTONLY;

BOOL ConfigDialogHook(HINSTANCE)
{
    return 1;
}

static void InitConfigDialog(HWND dialog)
{
    SaverState* state = &g_dialogState;
    TransferSettings(SettingsLoad, state);
    state->brush = CreateSolidBrush(state->color);
    state->font = CreateFontIndirectA(&state->logFont);
    SendDlgItemMessageA(dialog, IDC_ROTATE, BM_SETCHECK, state->cycle, 0);
    // The description comes back from the font itself; without a font the
    // loaded one stays.
    GetObjectA(state->font, sizeof state->logFont, &state->logFont);
    SetDlgItemTextA(dialog, IDC_FACENAME, state->logFont.lfFaceName);
    SetDlgItemTextA(dialog, IDC_TEXT, state->text);
    // A negative stored speed shows as the unsigned number of the same bits.
    SetDlgItemInt(dialog, IDC_SPEED, static_cast<UINT>(state->speed), FALSE);
    for (int method = 0; method < MethodCount; ++method)
        SendDlgItemMessageA(dialog, IDC_METHOD_LIST, LB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(MethodNames[method]));
    // A stored method the list does not show leaves the list unselected.
    if (state->method >= 0 && state->method < MethodCount)
        SendDlgItemMessageA(dialog, IDC_METHOD_LIST, LB_SETCURSEL, state->method, 0);
}

static int32_t ReadSpeed(HWND dialog)
{
    BOOL isNumber = FALSE;
    UINT speed = GetDlgItemInt(dialog, IDC_SPEED, &isNumber, FALSE);
    if (!isNumber)
        return SpeedWhenUnreadable;
    if (speed == 0)
        return SpeedInsteadOfZero;
    // Above the largest signed value the same 32 bits are kept, as a negative.
    return static_cast<int32_t>(speed);
}

// The colour and the font are already in the state; the pickers put them there.
static void ReadControlsAndSave(HWND dialog)
{
    SaverState* state = &g_dialogState;
    GetDlgItemTextA(dialog, IDC_TEXT, state->text, TextCapacity);
    state->cycle = static_cast<int32_t>(SendDlgItemMessageA(dialog, IDC_ROTATE, BM_GETCHECK, 0, 0) & 1);
    state->speed = ReadSpeed(dialog);
    LRESULT selected = SendDlgItemMessageA(dialog, IDC_METHOD_LIST, LB_GETCURSEL, 0, 0);
    state->method = selected == LB_ERR ? MethodWhenNoneSelected : static_cast<int32_t>(selected);
    TransferSettings(SettingsSave, state);
}

// The handles are cleared as they are deleted, so no message that arrives
// while the dialog is torn down can hand out a deleted brush.
static void EndConfigDialog(HWND dialog, INT_PTR result)
{
    SaverState* state = &g_dialogState;
    DeleteObject(state->font);
    state->font = NULL;
    DeleteObject(state->brush);
    state->brush = NULL;
    EndDialog(dialog, result);
}

static void PickColor(HWND dialog)
{
    SaverState* state = &g_dialogState;
    // Custom colours start black every time: the picker's choices among
    // them are not kept.
    COLORREF customColors[CustomColorCount] = {};
    CHOOSECOLORA picker = {};
    picker.lStructSize = sizeof picker;
    picker.hwndOwner = dialog;
    picker.rgbResult = state->color;
    picker.lpCustColors = customColors;
    picker.Flags = CC_RGBINIT;
    if (!ChooseColorA(&picker))
        return;
    state->color = picker.rgbResult;
    DeleteObject(state->brush);
    state->brush = CreateSolidBrush(state->color);
    InvalidateRect(GetDlgItem(dialog, IDC_SWATCH), NULL, TRUE);
}

// The picker starts from logFont and writes the chosen font into it.
static void PickFont(HWND dialog)
{
    SaverState* state = &g_dialogState;
    CHOOSEFONTA picker = {};
    picker.lStructSize = sizeof picker;
    picker.hwndOwner = dialog;
    picker.lpLogFont = &state->logFont;
    picker.Flags = FontPickerFlags;
    if (!ChooseFontA(&picker))
        return;
    DeleteObject(state->font);
    state->font = CreateFontIndirectA(&state->logFont);
    SetDlgItemTextA(dialog, IDC_FACENAME, state->logFont.lfFaceName);
}

// Only the control id counts; notification codes are not looked at.
static INT_PTR OnCommand(HWND dialog, WORD control)
{
    switch (control) {
    case IDOK:
        ReadControlsAndSave(dialog);
        EndConfigDialog(dialog, 1);
        return TRUE;
    case IDCANCEL:
        EndConfigDialog(dialog, 0);
        return TRUE;
    case IDC_COLOR_BUTTON:
        PickColor(dialog);
        return FALSE;
    case IDC_FONT_BUTTON:
        PickFont(dialog);
        return FALSE;
    }
    return FALSE;
}

INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitConfigDialog(dialog);
        return TRUE;                    // focus to the first tab stop, the method list
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam));
    case WM_CTLCOLORSTATIC:
        // The swatch shows the colour; every other static keeps the system colours.
        if (reinterpret_cast<HWND>(lParam) == GetDlgItem(dialog, IDC_SWATCH))
            return reinterpret_cast<INT_PTR>(g_dialogState.brush);
        return FALSE;
    }
    return FALSE;
}
