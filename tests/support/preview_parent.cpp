// The preview's parent windows: one of this thread with its record, and one
// of a thread of its own that can be made to hang.
#include "support/preview_parent.h"
#include "support/saver_run.h"
#include "support/test_window.h"

static std::vector<ParentMessage> g_parentMessages;

static LRESULT CALLBACK PreviewParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_HELP || message == WM_CONTEXTMENU) {
        ParentMessage got = {message, wParam, lParam, {}};
        if (message == WM_HELP)
            got.help = *reinterpret_cast<const HELPINFO*>(lParam);
        g_parentMessages.push_back(got);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreatePreviewParent()
{
    const TestWindowClass parentClass = {"LumivaneTestPreviewParent", PreviewParentProc, 0,
                                         static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH))};
    g_parentMessages.clear();
    return CreateTestClassWindow(parentClass, "parent", WS_POPUP | WS_BORDER | WS_VISIBLE, 40, 30, 300, 200, NULL);
}

const std::vector<ParentMessage>& PreviewParentMessages()
{
    return g_parentMessages;
}

// The remote parent's thread and the events by which the test steers it.
struct RemoteParent {
    HANDLE thread;
    HANDLE made;
    HANDLE hanging;
    HANDLE letGo;
    HANDLE awake;
    HWND window;
};
static RemoteParent g_remote;
const UINT HangRequest = WM_APP;

static LRESULT CALLBACK RemoteParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case HangRequest:
        SetEvent(g_remote.hanging);
        WaitForSingleObject(g_remote.letGo, RunWaitLimit);
        SetEvent(g_remote.awake);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

static DWORD WINAPI RemoteParentThread(void*)
{
    const TestWindowClass remoteClass = {"LumivaneTestRemoteParent", RemoteParentProc, 0,
                                         static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH))};
    g_remote.window =
        CreateTestClassWindow(remoteClass, "remote parent", WS_POPUP | WS_BORDER | WS_VISIBLE, 40, 30, 300, 200, NULL);
    SetEvent(g_remote.made);
    MSG message;
    while (g_remote.window != NULL && GetMessageA(&message, NULL, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}

HWND StartRemotePreviewParent()
{
    g_remote = {};
    g_remote.made = CreateEventA(NULL, TRUE, FALSE, NULL);
    g_remote.hanging = CreateEventA(NULL, TRUE, FALSE, NULL);
    g_remote.letGo = CreateEventA(NULL, TRUE, FALSE, NULL);
    g_remote.awake = CreateEventA(NULL, TRUE, FALSE, NULL);
    g_remote.thread = CreateThread(NULL, 0, RemoteParentThread, NULL, 0, NULL);
    if (g_remote.thread == NULL || WaitForSingleObject(g_remote.made, RunWaitLimit) != WAIT_OBJECT_0)
        return NULL;
    return g_remote.window;
}

void HangRemotePreviewParent()
{
    PostMessageA(g_remote.window, HangRequest, 0, 0);
    WaitForSingleObject(g_remote.hanging, RunWaitLimit);
}

bool RemotePreviewParentHung()
{
    return WaitForSingleObject(g_remote.hanging, 0) == WAIT_OBJECT_0 &&
           WaitForSingleObject(g_remote.awake, 0) == WAIT_TIMEOUT;
}

void LetRemotePreviewParentGo()
{
    SetEvent(g_remote.letGo);
}

void EndRemotePreviewParent()
{
    LetRemotePreviewParentGo();
    PostMessageA(g_remote.window, WM_CLOSE, 0, 0);
    if (g_remote.thread != NULL) {
        WaitForSingleObject(g_remote.thread, RunWaitLimit);
        CloseHandle(g_remote.thread);
    }
    for (HANDLE event : {g_remote.made, g_remote.hanging, g_remote.letGo, g_remote.awake})
        CloseHandle(event);
    g_remote = {};
}
