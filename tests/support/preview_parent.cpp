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

// The remote parent's thread, and the events by which it is steered: made
// once its window exists; hanging while it waits and reads no message.
static HANDLE g_remoteThread, g_made, g_hanging, g_letGo;
static HWND g_remoteWindow;
const UINT HangRequest = WM_APP;

static LRESULT CALLBACK RemoteParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == HangRequest) {
        SetEvent(g_hanging);
        WaitForSingleObject(g_letGo, RunWaitLimit);
        ResetEvent(g_hanging);
        return 0;
    }
    if (message == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

static DWORD WINAPI RemoteParentThread(void*)
{
    const TestWindowClass remoteClass = {"LumivaneTestRemoteParent", RemoteParentProc, 0,
                                         static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH))};
    g_remoteWindow = CreateTestClassWindow(remoteClass, "", WS_POPUP | WS_VISIBLE, 40, 30, 300, 200, NULL);
    SetEvent(g_made);
    MSG message;
    while (g_remoteWindow != NULL && GetMessageA(&message, NULL, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}

HWND StartRemotePreviewParent()
{
    g_remoteWindow = NULL;
    g_made = CreateEventA(NULL, TRUE, FALSE, NULL);
    g_hanging = CreateEventA(NULL, TRUE, FALSE, NULL);
    g_letGo = CreateEventA(NULL, TRUE, FALSE, NULL);
    g_remoteThread = CreateThread(NULL, 0, RemoteParentThread, NULL, 0, NULL);
    WaitForSingleObject(g_made, RunWaitLimit);
    return g_remoteWindow;
}

void HangRemotePreviewParent()
{
    PostMessageA(g_remoteWindow, HangRequest, 0, 0);
    WaitForSingleObject(g_hanging, RunWaitLimit);
}

bool RemotePreviewParentHung()
{
    return WaitForSingleObject(g_hanging, 0) == WAIT_OBJECT_0;
}

void EndRemotePreviewParent()
{
    SetEvent(g_letGo);
    PostMessageA(g_remoteWindow, WM_CLOSE, 0, 0);
    WaitForSingleObject(g_remoteThread, RunWaitLimit);
    for (HANDLE handle : {g_remoteThread, g_made, g_hanging, g_letGo})
        CloseHandle(handle);
    g_remoteThread = g_made = g_hanging = g_letGo = NULL;
    g_remoteWindow = NULL;
}
