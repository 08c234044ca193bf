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
// signed 32-bit range are held at its ends.
int32_t TruncateToPixel(double value);

// To the nearest pixel, halves upward: a truncation of the value plus a half
// taken down to a whole number.
int32_t RoundToPixel(double value);

// A box is empty when it holds no pixel.
bool BoxIsEmpty(const RECT& box);
// The smallest box around both; an empty one adds nothing.
RECT BoxUnion(const RECT& a, const RECT& b);
