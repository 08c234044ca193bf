// Paint windows and the capture of a context's pixels through a 32-bit DIB,
// so colours read back exactly.
#include "support/paint_window.h"
#include "support/test_window.h"

static LRESULT CALLBACK PaintWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreatePaintWindow(int width, int height)
{
    const TestWindowClass paintClass = {"LumivaneTestPaintWindow", PaintWindowProc, CS_OWNDC,
                                        static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))};
    HWND window = CreateTestClassWindow(paintClass, "paint", WS_POPUP | WS_VISIBLE, 0, 0, width, height, NULL);
    if (window != NULL)
        UpdateWindow(window);
    return window;
}

ClientPixels CaptureClient(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    HDC windowDc = GetDC(window);
    ClientPixels result = CaptureArea(windowDc, client);
    ReleaseDC(window, windowDc);
    return result;
}

ClientPixels CaptureArea(HDC source, const RECT& area)
{
    ClientPixels result = {area.right - area.left, area.bottom - area.top, {}};
    result.pixels.resize(static_cast<size_t>(result.width) * result.height);

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = result.width;
    info.bmiHeader.biHeight = -result.height;       // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC memoryDc = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ previous = SelectObject(memoryDc, bitmap);
    BitBlt(memoryDc, 0, 0, result.width, result.height, source, area.left, area.top, SRCCOPY);
    GdiFlush();
    const DWORD* row = static_cast<const DWORD*>(bits);
    for (size_t i = 0; i < result.pixels.size(); ++i) {
        DWORD bgr = row[i];
        result.pixels[i] = RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
    }
    SelectObject(memoryDc, previous);
    DeleteObject(bitmap);
    DeleteDC(memoryDc);
    return result;
}
