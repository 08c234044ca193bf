// The preview's parent window and its record.
#include "support/preview_parent.h"
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
