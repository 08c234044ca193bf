// Memory device contexts and region measures for the drawing tests.
#include "support/memory_surface.h"
#include <vector>

MemorySurface::MemorySurface(int width, int height)
{
    dc_ = CreateCompatibleDC(NULL);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down, like the window's client area
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = NULL;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    if (dc_ != NULL && bitmap_ != NULL)
        previous_ = SelectObject(dc_, bitmap_);
    bits_ = static_cast<const DWORD*>(bits);
}

MemorySurface::~MemorySurface()
{
    if (previous_ != NULL)
        SelectObject(dc_, previous_);
    if (bitmap_ != NULL)
        DeleteObject(bitmap_);
    if (dc_ != NULL)
        DeleteDC(dc_);
}

long RegionArea(HRGN region)
{
    if (region == NULL)
        return 0;
    DWORD size = GetRegionData(region, 0, NULL);
    std::vector<char> buffer(size);
    RGNDATA* data = reinterpret_cast<RGNDATA*>(buffer.data());
    if (size == 0 || GetRegionData(region, size, data) != size)
        return -1;
    const RECT* rects = reinterpret_cast<const RECT*>(data->Buffer);
    long area = 0;
    for (DWORD i = 0; i < data->rdh.nCount; ++i)
        area += (rects[i].right - rects[i].left) * (rects[i].bottom - rects[i].top);
    return area;
}

long DifferenceArea(HRGN a, HRGN b)
{
    HRGN difference = CreateRectRgn(0, 0, 0, 0);
    CombineRgn(difference, a, b, RGN_XOR);
    long area = RegionArea(difference);
    DeleteObject(difference);
    return area;
}
