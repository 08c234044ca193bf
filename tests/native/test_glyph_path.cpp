// Font outline segments into the warp's outline: placement on the cell, y
// turned down, quadratic curves raised exactly, and a figure tidied as
// cairo's paths tidy it.
#include <gtest/gtest.h>
#include <vector>
#include "animation/glyph_path.h"
#include "animation/surface.h"

namespace {

const unsigned char M = OutlineMove, L = OutlineLine, C = OutlineCurve, Z = OutlineCloseFlag;

// One step of drawing, in whole pixels: a glyph's origin (cell, y down), or
// a segment in font units (y up).
struct Step {
    char kind;                          // 'G' glyph, 'M' move, 'L' line, 'Q' quadratic, 'C' cubic
    std::vector<int64_t> pixels;
};

void Draw(GlyphPath* path, const std::vector<Step>& steps)
{
    const int64_t px = 64;              // one pixel in 26.6
    for (const Step& s : steps) {
        std::vector<int64_t> v;
        for (int64_t p : s.pixels)
            v.push_back(p * px / 2);    // half pixels, for the rounding cases
        switch (s.kind) {
        case 'G': StartGlyph(path, v[0], v[1]); break;
        case 'M': GlyphMoveTo(path, v[0], v[1]); break;
        case 'L': GlyphLineTo(path, v[0], v[1]); break;
        case 'Q': GlyphConicTo(path, v[0], v[1], v[2], v[3]); break;
        case 'C': GlyphCubicTo(path, v[0], v[1], v[2], v[3], v[4], v[5]); break;
        }
    }
    EndGlyph(path);
}

std::vector<int32_t> Flat(const GlyphPath& path)
{
    std::vector<int32_t> flat;
    for (const POINT& p : path.points) {
        flat.push_back(p.x);
        flat.push_back(p.y);
    }
    return flat;
}

}  // namespace

TEST(GlyphPath, FiguresArePlacedRaisedAndTidied)
{
    // Coordinates of the steps in half pixels.
    const struct {
        const char* name;
        std::vector<Step> steps;
        std::vector<int32_t> points;
        std::vector<unsigned char> types;
    } cases[] = {
        // Origin 10,20 with y down: font y 5 is 5 pixels above the baseline.
        {"a triangle closed by its own line back",
         {{'G', {20, 40}}, {'M', {0, 0}}, {'L', {8, 0}}, {'L', {0, 10}}, {'L', {0, 0}}},
         {10, 20, 14, 20, 10, 15}, {M, L, L | Z}},
        // q = (3,3) from (0,0) to (6,0): controls at (2,2) and (4,2).
        {"a quadratic raised to a cubic", {{'G', {0, 0}}, {'M', {0, 0}}, {'Q', {6, 6, 12, 0}}},
         {0, 0, 2, -2, 4, -2, 6, 0}, {M, C, C, C | Z}},
        {"collinear steps joined, repeated points dropped",
         {{'G', {0, 0}}, {'M', {0, 0}}, {'L', {4, 0}}, {'L', {4, 0}}, {'L', {10, 0}}, {'L', {10, -6}}},
         {0, 0, 5, 0, 5, 3}, {M, L, L | Z}},
        {"a step turning back is kept",
         {{'G', {0, 0}}, {'M', {0, 0}}, {'L', {8, 0}}, {'L', {4, 0}}, {'L', {4, 4}}},
         {0, 0, 4, 0, 2, 0, 2, -2}, {M, L, L, L | Z}},
        {"a figure of one point leaves nothing; two glyphs, two origins",
         {{'G', {0, 0}}, {'M', {2, 2}}, {'L', {2, 2}}, {'G', {60, 0}}, {'M', {0, 0}}, {'C', {2, 0, 4, 2, 0, 4}}},
         {30, 0, 31, 0, 32, -1, 30, -2}, {M, C, C, C | Z}},
        // Halves round up: 1/2 and -1/2 pixel.
        {"points rounded halves upward", {{'G', {0, 0}}, {'M', {1, 1}}, {'L', {3, 1}}, {'L', {3, -1}}},
         {1, 0, 2, 0, 2, 1}, {M, L, L | Z}},
    };
    for (const auto& c : cases) {
        GlyphPath path;
        ClearGlyphPath(&path);
        Draw(&path, c.steps);
        EXPECT_EQ(c.points, Flat(path)) << c.name;
        EXPECT_EQ(c.types, path.types) << c.name;
    }
}
