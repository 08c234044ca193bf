// The truncation every pixel coordinate goes through. A plain cast of a NaN
// or an out-of-range double is undefined behaviour in C++, and a runaway beam
// or a degenerate outline can produce either.
#include "animation/geometry.h"
#include <cmath>

int32_t TruncateToPixel(double value)
{
    if (!(value == value))
        return 0;
    if (value >= 2147483647.0)
        return INT32_MAX;
    if (value <= -2147483648.0)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

int32_t RoundToPixel(double value)
{
    return TruncateToPixel(std::floor(value + 0.5));
}

bool BoxIsEmpty(const RECT& box)
{
    return box.left >= box.right || box.top >= box.bottom;
}

RECT BoxUnion(const RECT& a, const RECT& b)
{
    if (BoxIsEmpty(a))
        return b;
    if (BoxIsEmpty(b))
        return a;
    RECT both = a;
    both.left = a.left < b.left ? a.left : b.left;
    both.top = a.top < b.top ? a.top : b.top;
    both.right = a.right > b.right ? a.right : b.right;
    both.bottom = a.bottom > b.bottom ? a.bottom : b.bottom;
    return both;
}
