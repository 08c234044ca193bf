// The image surface: the drawing operations of surface.h on 32-bit pixels in
// memory that a host owns, and the box drawn since the host last looked, so
// that only what changed is copied. Hosts wrap it: a cairo image on Linux
// (surface_cairo.h), a browser canvas's pixels on the web.
#pragma once
#include <cstdint>
#include <vector>
#include "animation/surface.h"

// How a pixel's 32 bits hold its colour.
enum PixelLayout {
    PixelsXrgb,                         // the word 0x00RRGGBB: cairo's RGB24
    PixelsRgba                          // bytes R, G, B, 255: a canvas's ImageData
};

// A surface drawing on width by height pixels, rows stride pixels apart,
// cleared to black; the pixels stay the caller's. owner is whatever the host
// keeps with them, handed back by PixelSurfaceOwner.
Surface CreatePixelSurface(uint32_t* pixels, int width, int height, int stride, PixelLayout layout, void* owner);
void DestroyPixelSurface(Surface surface);
void* PixelSurfaceOwner(Surface surface);

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
