// The window the saver runs in, full screen or as a preview inside a window
// the launcher names, and the process's message loop.
#pragma once
#include <windows.h>
#include <cstdint>

// The class by which a second full-screen start finds a running saver.
extern const char SaverClassName[];     // "WindowsScreenSaverClass"
extern const char FullScreenTitle[];    // "Screen Saver"
extern const char PreviewTitle[];       // "Preview"

// Full screen when parent is null, else a preview filling parent's client
// area. Runs the message loop until the window is destroyed and returns the
// quit message's parameter (0); 0 at once when a full-screen saver is already
// running; -1 when the window could not be made.
int32_t RunSaverWindow(HWND parent);

// The class's window procedure: the host's own messages first, everything
// else on to SaverProc.
LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
