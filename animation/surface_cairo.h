// What the hosts of the cairo backend need beyond the drawing operations:
// a surface is an image of its own, which a host shows, saves or copies to a
// window, and the box drawn since the host last looked, so that only what
// changed is copied.
#pragma once
#include <cairo.h>
#include "animation/surface_image.h"

// A black image of width by height pixels to draw frames on; null when it
// cannot be made.
Surface CreateImageSurface(int width, int height);
// The same on an image made elsewhere, such as one whose memory a display
// shares: it must be 24-bit RGB; the surface takes a reference to it.
Surface CreateSurfaceOnImage(cairo_surface_t* image);
void DestroyImageSurface(Surface surface);

// The image with everything drawn so far, 24-bit RGB; owned by the surface.
cairo_surface_t* SurfaceImage(Surface surface);

