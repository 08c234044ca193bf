// Text warping: the region that one animation frame fills, the saver's text
// stretched between the top beam and the bottom beam of that frame.
#pragma once
#include "animation/surface.h"

// The region of text warped onto the beams, or null. The surface has the
// text's font selected; text is NUL-terminated. The left edge of the text
// lands on index 0 of both beams and its right edge on their last index, its
// top edge on the top beam and its bottom edge on the bottom beam. The caller
// owns and deletes the region. Leaves the surface's background transparent
// and no outline open; keeps nothing between calls.
Region WarpTextRegion(Surface surface, const POINT* topBeam, const POINT* bottomBeam,
                      int topCount, int bottomCount, const char* text);

// The region of the outline rebuilt from n points and their type bytes
// (filled by the even-odd rule), or null. A curve byte takes the two points
// after it as well; a curve byte without two points after it, and a byte
// that is no move, line or curve, passes over its point.
Region OutlineToRegion(Surface surface, const POINT* points, const unsigned char* types, int n);
