// The drawing-surface operations the frame composes: the erase of what the
// new shape leaves uncovered, and queries that fail without leaving garbage.
#include <gtest/gtest.h>
#include <cstring>
#include "animation/surface.h"
#include "support/memory_surface.h"

TEST(Surface, EraseBlackensThePreviousShapeOnlyWhereTheNewOneIsNot)
{
    MemorySurface surface(64, 64);
    ASSERT_TRUE(surface.Valid());
    const COLORREF colour = RGB(10, 20, 30);
    const RECT all = {0, 0, 64, 64};
    SurfaceBrush brush = CreateColorBrush(colour);
    ASSERT_NE(nullptr, brush);
    FillSurfaceRect(surface.dc(), &all, brush);

    Region previous = CreateRectRgn(0, 0, 40, 40);
    Region next = CreateRectRgn(20, 20, 60, 60);
    Region uncovered = CreateEmptyRegion();
    ASSERT_NE(nullptr, uncovered);
    SubtractRegion(uncovered, previous, next);
    FillSurfaceRegion(surface.dc(), uncovered, GetBlackBrush());

    struct Pixel { int x, y; COLORREF colour; };
    const Pixel pixels[] = {
        {10, 10, RGB(0, 0, 0)}, {39, 10, RGB(0, 0, 0)}, {10, 39, RGB(0, 0, 0)}, {19, 39, RGB(0, 0, 0)},
        {20, 20, colour}, {39, 39, colour},     // covered by the new shape
        {50, 50, colour}, {40, 10, colour}, {10, 40, colour},   // never in the previous shape
    };
    for (const Pixel& p : pixels)
        EXPECT_EQ(p.colour, GetPixel(surface.dc(), p.x, p.y)) << p.x << "," << p.y;

    // Deleted objects are gone; the shared black brush stays.
    DeleteRegion(uncovered);
    DeleteSurfaceBrush(brush);
    EXPECT_EQ(0u, GetObjectType(uncovered));
    EXPECT_EQ(0u, GetObjectType(brush));
    EXPECT_EQ(static_cast<DWORD>(OBJ_BRUSH), GetObjectType(GetBlackBrush()));
    DeleteObject(previous);
    DeleteObject(next);
}

TEST(Surface, FailedQueriesGiveZeroes)
{
    HDC gone = CreateCompatibleDC(NULL);
    ASSERT_NE(nullptr, gone);
    DeleteDC(gone);
    SIZE extent;
    std::memset(&extent, 0xCD, sizeof(extent));
    EXPECT_EQ(0, MeasureText(gone, "Lumivane", 8, &extent));
    EXPECT_EQ(0, extent.cx);
    EXPECT_EQ(0, extent.cy);

    RECT bounds;
    std::memset(&bounds, 0xCD, sizeof(bounds));
    EXPECT_EQ(0, GetClientBounds(NULL, &bounds));
    EXPECT_EQ(0, bounds.left);
    EXPECT_EQ(0, bounds.top);
    EXPECT_EQ(0, bounds.right);
    EXPECT_EQ(0, bounds.bottom);
}
