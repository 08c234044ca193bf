// The drawing surface on 32-bit pixels in memory: text and its outlines come
// from the glyph source (glyph_source.h) as GDI gives them; regions are runs
// of whole pixels (span_region), filled straight into the pixels without
// antialiasing. The hosts own the pixels: a cairo image on Linux, the
// memory a browser canvas copies from.
#include "animation/surface_image.h"
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>
#include "animation/glyph_source.h"
#include "animation/span_region.h"

struct ImageFont {
    GlyphFontHandle glyphs;
};

struct ImageBrush {
    Color color;
};

enum OutlineState { OutlineNone, OutlineOpen, OutlineEnded };

struct ImageCanvas {
    void* owner;
    PixelLayout layout;
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
const int RedShift = 16, GreenShift = 8, BlueShift = 0;
const uint32_t OpaqueAlpha = 0xFF000000;

ImageBrush g_blackBrush = {MakeColor(0, 0, 0)};

// Adds box, within the surface's bounds, to the bands it crosses.
void AddDamage(ImageCanvas* canvas, const RECT& box)
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

// The colour as a pixel of the canvas's layout.
uint32_t PixelOf(const ImageCanvas* canvas, Color color)
{
    const uint32_t red = color & 0xFF, green = color >> 8 & 0xFF, blue = color >> 16 & 0xFF;
    if (canvas->layout == PixelsRgba)
        return OpaqueAlpha | color;     // bytes R, G, B, A in memory, as Color keeps them
    return red << RedShift | green << GreenShift | blue << BlueShift;
}

void FillRow(ImageCanvas* canvas, int32_t y, int32_t left, int32_t right, uint32_t pixel)
{
    uint32_t* row = canvas->pixels + static_cast<size_t>(y) * canvas->stride;
    std::fill(row + left, row + right, pixel);
}

}  // namespace

Surface CreatePixelSurface(uint32_t* pixels, int width, int height, int stride, PixelLayout layout, void* owner)
{
    ImageCanvas* canvas = new ImageCanvas();
    canvas->owner = owner;
    canvas->layout = layout;
    canvas->pixels = pixels;
    canvas->stride = stride;
    canvas->bounds = {0, 0, width, height};
    canvas->font = NULL;
    canvas->outlineState = OutlineNone;
    canvas->damage.assign(static_cast<size_t>((height + DamageBandRows - 1) / DamageBandRows), RECT{0, 0, 0, 0});
    FillSurfaceRect(canvas, &canvas->bounds, GetBlackBrush());
    std::fill(canvas->damage.begin(), canvas->damage.end(), RECT{0, 0, 0, 0});
    return canvas;
}

void DestroyPixelSurface(Surface surface)
{
    delete surface;
}

void* PixelSurfaceOwner(Surface surface)
{
    return surface->owner;
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
    return glyphs != NULL ? new ImageFont{glyphs} : NULL;
}

SurfaceBrush CreateColorBrush(Color color)
{
    return new ImageBrush{color};
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
    const uint32_t pixel = PixelOf(surface, brush->color);
    for (int32_t y = box.top; y < box.bottom; ++y)
        FillRow(surface, y, box.left, box.right, pixel);
    AddDamage(surface, box);
}

void FillSurfaceRegion(Surface surface, Region region, SurfaceBrush brush)
{
    // Regions are made within the surface's bounds, but one made for
    // another surface may reach beyond these. The spans come in row order,
    // so the box drawn in a band is gathered here and added once.
    const RECT& b = surface->bounds;
    const uint32_t pixel = PixelOf(surface, brush->color);
    RECT drawn = {0, 0, 0, 0};
    int32_t band = -1;
    for (const Span& span : region->spans) {
        if (span.y < b.top || span.y >= b.bottom)
            continue;
        int32_t left = std::max(span.left, b.left), right = std::min(span.right, b.right);
        if (left >= right)
            continue;
        FillRow(surface, span.y, left, right, pixel);
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
