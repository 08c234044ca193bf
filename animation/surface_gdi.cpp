// The drawing surface on Windows: each operation is one visible call into
// GDI, the window manager or the kernel, with the arguments the animation
// always passes.
#include "animation/surface.h"

// The outline walk reads GDI's own type bytes through these names.
static_assert(OutlineMove == PT_MOVETO && OutlineLine == PT_LINETO && OutlineCurve == PT_BEZIERTO &&
                  OutlineCloseFlag == PT_CLOSEFIGURE,
              "outline type bytes are GDI's");

Surface AcquireWindowSurface(HWND window)
{
    return GetDC(window);
}

void ReleaseWindowSurface(HWND window, Surface surface)
{
    ReleaseDC(window, surface);
}

int GetClientBounds(HWND window, RECT* bounds)
{
    if (GetClientRect(window, bounds))
        return 1;
    bounds->left = 0;
    bounds->top = 0;
    bounds->right = 0;
    bounds->bottom = 0;
    return 0;
}

SurfaceBrush GetBlackBrush()
{
    return static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
}

SurfaceFont CreateSurfaceFont(const FontDescription* description)
{
    return CreateFontIndirectA(description);
}

SurfaceBrush CreateColorBrush(Color color)
{
    return CreateSolidBrush(color);
}

SurfaceFont SelectSurfaceFont(Surface surface, SurfaceFont font)
{
    return static_cast<HFONT>(SelectObject(surface, font));
}

void DeleteSurfaceFont(SurfaceFont font)
{
    DeleteObject(font);
}

void DeleteSurfaceBrush(SurfaceBrush brush)
{
    DeleteObject(brush);
}

void FillSurfaceRect(Surface surface, const RECT* rect, SurfaceBrush brush)
{
    FillRect(surface, rect, brush);
}

void FillSurfaceRegion(Surface surface, Region region, SurfaceBrush brush)
{
    FillRgn(surface, region, brush);
}

int MeasureText(Surface surface, const char* text, int length, SIZE* extent)
{
    if (GetTextExtentPoint32A(surface, text, length, extent))
        return 1;
    // The call may have written part of the record before it failed.
    extent->cx = 0;
    extent->cy = 0;
    return 0;
}

void SetTransparentBackground(Surface surface)
{
    SetBkMode(surface, TRANSPARENT);
}

void BeginOutline(Surface surface)
{
    BeginPath(surface);
}

void EndOutline(Surface surface)
{
    EndPath(surface);
}

void AddTextToOutline(Surface surface, const char* text, int length)
{
    TextOutA(surface, 0, 0, text, length);
}

void OutlineMoveTo(Surface surface, POINT point)
{
    MoveToEx(surface, point.x, point.y, NULL);
}

void OutlineLineTo(Surface surface, POINT point)
{
    LineTo(surface, point.x, point.y);
}

void OutlineCurveTo(Surface surface, const POINT* threePoints)
{
    PolyBezierTo(surface, threePoints, 3);
}

void CloseOutlineFigure(Surface surface)
{
    CloseFigure(surface);
}

int CountOutlinePoints(Surface surface)
{
    return GetPath(surface, NULL, NULL, 0);
}

int ReadOutline(Surface surface, POINT* points, unsigned char* types, int capacity)
{
    return GetPath(surface, points, types, capacity);
}

Region RegionFromOutline(Surface surface)
{
    return PathToRegion(surface);
}

Region CreateEmptyRegion()
{
    return CreateRectRgn(0, 0, 0, 0);
}

void SubtractRegion(Region target, Region from, Region removed)
{
    CombineRgn(target, from, removed, RGN_DIFF);
}

void DeleteRegion(Region region)
{
    DeleteObject(region);
}

void* AllocateZeroedBlock(size_t bytes)
{
    // A fixed block: the handle is the block's address.
    return GlobalAlloc(GMEM_ZEROINIT, bytes);
}

void FreeBlock(void* block)
{
    GlobalFree(block);
}
