// The saver's window and display. Xlib reports errors through one handler
// per process: ours notes them instead of printing and exiting (only
// BadWindow or BadDrawable about our window means it is gone), and a lost
// connection ends the process without a word, as the host's own closing of
// the display means the saver is done.
#include "linux/x11_window.h"
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <unistd.h>
#include <cctype>
#include <cstdint>

const char OwnWindowTitle[] = "Lumivane";
const char SaverName[] = "lumivane";

namespace {

const int HexBase = 16;
const int DecimalBase = 10;
const unsigned long LargestWindowId = 0xFFFFFFFF;
const long WatchedEvents = StructureNotifyMask | ExposureMask;
const long OwnWindowEvents = WatchedEvents | KeyPressMask;

const int ErrorTextSize = 160;

Window g_window = 0;                    // the window being described or drawn on
bool g_windowGone = false;
bool g_errorWaiting = false;
XErrorEvent g_error;                    // the first error not yet taken

int NoteError(Display*, XErrorEvent* event)
{
    if ((event->error_code == BadWindow || event->error_code == BadDrawable) && event->resourceid == g_window) {
        g_windowGone = true;
    } else if (!g_errorWaiting) {
        g_error = *event;
        g_errorWaiting = true;
    }
    return 0;
}

int EndQuietly(Display*)
{
    _exit(0);
}

bool Describe(SaverWindow* saver, Window window, std::string* error)
{
    XWindowAttributes attributes;
    g_window = window;
    g_windowGone = false;
    if (XGetWindowAttributes(saver->display, window, &attributes) == 0 || g_windowGone) {
        char id[32];
        snprintf(id, sizeof id, "0x%lx", window);
        *error = std::string("no window ") + id + " on display " + DisplayString(saver->display);
        return false;
    }
    saver->window = window;
    saver->visual = attributes.visual;
    saver->width = attributes.width;
    saver->height = attributes.height;
    saver->black = XCreateGC(saver->display, window, 0, nullptr);
    if (saver->black == nullptr) {
        *error = "no memory for a graphics context";
        return false;
    }
    XSetForeground(saver->display, saver->black, BlackPixel(saver->display, DefaultScreen(saver->display)));
    return true;
}

// The window, watched for size changes, exposure and destruction.
bool Watch(SaverWindow* saver, Window id, std::string* error)
{
    if (!Describe(saver, id, error))
        return false;
    XSelectInput(saver->display, id, WatchedEvents);
    XSync(saver->display, False);
    if (g_windowGone) {
        *error = "the window went away";
        return false;
    }
    return true;
}

}  // namespace

bool OpenSaverDisplay(SaverWindow* saver, std::string* error)
{
    saver->display = XOpenDisplay(nullptr);
    saver->own = false;
    saver->hosted = false;
    saver->window = 0;
    saver->black = nullptr;
    if (saver->display == nullptr) {
        const char* name = XDisplayName(nullptr);
        *error = std::string("cannot open display \"") + (name != nullptr ? name : "") + "\"";
        return false;
    }
    XSetErrorHandler(NoteError);
    XSetIOErrorHandler(EndQuietly);
    return true;
}

bool UseHostWindow(SaverWindow* saver, Window id, std::string* error)
{
    saver->hosted = true;
    return Watch(saver, id, error);
}

bool UseRootWindow(SaverWindow* saver, std::string* error)
{
    return Watch(saver, DefaultRootWindow(saver->display), error);
}

bool UseOwnWindow(SaverWindow* saver, std::string* error)
{
    Display* display = saver->display;
    const int screen = DefaultScreen(display);
    Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, OwnWindowWidth,
                                        OwnWindowHeight, 0, BlackPixel(display, screen), BlackPixel(display, screen));
    XStoreName(display, window, OwnWindowTitle);
    XClassHint names = {const_cast<char*>(SaverName), const_cast<char*>(OwnWindowTitle)};
    XSetClassHint(display, window, &names);
    saver->deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &saver->deleteWindow, 1);
    XSelectInput(display, window, OwnWindowEvents);
    XMapWindow(display, window);
    saver->own = true;
    return Describe(saver, window, error);
}

void CloseSaverWindow(SaverWindow* saver)
{
    if (saver->display == nullptr)
        return;
    if (saver->black != nullptr)
        XFreeGC(saver->display, saver->black);
    if (saver->own && !g_windowGone)
        XDestroyWindow(saver->display, saver->window);
    XCloseDisplay(saver->display);
    saver->display = nullptr;
}

bool IsClosingKey(const XKeyEvent& event)
{
    KeySym key = XLookupKeysym(const_cast<XKeyEvent*>(&event), 0);
    return key == XK_Escape || key == XK_q;
}

void ClearToBlack(SaverWindow* saver, int x, int y, int width, int height)
{
    if (width > 0 && height > 0)
        XFillRectangle(saver->display, saver->window, saver->black, x, y, width, height);
}

bool SaverWindowGone()
{
    return g_windowGone;
}

bool TakeXError(SaverWindow* saver, std::string* description)
{
    if (!g_errorWaiting)
        return false;
    const XErrorEvent error = g_error;
    XWindowAttributes attributes;
    XSync(saver->display, False);       // errors of requests after the first come in now
    if (XGetWindowAttributes(saver->display, saver->window, &attributes) == 0 || g_windowGone) {
        g_windowGone = true;
        return false;
    }
    char text[ErrorTextSize], request[ErrorTextSize], number[ErrorTextSize];
    XGetErrorText(saver->display, error.error_code, text, sizeof text);
    snprintf(number, sizeof number, "%d", error.request_code);
    XGetErrorDatabaseText(saver->display, "XRequest", number, number, request, sizeof request);
    *description = std::string("X error ") + text + " in request " + request;
    // Errors of the check itself, or of the requests behind the first, are
    // the same failure.
    g_errorWaiting = false;
    return true;
}

bool ParseWindowId(const std::string& text, Window* id)
{
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const size_t start = hex ? 2 : 0;
    if (text.size() == start)
        return false;
    unsigned long value = 0;
    for (size_t i = start; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        int digit = std::isdigit(c) ? c - '0' : hex && std::isxdigit(c) ? std::tolower(c) - 'a' + 10 : -1;
        if (digit < 0)
            return false;
        value = value * (hex ? HexBase : DecimalBase) + static_cast<unsigned long>(digit);
        if (value > LargestWindowId)
            return false;
    }
    *id = value;
    return value != 0;
}
