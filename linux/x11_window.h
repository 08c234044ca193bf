// The window the native saver draws on, and its X display: a window the host
// names (by --window-id or $XSCREENSAVER_WINDOW), the root window, or a
// window of the saver's own. X errors about the window are caught: the host
// may destroy it at any moment, and the saver then ends quietly.
#pragma once
#include <X11/Xlib.h>
#include <string>

struct SaverWindow {
    Display* display;
    Window window;
    bool own;                           // ours: Esc, q or the close button ends the saver
    Atom deleteWindow;                  // the close button's message, for our own window
    Visual* visual;
    int width;
    int height;
};

const int OwnWindowWidth = 1280;
const int OwnWindowHeight = 720;
extern const char OwnWindowTitle[];     // "Lumivane"

// Opens the display of $DISPLAY; false, with an error, when there is none.
bool OpenSaverDisplay(SaverWindow* saver, std::string* error);
// The window to draw on, watched for size changes, exposure and destruction;
// false, with an error, when id names no window.
bool UseHostWindow(SaverWindow* saver, Window id, std::string* error);
bool UseRootWindow(SaverWindow* saver, std::string* error);
bool UseOwnWindow(SaverWindow* saver, std::string* error);
void CloseSaverWindow(SaverWindow* saver);

// Esc or q, the keys that close our own window.
bool IsClosingKey(const XKeyEvent& event);

// True once an X request failed because the window is gone.
bool SaverWindowGone();

// A window id as X tools print it: hexadecimal after "0x", else decimal.
bool ParseWindowId(const std::string& text, Window* id);
