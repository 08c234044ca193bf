// Maps a text outline onto the beams column by column: no interpolation
// between neighbouring beam points, and no clamping of the vertical fraction,
// so a point above the text cell lands beyond the top beam.
#include "animation/outline_map.h"

void FitExtentToOutline(const POINT* points, int n, SIZE* extent)
{
    for (int i = 0; i < n; ++i) {
        if (points[i].x > extent->cx)
            extent->cx = points[i].x;
        if (points[i].y > extent->cy)
            extent->cy = points[i].y;
    }
}

// The beam point at fraction t of a beam of count points. A point left of
// the text's origin gives a negative t, and a caller's box narrower than the
// outline a t above 1: the index is held within the beam either way.
static int BeamIndex(double t, int count)
{
    int32_t index = TruncateToPixel((count - 1) * t);
    if (index < 0)
        return 0;
    if (index > count - 1)
        return count - 1;
    return index;
}

int MapOutlineOntoBeams(POINT* points, int m, int32_t width, int32_t height,
                        const POINT* topBeam, const POINT* bottomBeam, int topCount, int bottomCount)
{
    if (width <= 0 || height <= 0 || topCount <= 0 || bottomCount <= 0)
        return 0;
    for (int i = 0; i < m; ++i) {
        double t = static_cast<double>(points[i].x) / width;
        double c = static_cast<double>(points[i].y) / height;
        POINT top = topBeam[BeamIndex(t, topCount)];
        POINT bottom = bottomBeam[BeamIndex(t, bottomCount)];
        points[i].x = TruncateToPixel((1 - c) * top.x + c * bottom.x);
        points[i].y = TruncateToPixel((1 - c) * top.y + c * bottom.y);
    }
    return 1;
}
