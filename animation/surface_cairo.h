// What the hosts of the cairo backend need beyond the drawing operations:
// a surface is an image of its own, which a host shows, saves or copies to a
// window, and the box drawn since the host last looked, so that only what
// changed is copied.
#pragma once
#include <cairo.h>
#include <vector>
#include "animation/surface.h"

// A black image of width by height pixels to draw frames on; null when it
// cannot be made.
Surface CreateImageSurface(int width, int height);
// The same on an image made elsewhere, such as one whose memory a display
// shares: it must be 24-bit RGB; the surface takes a reference to it.
Surface CreateSurfaceOnImage(cairo_surface_t* image);
void DestroyImageSurface(Surface surface);

// The image with everything drawn so far, 24-bit RGB; owned by the surface.
cairo_surface_t* SurfaceImage(Surface surface);

// The smallest rectangle around everything drawn since the last call, and
// empty (all zero) when nothing was; starts again from nothing.
RECT TakeSurfaceDamage(Surface surface);
// The same as a few rectangles, in row order and apart, around what was
// drawn in each band of DamageBandRows rows from the top (bands drawn alike
// are one rectangle): for a host whose copies cost by the pixel. A wide,
// slanted text changes a narrow strip of each band, and copying band by band
// moves about a third of what the one bounding box would.
const int32_t DamageBandRows = 16;
void TakeSurfaceDamageAreas(Surface surface, std::vector<RECT>* areas);
