// Rounding to the nearest pixel, through the one truncation (geometry.h),
// and the box arithmetic of the frames' damage.
#include "animation/geometry.h"
#include <algorithm>
#include <cmath>

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
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

RECT BoxIntersection(const RECT& a, const RECT& b)
{
    RECT r = {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
    if (BoxIsEmpty(r))
        r = {0, 0, 0, 0};
    return r;
}
