// The geometry of the text warping: the reference box of a text outline, and
// the mapping of its points into the band between two beams. Pure logic.
#pragma once
#include "animation/geometry.h"

// Grows extent so that its width is at least every point's x and its height
// at least every point's y; only a larger value replaces one. With n of 0 or
// less nothing changes.
void FitExtentToOutline(const POINT* points, int n, SIZE* extent);

// Moves m outline points in place onto the band between the beams. A point's
// x as a fraction of width picks a beam point on each beam (truncating, the
// index held within the beam), its y as a fraction of height blends between
// those two. Returns 0 and leaves the points alone when width or height is
// not positive or a beam has no points; 1 otherwise.
int MapOutlineOntoBeams(POINT* points, int m, int32_t width, int32_t height,
                        const POINT* topBeam, const POINT* bottomBeam, int topCount, int bottomCount);
