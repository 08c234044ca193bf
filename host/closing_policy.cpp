// The closing rules of the saver window and the hooks into the 95 family's
// screen-saver password services ("PASSWORD.CPL" to verify, "MPR.DLL" to
// change the password), both found by name only when needed.
#include "host/closing_policy.h"
#include "host/host_state.h"

typedef DWORD(WINAPI* PwdChangePasswordProc)(LPCSTR provider, HWND owner, DWORD reserved1, DWORD reserved2);

// Timer messages dropped before the verifier's dialog starts its own loop.
const int StaleTimerLimit = 2;

static void PostClose(HWND window)
{
    PostMessageA(window, WM_CLOSE, 0, 0);
}

// The cursor's screen position. When it cannot be read (a locked or secure
// desktop) the anchor itself stands in, so a failed read neither closes the
// saver nor moves the anchor.
static POINT CursorPosition()
{
    POINT position = g_host.cursorAnchor;
    if (!GetCursorPos(&position))
        position = g_host.cursorAnchor;
    return position;
}

void ReadCursorAnchor()
{
    g_host.cursorAnchor = CursorPosition();
}

// Distance along one axis. Subtracting the smaller from the larger in
// unsigned arithmetic is exact for every pair of 32-bit coordinates, where a
// signed difference could overflow.
static uint32_t AxisDistance(LONG a, LONG b)
{
    return a > b ? static_cast<uint32_t>(a) - static_cast<uint32_t>(b)
                 : static_cast<uint32_t>(b) - static_cast<uint32_t>(a);
}

// Horizontal plus vertical distance, held at the top of the range rather
// than wrapping round to a small number.
static uint32_t CursorDistance(POINT from, POINT to)
{
    uint32_t horizontal = AxisDistance(from.x, to.x);
    uint32_t sum = horizontal + AxisDistance(from.y, to.y);
    return sum < horizontal ? UINT32_MAX : sum;
}

// The cursor position decides, not the message's own coordinates. The anchor
// moves only when the movement closes, so slow drift adds up.
static void ApplyMouseRule(HWND window)
{
    POINT position = CursorPosition();
    if (CursorDistance(g_host.cursorAnchor, position) > MouseCloseThreshold) {
        PostClose(window);
        g_host.cursorAnchor = position;
    }
}

LRESULT DefaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // A preview never closes itself, and once closing is allowed nothing
    // needs deciding; while the verifier's dialog is open its input belongs
    // to the dialog.
    if (g_host.isPreview == 0 && g_host.closeAllowed == 0) {
        const bool listening = g_host.verifying == 0;
        switch (message) {
        case WM_CLOSE:
            if (g_host.is95Family == 1 && VerifyBeforeClose(window) == 0) {
                ReadCursorAnchor();
                return 0;
            }
            break;
        case VerifyRequestMessage:
            if (g_host.is95Family == 1)
                return g_host.verifyPassword != NULL ? g_host.verifyPassword(window) : 1;
            break;
        case WM_SHOWWINDOW:
            if (listening && wParam != 0)
                SetCursor(NULL);
            break;
        case WM_ACTIVATEAPP:
            if (listening && wParam == 0)
                PostClose(window);
            break;
        case WM_SETCURSOR:
            if (listening) {
                SetCursor(NULL);
                return 1;
            }
            break;
        case WM_POWER:
            if (listening && wParam == PWR_CRITICALRESUME)
                PostClose(window);
            break;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_POWERBROADCAST:
            if (listening)
                PostClose(window);
            break;
        case WM_MOUSEMOVE:
            if (listening)
                ApplyMouseRule(window);
            break;
        }
    }
    // The shell asks the foreground window before AutoPlay starts; the saver
    // closes, and cancels AutoPlay only while a password guards the desktop.
    if (message != 0 && message == g_host.autoPlayMessage) {
        PostClose(window);
        return g_host.verifyPassword != NULL ? 1 : 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int32_t VerifyBeforeClose(HWND window)
{
    if (g_host.verifying == 1)
        return 0;
    if (g_host.verifyPassword == NULL) {
        g_host.closeAllowed = 1;
        return 1;
    }
    DWORD now = GetTickCount();
    if (g_host.lastVerifyTick != NoVerifyYet && TicksBetween(g_host.lastVerifyTick, now) < VerifyRetryInterval)
        return 0;
    g_host.verifying = 1;
    // Ticks already queued would only be replayed by the dialog's own loop.
    MSG stale;
    for (int i = 0; i < StaleTimerLimit; ++i)
        PeekMessageA(&stale, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    // The request travels the whole chain of window procedures and comes back
    // to DefaultSaverProc, which asks the verifier. The verdict is the
    // verifier's BOOL, only widened on the way, so narrowing keeps it whole.
    LRESULT verdict = SendMessageA(window, VerifyRequestMessage, 0, 0);
    g_host.closeAllowed = static_cast<int32_t>(verdict);
    g_host.verifying = 0;
    if (verdict == 0)
        SetCursor(NULL);
    // Measured from the dialog's end, however long the user took.
    g_host.lastVerifyTick = GetTickCount();
    return g_host.closeAllowed;
}

DWORD TicksBetween(DWORD earlier, DWORD later)
{
    return later - earlier;
}

void LoadPasswordVerifier()
{
    if (g_host.is95Family == 0)
        return;
    if (g_host.passwordLibrary != NULL)
        UnloadPasswordVerifier();
    HKEY key;
    if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &key) != ERROR_SUCCESS)
        return;
    // Starts at zero: a value shorter than four bytes fills only its front.
    DWORD usePassword = 0;
    DWORD size = sizeof usePassword;
    if (RegQueryValueExA(key, "ScreenSaveUsePassword", NULL, NULL, reinterpret_cast<BYTE*>(&usePassword), &size) == ERROR_SUCCESS
        && usePassword != 0) {
        g_host.passwordLibrary = LoadLibraryA("PASSWORD.CPL");
        if (g_host.passwordLibrary != NULL) {
            g_host.verifyPassword = reinterpret_cast<VerifyScreenSavePwdProc>(
                reinterpret_cast<void (*)()>(GetProcAddress(g_host.passwordLibrary, "VerifyScreenSavePwd")));
            if (g_host.verifyPassword != NULL)
                SetSaverRunning(1);
            else
                UnloadPasswordVerifier();
        }
    }
    RegCloseKey(key);
}

void UnloadPasswordVerifier()
{
    if (g_host.is95Family == 0 || g_host.passwordLibrary == NULL)
        return;
    FreeLibrary(g_host.passwordLibrary);
    g_host.passwordLibrary = NULL;
    if (g_host.verifyPassword != NULL) {
        g_host.verifyPassword = NULL;
        SetSaverRunning(0);
    }
}

void SetSaverRunning(int32_t on)
{
    if (g_host.is95Family != 1)
        return;
    UINT previous = 0;                  // the system reports its former state here; unused
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, on, &previous, 0);
}

void ChangePassword(HWND owner)
{
    HMODULE library = LoadLibraryA("MPR.DLL");
    if (library == NULL)
        return;
    PwdChangePasswordProc changePassword = reinterpret_cast<PwdChangePasswordProc>(
        reinterpret_cast<void (*)()>(GetProcAddress(library, "PwdChangePasswordA")));
    if (changePassword != NULL)
        changePassword("SCRSAVE", owner, 0, 0);
    FreeLibrary(library);
}
