// A glyph's outline as the warp reads it, built from the segments of a font
// outline: points in 26.6 fixed point (1/64 pixel, y up, as fonts give them),
// placed at an origin on the text's cell, y turned down, quadratic curves
// raised to cubics exactly, and every point rounded to a whole pixel at the
// end. The path keeps positions in 1/256 pixel and tidies each figure the way
// cairo's paths do (no repeated points, collinear lines joined, no closing
// line), so that its points equal those of the text paths the program took
// from cairo before. Pure: no font library is needed.
#pragma once
#include <cstdint>
#include <vector>
#include "animation/geometry.h"

// A position in 1/256 pixel on the cell, y down.
struct FinePoint {
    int32_t x;
    int32_t y;
};

struct GlyphPath {
    // The finished outline: whole pixels and the type bytes of surface.h.
    std::vector<POINT> points;
    std::vector<unsigned char> types;
    // The figure being built, in 1/256 pixel; a curve holds three points.
    std::vector<FinePoint> figure;
    std::vector<unsigned char> figureTypes;
    FinePoint origin;                   // of the current glyph, y down
    FinePoint current;
    FinePoint start;                    // of the current figure
    bool hasCurrent;
    bool needsMove;
};

// An empty path.
void ClearGlyphPath(GlyphPath* path);
// The glyph that follows has its origin (pen position on the baseline) at
// x, y in 26.6 on the cell, y down.
void StartGlyph(GlyphPath* path, int64_t x, int64_t y);
// Segments of the glyph in the font's 26.6 units, y up from the origin.
void GlyphMoveTo(GlyphPath* path, int64_t x, int64_t y);
void GlyphLineTo(GlyphPath* path, int64_t x, int64_t y);
void GlyphConicTo(GlyphPath* path, int64_t controlX, int64_t controlY, int64_t x, int64_t y);
void GlyphCubicTo(GlyphPath* path, int64_t x1, int64_t y1, int64_t x2, int64_t y2, int64_t x, int64_t y);
// Closes the open figure, if any, into the finished outline.
void EndGlyph(GlyphPath* path);
