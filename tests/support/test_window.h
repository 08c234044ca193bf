// Windows of classes of the test program's own. Each class is registered
// the first time a window of it is made, and only then, so tests that count
// the program's registrations see none of the test's after the first.
#pragma once
#include <windows.h>

struct TestWindowClass {
    const char* name;
    WNDPROC procedure;
    UINT style;             // class style, e.g. CS_OWNDC
    HBRUSH background;      // null: the window paints its own background
};

// A window of windowClass in the test program's instance; null on failure.
HWND CreateTestClassWindow(const TestWindowClass& windowClass, const char* title, DWORD style, int x, int y,
                           int width, int height, HWND parent);
