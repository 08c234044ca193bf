// The preview's parent window and its record.
#include "support/preview_parent.h"

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
    static ATOM atom = 0;
    if (atom == 0) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = PreviewParentProc;
        windowClass.hInstance = GetModuleHandleA(NULL);
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
        windowClass.lpszClassName = "LumivaneTestPreviewParent";
        atom = RegisterClassA(&windowClass);
    }
    g_parentMessages.clear();
    return CreateWindowExA(0, "LumivaneTestPreviewParent", "parent", WS_POPUP | WS_BORDER | WS_VISIBLE, 40, 30, 300,
                           200, NULL, NULL, GetModuleHandleA(NULL), NULL);
}

const std::vector<ParentMessage>& PreviewParentMessages()
{
    return g_parentMessages;
}
