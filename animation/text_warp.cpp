// Text warping: the text is laid out as an outline at the origin, read back,
// each point moved into the band between the beams, and the moved outline
// drawn again and turned into a region. Everything is made and freed within
// one call.
#include "animation/text_warp.h"
#include <cstdint>
#include <cstring>
#include "animation/outline_map.h"

// The points of a curve: two control points, then its end.
const int CurvePoints = 3;
// The most outline points whose block size the 32-bit program can count; a
// larger count would wrap the size around and get a block too small.
const int MaxOutlinePoints = static_cast<int>(UINT32_MAX / sizeof(POINT));

Region OutlineToRegion(Surface surface, const POINT* points, const unsigned char* types, int n)
{
    BeginOutline(surface);
    int i = 0;
    while (i < n) {
        switch (types[i]) {
        case OutlineMove:
            OutlineMoveTo(surface, points[i]);
            i += 1;
            break;
        case OutlineLine:
        case OutlineLine | OutlineCloseFlag:
            OutlineLineTo(surface, points[i]);
            i += 1;
            break;
        case OutlineCurve:
        case OutlineCurve | OutlineCloseFlag:
            // A curve byte on one of the last two points has no end point.
            if (n - i < CurvePoints) {
                i += 1;
                break;
            }
            OutlineCurveTo(surface, points + i);
            i += CurvePoints;
            break;
        default:
            i += 1;
            break;
        }
    }
    // The even-odd conversion closes every figure; only the one still open
    // at the end is closed here.
    CloseOutlineFigure(surface);
    EndOutline(surface);
    return RegionFromOutline(surface);
}

// Reads the outline of the text at the origin into two fresh blocks; the
// number of points, or -1 with nothing left allocated.
static int ReadTextOutline(Surface surface, const char* text, int length, POINT** points, unsigned char** types)
{
    BeginOutline(surface);
    AddTextToOutline(surface, text, length);
    EndOutline(surface);
    int n = CountOutlinePoints(surface);
    if (n < 0 || n > MaxOutlinePoints)
        return -1;
    *points = static_cast<POINT*>(AllocateZeroedBlock(n * sizeof(POINT)));
    if (*points == NULL)
        return -1;
    *types = static_cast<unsigned char*>(AllocateZeroedBlock(n));
    if (*types == NULL) {
        FreeBlock(*points);
        return -1;
    }
    int m = ReadOutline(surface, *points, *types, n);
    if (m < 0) {
        FreeBlock(*points);
        FreeBlock(*types);
        return -1;
    }
    return m;
}

Region WarpTextRegion(Surface surface, const POINT* topBeam, const POINT* bottomBeam,
                      int topCount, int bottomCount, const char* text)
{
    int length = static_cast<int>(std::strlen(text));
    SetTransparentBackground(surface);
    POINT* points = NULL;
    unsigned char* types = NULL;
    int m = ReadTextOutline(surface, text, length, &points, &types);
    if (m < 0)
        return NULL;

    // The measured box, grown to glyphs that reach beyond it. A failed
    // measurement leaves the outline's own box.
    SIZE extent = {0, 0};
    MeasureText(surface, text, length, &extent);
    FitExtentToOutline(points, m, &extent);

    // An outline whose box has no width or no height cannot be placed on the
    // beams; its unmoved points must not be filled at the text's origin.
    Region region = NULL;
    if (m == 0 || MapOutlineOntoBeams(points, m, extent.cx, extent.cy, topBeam, bottomBeam, topCount, bottomCount))
        region = OutlineToRegion(surface, points, types, m);
    FreeBlock(points);
    FreeBlock(types);
    return region;
}
