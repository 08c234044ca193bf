// The outline geometry: the reference box, and the mapping of outline points
// onto the beams by truncated index and unclamped blend.
#include <gtest/gtest.h>
#include <cstring>
#include <vector>
#include "animation/outline_map.h"

TEST(FitExtentToOutline, GrowsToTheLargestCoordinateOnly)
{
    const POINT points[] = {{5, 25}, {12, 3}, {-40, -90}, {11, 24}};
    struct Case { int n; SIZE start; SIZE grown; };
    const Case cases[] = {
        {4, {10, 20}, {12, 25}},
        {1, {10, 20}, {10, 25}},
        {4, {0, 0}, {12, 25}},      // a failed measurement starts at zero
        {4, {100, 100}, {100, 100}},
        {0, {10, 20}, {10, 20}},
        {-1, {10, 20}, {10, 20}},
    };
    for (const Case& c : cases) {
        SIZE extent = c.start;
        FitExtentToOutline(points, c.n, &extent);
        EXPECT_EQ(c.grown.cx, extent.cx) << "n " << c.n;
        EXPECT_EQ(c.grown.cy, extent.cy) << "n " << c.n;
    }
}

// Beams whose points tell their index: top[i] = (i, -i), bottom[i] =
// (10000 + i, 20000 + i).
static std::vector<POINT> IndexedBeam(int count, int offset)
{
    std::vector<POINT> beam(count);
    for (int i = 0; i < count; ++i)
        beam[i] = {offset + i, offset == 0 ? -i : 2 * offset + i};
    return beam;
}

TEST(MapOutlineOntoBeams, PicksTheBeamPointByTruncationAndHoldsItInRange)
{
    const std::vector<POINT> top = IndexedBeam(500, 0);
    const std::vector<POINT> bottom = IndexedBeam(500, 10000);
    const int W = 1000, H = 100;
    struct Case { POINT in; int bottomCount; POINT out; };
    const Case cases[] = {
        {{0, 0}, 500, {0, 0}},                  // x = 0: index 0
        {{1000, 0}, 500, {499, -499}},          // x = W: the last index
        {{500, 0}, 500, {249, -249}},           // 499 * 0.5 = 249.5
        {{999, 0}, 500, {498, -498}},           // 498.501: truncated, not rounded
        {{2, 0}, 500, {0, 0}},                  // 0.998
        {{1000, 100}, 500, {10499, 20499}},     // y = H: on the bottom beam
        {{500, 100}, 500, {10249, 20249}},
        {{500, 50}, 500, {5249, 10000}},        // halfway between the pair
        {{0, -50}, 500, {-5000, -10000}},       // above the cell: beyond the top beam
        {{500, 100}, 100, {10049, 20049}},      // a shorter bottom beam: 99 * 0.5
        {{1000, 100}, 100, {10099, 20099}},
        {{500, 0}, 100, {249, -249}},
        {{-1, 0}, 500, {0, 0}},                 // -0.499 truncates to 0
        {{-3, 0}, 500, {0, 0}},                 // -1.497: held at 0
        {{-2000, 100}, 500, {10000, 20000}},
        {{3000, 0}, 500, {499, -499}},          // beyond the box: held at the last
        {{3000, 100}, 100, {10099, 20099}},
    };
    for (const Case& c : cases) {
        POINT point = c.in;
        ASSERT_EQ(1, MapOutlineOntoBeams(&point, 1, W, H, top.data(), bottom.data(), 500, c.bottomCount));
        EXPECT_EQ(c.out.x, point.x) << "from " << c.in.x << "," << c.in.y << " count " << c.bottomCount;
        EXPECT_EQ(c.out.y, point.y) << "from " << c.in.x << "," << c.in.y << " count " << c.bottomCount;
    }
}

TEST(MapOutlineOntoBeams, BlendsInDoublesAndTruncatesTowardZero)
{
    struct Case { POINT top, bottom; int32_t H; POINT in, out; };
    const Case cases[] = {
        {{100, 200}, {300, 401}, 100, {0, 50}, {200, 300}},     // 300.5
        {{-1, -3}, {0, -4}, 2, {0, 1}, {0, -3}},                // -0.5 and -3.5
        {{-1, 7}, {2, 8}, 3, {0, 1}, {0, 7}},                   // x a hair below zero: -1.1e-16
    };
    for (const Case& c : cases) {
        const POINT top[2] = {c.top, c.top};
        const POINT bottom[2] = {c.bottom, c.bottom};
        POINT point = c.in;
        ASSERT_EQ(1, MapOutlineOntoBeams(&point, 1, 10, c.H, top, bottom, 2, 2));
        EXPECT_EQ(c.out.x, point.x) << "top " << c.top.x << "," << c.top.y;
        EXPECT_EQ(c.out.y, point.y) << "top " << c.top.x << "," << c.top.y;
    }
}

TEST(MapOutlineOntoBeams, AGlyphBelowTheMeasuredHeightLandsOnTheBottomBeam)
{
    const std::vector<POINT> top = IndexedBeam(500, 0);
    const std::vector<POINT> bottom = IndexedBeam(500, 10000);
    POINT outline[] = {{0, 0}, {100, 80}, {200, 30}};
    SIZE extent = {200, 50};                    // measured: the descender reaches 80
    FitExtentToOutline(outline, 3, &extent);
    ASSERT_EQ(1, MapOutlineOntoBeams(outline, 3, extent.cx, extent.cy, top.data(), bottom.data(), 500, 500));
    const POINT expected[] = {{0, 0}, {10249, 20249}, {4249, 7375}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(expected[i].x, outline[i].x) << "point " << i;
        EXPECT_EQ(expected[i].y, outline[i].y) << "point " << i;
    }
}

TEST(MapOutlineOntoBeams, LeavesThePointsAloneWithoutABoxOrABeam)
{
    const POINT beam[2] = {{1, 1}, {2, 2}};
    struct Case { int32_t W, H; int topCount, bottomCount; };
    const Case cases[] = {{0, 10, 2, 2}, {10, 0, 2, 2}, {-5, 10, 2, 2}, {10, 10, 0, 2}, {10, 10, 2, -1}};
    for (const Case& c : cases) {
        POINT points[3];
        std::memset(points, 0xCD, sizeof(points));
        POINT before[3];
        std::memcpy(before, points, sizeof(points));
        EXPECT_EQ(0, MapOutlineOntoBeams(points, 3, c.W, c.H, beam, beam, c.topCount, c.bottomCount))
            << c.W << "x" << c.H;
        EXPECT_EQ(0, std::memcmp(before, points, sizeof(points))) << c.W << "x" << c.H;
    }
}
