// Windows of the test program's own classes, each class registered once.
#include "support/test_window.h"

HWND CreateTestClassWindow(const TestWindowClass& windowClass, const char* title, DWORD style, int x, int y,
                           int width, int height, HWND parent)
{
    HINSTANCE instance = GetModuleHandleA(NULL);
    WNDCLASSA registered;
    if (!GetClassInfoA(instance, windowClass.name, &registered)) {
        WNDCLASSA fresh = {};
        fresh.style = windowClass.style;
        fresh.lpfnWndProc = windowClass.procedure;
        fresh.hInstance = instance;
        fresh.hbrBackground = windowClass.background;
        fresh.lpszClassName = windowClass.name;
        if (RegisterClassA(&fresh) == 0)
            return NULL;
    }
    return CreateWindowExA(0, windowClass.name, title, style, x, y, width, height, parent, NULL, instance, NULL);
}
