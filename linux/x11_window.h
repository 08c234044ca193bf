// The window the native saver draws on, and its X display: a window the host
// names (by --window-id or $XSCREENSAVER_WINDOW), the root window, or a
// window of the saver's own. X errors are caught: one that says the window
// is gone (the host may destroy it at any moment) lets the saver end
// quietly; any other is kept for the saver to report.
#pragma once
#include <X11/Xlib.h>
#include <string>

struct SaverWindow {
    Display* display;
    Window window;
    bool own;                           // ours: Esc, q or the close button ends the saver
    bool hosted;                        // named by the host: nothing can end the saver but the host
    Atom deleteWindow;                  // the close button's message, for our own window
    Visual* visual;
    int width;
    int height;
    GC black;                           // paints black through X, with no picture of ours
};

const int OwnWindowWidth = 1280;
const int OwnWindowHeight = 720;
extern const char OwnWindowTitle[];     // "Lumivane", also the class of our own window
extern const char SaverName[];          // "lumivane": its messages start with it; our window's instance name

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

// Paints width by height pixels at x, y of the window black.
void ClearToBlack(SaverWindow* saver, int x, int y, int width, int height);

// True once an X request failed because the window is gone.
bool SaverWindowGone();
// Any other X error since the last call: true, with the first of them
// described in one line. An error after which the window no longer exists
// counts as the window gone instead.
bool TakeXError(SaverWindow* saver, std::string* description);

// A window id as X tools print it: hexadecimal after "0x", else decimal.
bool ParseWindowId(const std::string& text, Window* id);
