// A real window to draw frames on, made the way the saver's own is: a class
// with a device context of its own, a black background, shown at the
// top-left of the suite's display. And the pixels of its client area, or
// of any area of a device context.
#pragma once
#include <windows.h>
#include <vector>

HWND CreatePaintWindow(int width, int height);

struct ClientPixels {
    int width;
    int height;
    std::vector<COLORREF> pixels;       // row by row from the top-left
    COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
ClientPixels CaptureClient(HWND window);
// The pixels of area (in the context's own coordinates) of source.
ClientPixels CaptureArea(HDC source, const RECT& area);
