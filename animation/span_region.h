// Regions as runs of whole pixels, row by row: the regions of the cairo
// backend. An outline of moves, lines and cubic curves (the outline type
// bytes of animation/surface) becomes the set of pixels whose whole-number
// coordinates lie inside it by the even-odd rule, which is how a GDI region
// made from a path samples its outline. Pure logic: no drawing calls.
#pragma once
#include <cstdint>
#include <vector>
#include "animation/geometry.h"

// Pixels left..right-1 of row y.
struct Span {
    int32_t y;
    int32_t left;
    int32_t right;
};

// Spans in row order, left to right within a row; spans of one row neither
// overlap nor touch. box is the smallest rectangle around them, empty
// (all zero) for an empty region.
struct SpanRegion {
    std::vector<Span> spans;
    RECT box;
};

// Fills region with the interior of the outline of n points and type bytes,
// clipped to clip. Every figure counts as closed. A line or curve before any
// move starts its figure at the previous point (0,0 at first); a curve byte
// without two points after it, and an unknown byte, pass over their point.
void FillSpansFromOutline(SpanRegion* region, const POINT* points, const unsigned char* types, int n,
                          const RECT& clip);

// target becomes from minus removed; target may be either of them.
void SubtractSpans(SpanRegion* target, const SpanRegion* from, const SpanRegion* removed);
