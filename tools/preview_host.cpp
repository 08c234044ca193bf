// A stand-in for the display settings' monitor picture: a small window
// with a screen area in which the saver runs its preview, in this same
// process (Wine draws no child window that belongs to another process).
// tools/screenshots uses it. Closing the window ends the preview.
#include <windows.h>
#include <cstdio>
#include "host/mode_launch.h"

const int FrameWidth = 320;
const int FrameHeight = 260;
const int ScreenLeft = 60, ScreenTop = 40, ScreenWidth = 200, ScreenHeight = 150;

static LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        // The monitor's casing around its screen.
        RECT casing = {ScreenLeft - 12, ScreenTop - 12, ScreenLeft + ScreenWidth + 12, ScreenTop + ScreenHeight + 12};
        HBRUSH grey = CreateSolidBrush(RGB(192, 192, 192));
        FillRect(dc, &casing, grey);
        RECT stand = {ScreenLeft + ScreenWidth / 2 - 30, casing.bottom, ScreenLeft + ScreenWidth / 2 + 30, casing.bottom + 14};
        FillRect(dc, &stand, grey);
        DeleteObject(grey);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    WNDCLASSA frameClass = {};
    frameClass.lpfnWndProc = FrameProc;
    frameClass.hInstance = instance;
    frameClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    frameClass.lpszClassName = "LumivanePreviewHost";
    RegisterClassA(&frameClass);
    HWND frame = CreateWindowExA(0, "LumivanePreviewHost", "Preview host", WS_POPUP | WS_VISIBLE, 0, 0,
                                 FrameWidth, FrameHeight, NULL, NULL, instance, NULL);
    HWND screen = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, ScreenLeft, ScreenTop, ScreenWidth,
                                  ScreenHeight, frame, NULL, instance, NULL);
    char arguments[32];
    std::snprintf(arguments, sizeof(arguments), "/p %lu",
                  static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(screen)));
    return SaverMain(instance, arguments);
}
