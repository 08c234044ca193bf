// The saver window: class, full-screen or preview window, the single
// running full-screen saver, and the procedure that handles the host's own
// concerns (input method, cursor, title, system commands, help in preview,
// what happens once closing is allowed) before SaverProc sees a message.
#include "host/saver_window.h"
#include "host/saver_proc.h"
#include "host/closing_policy.h"
#include "host/host_state.h"
#include "resources/resource.h"

const char SaverClassName[] = "WindowsScreenSaverClass";
const char FullScreenTitle[] = "Screen Saver";
const char PreviewTitle[] = "Preview";

const UINT SaverClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
const DWORD FullScreenStyle = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
const DWORD PreviewStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
const int32_t NoSaverWindow = -1;
// How long the preview waits for its parent to take help: long enough for a
// parent that is only busy, short enough that one that hangs does not
// freeze the preview with it.
const UINT HelpForwardTimeout = 500;    // milliseconds

// The window's place and looks, by kind.
struct SaverWindowShape {
    int x, y, width, height;
    DWORD style;
    DWORD extendedStyle;
    const char* title;
};

static SaverWindowShape PreviewShape(HWND parent)
{
    RECT client = {};
    GetClientRect(parent, &client);
    SaverWindowShape shape = {0, 0, client.right, client.bottom, PreviewStyle, 0, PreviewTitle};
    return shape;
}

static SaverWindowShape FullScreenShape()
{
    RECT box = {};
    HDC screen = GetDC(NULL);
    GetClipBox(screen, &box);
    ReleaseDC(NULL, screen);
    SaverWindowShape shape = {box.left, box.top, box.right - box.left, box.bottom - box.top,
                              FullScreenStyle, WS_EX_TOPMOST, FullScreenTitle};
    return shape;
}

// A full-screen saver that is already running is brought forward instead.
static bool ActivateRunningSaver()
{
    HWND running = FindWindowA(SaverClassName, FullScreenTitle);
    if (running == NULL || !IsWindow(running))
        return false;
    SetForegroundWindow(running);
    return true;
}

int32_t RunSaverWindow(HWND parent)
{
    WNDCLASSA windowClass = {};
    windowClass.style = SaverClassStyle;
    windowClass.lpfnWndProc = SaverWindowProc;
    windowClass.hInstance = g_host.instance;
    windowClass.hIcon = LoadIconA(g_host.instance, MAKEINTRESOURCEA(IDI_SAVER));
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = SaverClassName;

    SaverWindowShape shape;
    if (parent != NULL) {
        shape = PreviewShape(parent);
        g_host.isPreview = 1;
    } else {
        shape = FullScreenShape();
        if (ActivateRunningSaver())
            return 0;
        LoadPasswordVerifier();
    }
    g_host.autoPlayMessage = g_host.is95Family == 1 ? RegisterWindowMessageA("QueryCancelAutoPlay") : 0;

    if (RegisterClassA(&windowClass) != 0)
        g_host.saverWindow = CreateWindowExA(shape.extendedStyle, SaverClassName, shape.title, shape.style,
                                             shape.x, shape.y, shape.width, shape.height, parent, NULL,
                                             g_host.instance, NULL);
    int32_t result = NoSaverWindow;
    if (g_host.saverWindow != NULL) {
        if (parent == NULL)
            SetForegroundWindow(g_host.saverWindow);
        // GetMessageA answers -1 on failure: that ends the loop too.
        MSG message = {};
        while (GetMessageA(&message, NULL, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        result = static_cast<int32_t>(message.wParam);
    }
    UnloadPasswordVerifier();
    return result;
}

// The input method is detached only when "IMM32.DLL" is already in the
// process; it is never loaded for this.
static void DetachInputMethod(HWND window)
{
    g_host.imeLibrary = GetModuleHandleA("IMM32.DLL");
    if (g_host.imeLibrary == NULL)
        return;
    g_host.associateContext = reinterpret_cast<ImmAssociateContextProc>(
        reinterpret_cast<void (*)()>(GetProcAddress(g_host.imeLibrary, "ImmAssociateContext")));
    if (g_host.associateContext != NULL)
        g_host.savedInputContext = g_host.associateContext(window, NULL);
}

static void RestoreInputMethod(HWND window)
{
    if (g_host.imeLibrary != NULL && g_host.associateContext != NULL && g_host.savedInputContext != NULL)
        g_host.associateContext(window, g_host.savedInputContext);
}

// Help and context menus of the preview belong to the window it sits in.
// WM_HELP carries a pointer to a HELPINFO that lives only while the message
// is handled here, and the system refuses to post a message with a pointer:
// it is sent, so the parent reads the record while it exists (the system
// copies it for a parent in another process, as the launcher's is). The
// parent belongs to another program: the send gives up on a parent that
// hangs, or that does not answer in time.
static void ForwardToParent(HWND window, UINT message, LPARAM lParam)
{
    HWND parent = GetParent(window);
    if (parent == NULL || !IsWindow(parent))
        return;
    WPARAM parentHandle = reinterpret_cast<WPARAM>(parent);
    if (message == WM_HELP) {
        DWORD_PTR answer = 0;
        SendMessageTimeoutA(parent, message, parentHandle, lParam, SMTO_ABORTIFHUNG, HelpForwardTimeout, &answer);
    } else {
        PostMessageA(parent, message, parentHandle, lParam);
    }
}

static bool IsSwallowedSystemCommand(WPARAM command)
{
    return command == SC_NEXTWINDOW || command == SC_PREVWINDOW || command == SC_SCREENSAVE;
}

static void HideCursorInFullScreen()
{
    if (!g_host.isPreview)
        SetCursor(NULL);
}

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        DetachInputMethod(window);
        ReadCursorAnchor();
        HideCursorInFullScreen();
        return SaverProc(window, message, wParam, lParam);
    case WM_DESTROY:
        RestoreInputMethod(window);
        PostQuitMessage(0);
        return SaverProc(window, message, wParam, lParam);
    case WM_SETTEXT:
        return 0;
    case WM_PAINT:
        if (g_host.closeAllowed != 0)
            return DefWindowProcA(window, message, wParam, lParam);
        HideCursorInFullScreen();
        return SaverProc(window, message, wParam, lParam);
    case WM_HELP:
    case WM_CONTEXTMENU:
        if (!g_host.isPreview)
            return SaverProc(window, message, wParam, lParam);
        ForwardToParent(window, message, lParam);
        return 1;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (g_host.closeAllowed != 0)
            return DefWindowProcA(window, message, wParam, lParam);
        return SaverProc(window, message, wParam, lParam);
    case WM_SYSCOMMAND:
        if (!g_host.isPreview && IsSwallowedSystemCommand(wParam))
            return 0;
        return SaverProc(window, message, wParam, lParam);
    case WM_TIMER:
        if (g_host.closeAllowed != 0)
            return 0;
        Sleep(0);
        return SaverProc(window, message, wParam, lParam);
    default:
        return SaverProc(window, message, wParam, lParam);
    }
}
