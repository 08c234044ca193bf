// Pixel geometry shared by the motion, the outline mapping and the frame
// code. On Windows these are the system's own RECT, POINT and SIZE; a build
// without Windows gets records with the same fields, so the pure logic
// compiles there.
#pragma once
#include <cstdint>
#ifdef _WIN32
#include <windef.h>
#else
struct RECT { int32_t left, top, right, bottom; };
struct POINT { int32_t x, y; };
struct SIZE { int32_t cx, cy; };
#endif

// The one conversion from a double to an integer pixel coordinate: truncation
// toward zero, defined for every double. NaN gives 0; values beyond the
// signed 32-bit range are held at its ends (a plain cast of either is
// undefined, and a runaway beam or a degenerate outline can make either).
// Inline: the pixel runs make one
// for every row an edge crosses.
inline int32_t TruncateToPixel(double value)
{
    if (!(value == value))
        return 0;
    if (value >= 2147483647.0)
        return INT32_MAX;
    if (value <= -2147483648.0)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

// To the nearest pixel, halves upward: a truncation of the value plus a half
// taken down to a whole number.
int32_t RoundToPixel(double value);

// Boxes as RECTs, right and bottom excluded: one with no width or no height
// is empty; the union of an empty box and another is the other, and an
// intersection that is empty is all zero.
bool BoxIsEmpty(const RECT& box);
RECT BoxUnion(const RECT& a, const RECT& b);
RECT BoxIntersection(const RECT& a, const RECT& b);
