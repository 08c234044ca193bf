// When the saver ends: the last stage of the saver window's message handling
// turns input into a close request and lets it through or swallows it; on the
// 95 family it asks the system's password verifier first, tells the system a
// saver is running while one is loaded, and makes the change-password request.
// Everything here runs on the window thread and works on g_host.
#pragma once
#include <windows.h>
#include <cstdint>

// Sent to the saver window to run the verifier now; the result is the verdict.
const UINT VerifyRequestMessage = 0x8000;   // WM_APP
// Pixels of cursor movement from the anchor (horizontal plus vertical) that
// are still tolerated; more closes.
const uint32_t MouseCloseThreshold = 4;
// Milliseconds after the end of a verification in which a close request is
// swallowed without asking again.
const DWORD VerifyRetryInterval = 200;

// The saver window's default handling: the closing rules, then
// DefWindowProcA, whose handling of WM_CLOSE destroys the window.
LRESULT DefaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Sets the cursor anchor, from which mouse movement is measured, to the
// cursor's position; a position that cannot be read leaves it as it is.
void ReadCursorAnchor();

// Non-zero when a close request may proceed; runs the verifier when one is
// loaded. Called on WM_CLOSE only.
int32_t VerifyBeforeClose(HWND window);

// later minus earlier, right across the wrap of the tick counter.
DWORD TicksBetween(DWORD earlier, DWORD later);

// On the 95 family, loads "PASSWORD.CPL" when the user's desktop settings ask
// for a screen-saver password. Full-screen runs only.
void LoadPasswordVerifier();
// Frees the verifier, if one is loaded; safe to call at any time.
void UnloadPasswordVerifier();

// Tells a 95-family system whether a screen saver is running (on is 1 or 0);
// does nothing elsewhere.
void SetSaverRunning(int32_t on);

// Asks "MPR.DLL" to let the user change the screen-saver password; does
// nothing when the service is missing.
void ChangePassword(HWND owner);
