// Pixel runs: which pixels an outline covers at its edges, figures that
// share an edge, curves, clipping, and the difference of two regions.
#include <gtest/gtest.h>
#include <cmath>
#include <vector>
#include "animation/span_region.h"
#include "animation/surface.h"

bool operator==(const Span& a, const Span& b)
{
    return a.y == b.y && a.left == b.left && a.right == b.right;
}

void PrintTo(const Span& s, std::ostream* out)
{
    *out << "{" << s.y << ": " << s.left << ".." << s.right << "}";
}

namespace {

const RECT Wide = {-100, -100, 100, 100};

std::vector<Span> SpansOf(const std::vector<POINT>& points, const std::vector<unsigned char>& types,
                          const RECT& clip = Wide)
{
    SpanRegion region;
    FillSpansFromOutline(&region, points.data(), types.data(), static_cast<int>(points.size()), clip);
    return region.spans;
}

const unsigned char M = OutlineMove, L = OutlineLine, C = OutlineCurve, Z = OutlineCloseFlag;

}  // namespace

TEST(SpanRegion, SamplesWholePixelsLeftAndTopInclusive)
{
    // A square from 2,1 to 5,3: rows 1 and 2, pixels 2..4.
    const std::vector<Span> square = {{1, 2, 5}, {2, 2, 5}};
    EXPECT_EQ(square, SpansOf({{2, 1}, {5, 1}, {5, 3}, {2, 3}}, {M, L, L, L | Z}));
    // The same figure left open, or drawn the other way round, covers the same.
    EXPECT_EQ(square, SpansOf({{2, 1}, {5, 1}, {5, 3}, {2, 3}}, {M, L, L, L}));
    EXPECT_EQ(square, SpansOf({{2, 1}, {2, 3}, {5, 3}, {5, 1}}, {M, L, L, L}));
    // Two squares that share the edge x = 5 never share a pixel.
    const std::vector<Span> both = {{1, 2, 8}, {2, 2, 8}};
    EXPECT_EQ(both, SpansOf({{2, 1}, {5, 1}, {5, 3}, {2, 3}, {5, 1}, {8, 1}, {8, 3}, {5, 3}},
                            {M, L, L, L | Z, M, L, L, L | Z}));
    // Even-odd: a square inside another is a hole.
    EXPECT_EQ((std::vector<Span>{{0, 0, 6}, {1, 0, 2}, {1, 4, 6}, {2, 0, 2}, {2, 4, 6}, {3, 0, 6}, {4, 0, 6},
                                 {5, 0, 6}}),
              SpansOf({{0, 0}, {6, 0}, {6, 6}, {0, 6}, {2, 1}, {4, 1}, {4, 3}, {2, 3}}, {M, L, L, L, M, L, L, L}));
    // A slanted edge crossing a row between pixels: the pixel right of the
    // crossing is the first inside.
    EXPECT_EQ((std::vector<Span>{{0, 0, 4}, {1, 1, 4}}), SpansOf({{0, 0}, {4, 0}, {4, 2}, {2, 2}}, {M, L, L, L}));
}

TEST(SpanRegion, CurvesMalformedBytesAndClipping)
{
    // A curve whose control points lie on its chord is that chord.
    EXPECT_EQ(SpansOf({{0, 0}, {8, 0}, {8, 8}, {0, 8}}, {M, L, L, L}),
              SpansOf({{0, 0}, {8, 0}, {8, 3}, {8, 5}, {8, 8}, {0, 8}}, {M, L, C, C, C, L}));
    // A bulging curve covers more than its chord, and stays inside its control box.
    std::vector<Span> bulge = SpansOf({{0, 0}, {0, 0}, {10, 0}, {10, 10}, {0, 10}}, {M, C, C, C, L});
    EXPECT_GT(bulge.size(), 5u);
    for (const Span& s : bulge)
        EXPECT_TRUE(s.left >= 0 && s.right <= 10 && s.y >= 0 && s.y < 10) << s.y << ": " << s.left << ".." << s.right;
    // A line before any move starts at 0,0; a curve byte without its two
    // points, and an unknown byte, pass over their point.
    EXPECT_EQ(SpansOf({{0, 0}, {4, 0}, {4, 4}}, {M, L, L}), SpansOf({{4, 0}, {4, 4}}, {L, L}));
    EXPECT_EQ(SpansOf({{0, 0}, {4, 0}, {4, 4}}, {M, L, L}), SpansOf({{0, 0}, {4, 0}, {9, 9}, {4, 4}, {7, 7}}, {M, L, 0x40, L, C}));
    // Clipping holds every span within the clip and drops rows outside it.
    const RECT clip = {1, 1, 3, 3};
    EXPECT_EQ((std::vector<Span>{{1, 1, 3}, {2, 1, 3}}), SpansOf({{-5, -5}, {50, -5}, {50, 50}, {-5, 50}}, {M, L, L, L}, clip));
    // Nothing, and nothing but level lines, covers nothing.
    EXPECT_TRUE(SpansOf({}, {}).empty());
    EXPECT_TRUE(SpansOf({{0, 3}, {9, 3}, {2, 3}}, {M, L, L}).empty());
}

TEST(SpanRegion, SubtractionKeepsWhatTheSecondDoesNotCover)
{
    auto region = [](std::vector<Span> spans) {
        SpanRegion r;
        r.spans = spans;
        return r;
    };
    struct Case {
        std::vector<Span> from, removed, expected;
        RECT box;
    };
    const Case cases[] = {
        {{{0, 0, 10}}, {{0, 3, 5}}, {{0, 0, 3}, {0, 5, 10}}, {0, 0, 10, 1}},
        {{{0, 0, 10}}, {{0, 0, 10}}, {}, {0, 0, 0, 0}},
        {{{0, 2, 8}}, {{0, 0, 3}, {0, 4, 5}, {0, 7, 20}}, {{0, 3, 4}, {0, 5, 7}}, {3, 0, 7, 1}},
        {{{0, 0, 4}, {2, 0, 4}, {5, 1, 2}}, {{1, 0, 4}, {2, 1, 3}, {4, 0, 9}}, {{0, 0, 4}, {2, 0, 1}, {2, 3, 4}, {5, 1, 2}},
         {0, 0, 4, 6}},
        {{{3, 0, 4}}, {}, {{3, 0, 4}}, {0, 3, 4, 4}},
        {{}, {{0, 0, 4}}, {}, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SpanRegion from = region(c.from), removed = region(c.removed), target;
        SubtractSpans(&target, &from, &removed);
        EXPECT_EQ(c.expected, target.spans);
        EXPECT_EQ(c.box.left, target.box.left);
        EXPECT_EQ(c.box.top, target.box.top);
        EXPECT_EQ(c.box.right, target.box.right);
        EXPECT_EQ(c.box.bottom, target.box.bottom);
        // In place, as the frame's erase may do it.
        SubtractSpans(&from, &from, &removed);
        EXPECT_EQ(c.expected, from.spans);
    }
}

// Many-sided figures wider than a word of the conversion's bit table, some
// reaching past the clip on every side, held against each pixel's own
// even-odd count: a pixel is inside when an odd number of the edges that
// cross its row do so at or left of it (the crossing's x from the edge's
// top end and its slope, as the conversion computes it). One region is
// reused throughout, as the frames reuse theirs.
TEST(SpanRegion, EveryPixelAgreesWithItsOwnCrossingCount)
{
    const RECT clips[] = {{0, 0, 200, 90}, {-7, 3, 131, 77}, {63, -20, 129, 50}, {64, 10, 65, 11}};
    uint32_t random = 12345;
    auto next = [&random](int32_t low, int32_t high) {
        random = random * 1103515245u + 12345u;
        return low + static_cast<int32_t>((random >> 8) % static_cast<uint32_t>(high - low));
    };
    SpanRegion region;
    for (int figure = 0; figure < 40; ++figure) {
        std::vector<POINT> points(static_cast<size_t>(next(3, 12)));
        for (POINT& p : points)
            p = {next(-60, 260), next(-40, 130)};
        std::vector<unsigned char> types(points.size(), L);
        types[0] = M;
        for (const RECT& clip : clips) {
            std::vector<Span> expected;
            for (int32_t y = clip.top; y < clip.bottom; ++y) {
                int32_t start = 0;
                bool inside = false;
                for (int32_t x = clip.left; x <= clip.right; ++x) {
                    int crossings = 0;
                    for (size_t i = 0; i < points.size(); ++i) {
                        POINT a = points[i], b = points[(i + 1) % points.size()];
                        if (a.y > b.y)
                            std::swap(a, b);
                        const double slope = static_cast<double>(b.x - a.x) / (b.y - a.y);
                        if (a.y <= y && y < b.y && std::ceil(a.x + (y - a.y) * slope) <= x)
                            ++crossings;
                    }
                    const bool now = x < clip.right && crossings % 2 == 1;
                    if (now && !inside)
                        start = x;
                    if (!now && inside)
                        expected.push_back({y, start, x});
                    inside = now;
                }
            }
            FillSpansFromOutline(&region, points.data(), types.data(), static_cast<int>(points.size()), clip);
            EXPECT_EQ(expected, region.spans) << "figure " << figure << ", clip left " << clip.left;
        }
    }
}
