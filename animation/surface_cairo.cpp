// The drawing surface on a cairo image: the pixels of an RGB24 image drawn
// by the image surface (surface_image.h); cairo holds the image that hosts
// show, save and copy.
#include "animation/surface_cairo.h"

Surface CreateImageSurface(int width, int height)
{
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    Surface surface = CreateSurfaceOnImage(image);
    cairo_surface_destroy(image);
    return surface;
}

Surface CreateSurfaceOnImage(cairo_surface_t* image)
{
    if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS ||
        cairo_surface_get_type(image) != CAIRO_SURFACE_TYPE_IMAGE ||
        cairo_image_surface_get_format(image) != CAIRO_FORMAT_RGB24)
        return NULL;
    cairo_surface_flush(image);
    return CreatePixelSurface(reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(image)),
                              cairo_image_surface_get_width(image), cairo_image_surface_get_height(image),
                              cairo_image_surface_get_stride(image) / static_cast<int>(sizeof(uint32_t)), PixelsXrgb,
                              cairo_surface_reference(image));
}

void DestroyImageSurface(Surface surface)
{
    if (surface == NULL)
        return;
    cairo_surface_destroy(static_cast<cairo_surface_t*>(PixelSurfaceOwner(surface)));
    DestroyPixelSurface(surface);
}

cairo_surface_t* SurfaceImage(Surface surface)
{
    cairo_surface_t* image = static_cast<cairo_surface_t*>(PixelSurfaceOwner(surface));
    cairo_surface_mark_dirty(image);
    return image;
}
