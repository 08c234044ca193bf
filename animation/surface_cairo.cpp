// The drawing surface on cairo: text and its outlines come from the glyph
// source (glyph_source.h) as GDI gives them; regions are runs of whole
// pixels (span_region), filled straight into the image without
// antialiasing; cairo holds the image that hosts show, save and copy.
#include "animation/surface_cairo.h"
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>
#include "animation/glyph_source.h"
#include "animation/span_region.h"

struct CairoFont {
    GlyphFontHandle glyphs;
};

struct CairoBrush {
    uint32_t pixel;                     // 0x00RRGGBB, the image's own layout
};

enum OutlineState { OutlineNone, OutlineOpen, OutlineEnded };

struct CairoCanvas {
    cairo_surface_t* image;
    uint32_t* pixels;
    int stride;                         // pixels from one row to the next
    RECT bounds;
    SurfaceFont font;
    OutlineState outlineState;
    std::vector<POINT> points;
    std::vector<unsigned char> types;
    std::vector<RECT> damage;           // a band of DamageBandRows rows each; empty bands all zero
};

namespace {

const int CurvePoints = 3;
const uint32_t BlackPixel = 0;

CairoBrush g_blackBrush = {BlackPixel};

// Adds box, within the surface's bounds, to the bands it crosses.
void AddDamage(CairoCanvas* canvas, const RECT& box)
{
    if (BoxIsEmpty(box))
        return;
    const int32_t top = canvas->bounds.top;
    for (int32_t band = (box.top - top) / DamageBandRows; band <= (box.bottom - 1 - top) / DamageBandRows; ++band) {
        const int32_t bandTop = top + band * DamageBandRows;
        RECT& damage = canvas->damage[static_cast<size_t>(band)];
        damage = BoxUnion(damage, {box.left, std::max(box.top, bandTop), box.right,
                                std::min(box.bottom, bandTop + DamageBandRows)});
    }
}

void FillRow(CairoCanvas* canvas, int32_t y, int32_t left, int32_t right, uint32_t pixel)
{
    uint32_t* row = canvas->pixels + static_cast<size_t>(y) * canvas->stride;
    std::fill(row + left, row + right, pixel);
}

}  // namespace

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
    const int width = cairo_image_surface_get_width(image);
    const int height = cairo_image_surface_get_height(image);
    CairoCanvas* canvas = new CairoCanvas();
    canvas->image = cairo_surface_reference(image);
    cairo_surface_flush(image);
    canvas->pixels = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(image));
    canvas->stride = cairo_image_surface_get_stride(image) / static_cast<int>(sizeof(uint32_t));
    canvas->bounds = {0, 0, width, height};
    canvas->font = NULL;
    canvas->outlineState = OutlineNone;
    canvas->damage.assign(static_cast<size_t>((height + DamageBandRows - 1) / DamageBandRows), RECT{0, 0, 0, 0});
    FillSurfaceRect(canvas, &canvas->bounds, GetBlackBrush());
    std::fill(canvas->damage.begin(), canvas->damage.end(), RECT{0, 0, 0, 0});
    return canvas;
}

void DestroyImageSurface(Surface surface)
{
    if (surface == NULL)
        return;
    cairo_surface_destroy(surface->image);
    delete surface;
}

cairo_surface_t* SurfaceImage(Surface surface)
{
    cairo_surface_mark_dirty(surface->image);
    return surface->image;
}

void TakeSurfaceDamageAreas(Surface surface, std::vector<RECT>* areas)
{
    areas->clear();
    for (RECT& band : surface->damage) {
        if (BoxIsEmpty(band))
            continue;
        // Bands drawn alike are one rectangle, as after a fill of a box.
        if (!areas->empty() && areas->back().left == band.left && areas->back().right == band.right &&
            areas->back().bottom == band.top)
            areas->back().bottom = band.bottom;
        else
            areas->push_back(band);
        band = {0, 0, 0, 0};
    }
}

RECT TakeSurfaceDamage(Surface surface)
{
    std::vector<RECT> areas;
    TakeSurfaceDamageAreas(surface, &areas);
    RECT box = {0, 0, 0, 0};
    for (const RECT& area : areas)
        box = BoxUnion(box, area);
    return box;
}

SurfaceBrush GetBlackBrush()
{
    return &g_blackBrush;
}

SurfaceFont CreateSurfaceFont(const FontDescription* description)
{
    GlyphFontHandle glyphs = OpenGlyphFont(description);
    return glyphs != NULL ? new CairoFont{glyphs} : NULL;
}

SurfaceBrush CreateColorBrush(Color color)
{
    const uint32_t red = color & 0xFF, green = color >> 8 & 0xFF, blue = color >> 16 & 0xFF;
    return new CairoBrush{red << 16 | green << 8 | blue};
}

SurfaceFont SelectSurfaceFont(Surface surface, SurfaceFont font)
{
    SurfaceFont previous = surface->font;
    surface->font = font;
    return previous;
}

void DeleteSurfaceFont(SurfaceFont font)
{
    if (font == NULL)
        return;
    CloseGlyphFont(font->glyphs);
    delete font;
}

void DeleteSurfaceBrush(SurfaceBrush brush)
{
    if (brush != &g_blackBrush)
        delete brush;
}

void FillSurfaceRect(Surface surface, const RECT* rect, SurfaceBrush brush)
{
    RECT box = BoxIntersection(*rect, surface->bounds);
    for (int32_t y = box.top; y < box.bottom; ++y)
        FillRow(surface, y, box.left, box.right, brush->pixel);
    AddDamage(surface, box);
}

void FillSurfaceRegion(Surface surface, Region region, SurfaceBrush brush)
{
    // Regions are made within the surface's bounds, but one made for
    // another surface may reach beyond these. The spans come in row order,
    // so the box drawn in a band is gathered here and added once.
    const RECT& b = surface->bounds;
    RECT drawn = {0, 0, 0, 0};
    int32_t band = -1;
    for (const Span& span : region->spans) {
        if (span.y < b.top || span.y >= b.bottom)
            continue;
        int32_t left = std::max(span.left, b.left), right = std::min(span.right, b.right);
        if (left >= right)
            continue;
        FillRow(surface, span.y, left, right, brush->pixel);
        if ((span.y - b.top) / DamageBandRows != band) {
            AddDamage(surface, drawn);
            band = (span.y - b.top) / DamageBandRows;
            drawn = {left, span.y, right, span.y + 1};
        } else {
            drawn = {std::min(drawn.left, left), drawn.top, std::max(drawn.right, right), span.y + 1};
        }
    }
    AddDamage(surface, drawn);
}

int MeasureText(Surface surface, const char* text, int length, SIZE* extent)
{
    extent->cx = 0;
    extent->cy = 0;
    if (surface->font == NULL || length < 0)
        return 0;
    GlyphFontHandle glyphs = surface->font->glyphs;
    extent->cx = TextAdvance(glyphs, text, length);
    extent->cy = GlyphFontAscent(glyphs) + GlyphFontDescent(glyphs);
    return 1;
}

// Text is never painted here, only taken as an outline: there is no
// background box to leave out.
void SetTransparentBackground(Surface)
{
}

void BeginOutline(Surface surface)
{
    surface->points.clear();
    surface->types.clear();
    surface->outlineState = OutlineOpen;
}

void EndOutline(Surface surface)
{
    if (surface->outlineState == OutlineOpen)
        surface->outlineState = OutlineEnded;
}

void AddTextToOutline(Surface surface, const char* text, int length)
{
    if (surface->outlineState != OutlineOpen || surface->font == NULL || length <= 0)
        return;
    const GlyphPath& path = TextOutline(surface->font->glyphs, text, length);
    surface->points.insert(surface->points.end(), path.points.begin(), path.points.end());
    surface->types.insert(surface->types.end(), path.types.begin(), path.types.end());
}

void OutlineMoveTo(Surface surface, POINT point)
{
    if (surface->outlineState != OutlineOpen)
        return;
    surface->points.push_back(point);
    surface->types.push_back(OutlineMove);
}

void OutlineLineTo(Surface surface, POINT point)
{
    if (surface->outlineState != OutlineOpen)
        return;
    surface->points.push_back(point);
    surface->types.push_back(OutlineLine);
}

void OutlineCurveTo(Surface surface, const POINT* threePoints)
{
    if (surface->outlineState != OutlineOpen)
        return;
    for (int k = 0; k < CurvePoints; ++k) {
        surface->points.push_back(threePoints[k]);
        surface->types.push_back(OutlineCurve);
    }
}

void CloseOutlineFigure(Surface surface)
{
    if (surface->outlineState == OutlineOpen && !surface->types.empty())
        surface->types.back() |= OutlineCloseFlag;
}

int CountOutlinePoints(Surface surface)
{
    if (surface->outlineState != OutlineEnded)
        return -1;
    return static_cast<int>(surface->points.size());
}

int ReadOutline(Surface surface, POINT* points, unsigned char* types, int capacity)
{
    int n = CountOutlinePoints(surface);
    if (n < 0 || capacity < n)
        return -1;
    std::copy(surface->points.begin(), surface->points.end(), points);
    std::copy(surface->types.begin(), surface->types.end(), types);
    return n;
}

namespace {

// Every frame makes and lets go of two or three regions whose runs take a
// few hundred kilobytes: kept for reuse, their storage is not handed back to
// the system and faulted in again frame after frame.
const size_t SpareRegionsKept = 4;
thread_local std::vector<std::unique_ptr<SpanRegion>> g_spareRegions;

SpanRegion* NewRegion()
{
    if (g_spareRegions.empty())
        return new SpanRegion;
    SpanRegion* region = g_spareRegions.back().release();
    g_spareRegions.pop_back();
    return region;
}

}  // namespace

Region RegionFromOutline(Surface surface)
{
    if (surface->outlineState != OutlineEnded)
        return NULL;
    SpanRegion* region = NewRegion();
    FillSpansFromOutline(region, surface->points.data(), surface->types.data(),
                         static_cast<int>(surface->points.size()), surface->bounds);
    surface->outlineState = OutlineNone;
    return region;
}

Region CreateEmptyRegion()
{
    SpanRegion* region = NewRegion();
    region->spans.clear();
    region->box = {0, 0, 0, 0};
    return region;
}

void SubtractRegion(Region target, Region from, Region removed)
{
    SubtractSpans(target, from, removed);
}

void DeleteRegion(Region region)
{
    if (region == NULL || g_spareRegions.size() >= SpareRegionsKept) {
        delete region;
        return;
    }
    g_spareRegions.emplace_back(region);
}

void* AllocateZeroedBlock(size_t bytes)
{
    return std::calloc(bytes, 1);
}

void FreeBlock(void* block)
{
    std::free(block);
}
