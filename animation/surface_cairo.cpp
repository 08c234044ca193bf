// The drawing surface on cairo: faces are found by name through fontconfig
// and their outlines taken with cairo as GDI gives them (cell corner at the
// origin, baseline at GDI's whole-pixel ascent, whole-pixel advances, points
// rounded to pixels); regions are runs of whole pixels (span_region), filled
// straight into the image without antialiasing.
#include "animation/surface_cairo.h"
#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>
#include "animation/span_region.h"

struct CairoFont {
    cairo_scaled_font_t* scaled;
    int32_t ascent;                     // whole pixels above the baseline, as GDI rounds them
    int32_t descent;
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
    cairo_t* outlineContext;            // on an unbounded surface: no glyph is clipped away
    SurfaceFont font;
    OutlineState outlineState;
    std::vector<POINT> points;
    std::vector<unsigned char> types;
    RECT damage;
};

namespace {

// lfHeight 0 asks for the system's default size: a cell 16 pixels high.
const int32_t DefaultCellHeight = 16;
const int FontWeightNormal = 400;
const int CurvePoints = 3;
const uint32_t BlackPixel = 0;

CairoBrush g_blackBrush = {BlackPixel};

bool IsEmpty(const RECT& r)
{
    return r.left >= r.right || r.top >= r.bottom;
}

RECT Intersect(const RECT& a, const RECT& b)
{
    RECT r = {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
    if (IsEmpty(r))
        r = {0, 0, 0, 0};
    return r;
}

void AddDamage(CairoCanvas* canvas, const RECT& box)
{
    if (IsEmpty(box))
        return;
    if (IsEmpty(canvas->damage)) {
        canvas->damage = box;
        return;
    }
    canvas->damage = {std::min(canvas->damage.left, box.left), std::min(canvas->damage.top, box.top),
                      std::max(canvas->damage.right, box.right), std::max(canvas->damage.bottom, box.bottom)};
}

void FillRow(CairoCanvas* canvas, int32_t y, int32_t left, int32_t right, uint32_t pixel)
{
    uint32_t* row = canvas->pixels + static_cast<size_t>(y) * canvas->stride;
    std::fill(row + left, row + right, pixel);
}

// The face fontconfig finds for the description: the family by name (a
// metric-compatible face stands in for a missing one), weight and slant.
FcPattern* MatchFace(const FontDescription* description)
{
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(description->lfFaceName));
    int weight = description->lfWeight > 0 ? description->lfWeight : FontWeightNormal;
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
    FcPatternAddInteger(pattern, FC_SLANT, description->lfItalic != 0 ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(NULL, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(NULL, pattern, &result);
    FcPatternDestroy(pattern);
    return match;
}

// The vertical metrics GDI sizes a face by: the Windows ascent and descent of
// the face's OS/2 table (its plain ascender and descender without one), and
// the average character width, all in font units.
struct FaceMetrics {
    double unitsPerEm;
    double ascent;
    double descent;
    double averageWidth;
};

FaceMetrics ReadFaceMetrics(cairo_font_face_t* face, const cairo_font_options_t* options)
{
    cairo_matrix_t unit;
    cairo_matrix_init_identity(&unit);
    cairo_scaled_font_t* probe = cairo_scaled_font_create(face, &unit, &unit, options);
    FaceMetrics metrics = {1, 1, 0, 0};
    FT_Face ft = cairo_ft_scaled_font_lock_face(probe);
    if (ft != NULL) {
        metrics.unitsPerEm = ft->units_per_EM > 0 ? ft->units_per_EM : 1;
        metrics.ascent = ft->ascender;
        metrics.descent = -ft->descender;
        const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(ft, FT_SFNT_OS2));
        if (os2 != NULL && os2->usWinAscent + os2->usWinDescent > 0) {
            metrics.ascent = os2->usWinAscent;
            metrics.descent = os2->usWinDescent;
            metrics.averageWidth = os2->xAvgCharWidth;
        }
        cairo_ft_scaled_font_unlock_face(probe);
    }
    cairo_scaled_font_destroy(probe);
    return metrics;
}

// Outlines as GDI gives them for text: grid-fitted, with whole-pixel advances.
cairo_font_options_t* OutlineOptions()
{
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_FULL);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    return options;
}

void AppendPoint(CairoCanvas* canvas, double x, double y, unsigned char type)
{
    canvas->points.push_back({RoundToPixel(x), RoundToPixel(y)});
    canvas->types.push_back(type);
}

// cairo's path of the text, as outline points: a move left dangling by a
// closed figure is dropped, and each curve keeps cairo's control points.
void AppendCairoPath(CairoCanvas* canvas, const cairo_path_t* path)
{
    bool moved = false;
    double moveX = 0, moveY = 0;
    for (int i = 0; i < path->num_data; i += path->data[i].header.length) {
        const cairo_path_data_t* d = &path->data[i];
        switch (d->header.type) {
        case CAIRO_PATH_MOVE_TO:
            moved = true;
            moveX = d[1].point.x;
            moveY = d[1].point.y;
            break;
        case CAIRO_PATH_LINE_TO:
        case CAIRO_PATH_CURVE_TO:
            if (moved)
                AppendPoint(canvas, moveX, moveY, OutlineMove);
            moved = false;
            if (d->header.type == CAIRO_PATH_LINE_TO) {
                AppendPoint(canvas, d[1].point.x, d[1].point.y, OutlineLine);
            } else {
                for (int k = 1; k <= CurvePoints; ++k)
                    AppendPoint(canvas, d[k].point.x, d[k].point.y, OutlineCurve);
            }
            break;
        case CAIRO_PATH_CLOSE_PATH:
            if (!canvas->types.empty())
                canvas->types.back() |= OutlineCloseFlag;
            break;
        }
    }
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
    cairo_surface_t* unbounded = cairo_recording_surface_create(CAIRO_CONTENT_COLOR, NULL);
    CairoCanvas* canvas = new CairoCanvas();
    canvas->image = cairo_surface_reference(image);
    cairo_surface_flush(image);
    canvas->pixels = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(image));
    canvas->stride = cairo_image_surface_get_stride(image) / static_cast<int>(sizeof(uint32_t));
    canvas->bounds = {0, 0, width, height};
    canvas->outlineContext = cairo_create(unbounded);
    cairo_surface_destroy(unbounded);   // the context holds it
    canvas->font = NULL;
    canvas->outlineState = OutlineNone;
    canvas->damage = {0, 0, 0, 0};
    FillSurfaceRect(canvas, &canvas->bounds, GetBlackBrush());
    canvas->damage = {0, 0, 0, 0};
    return canvas;
}

void DestroyImageSurface(Surface surface)
{
    if (surface == NULL)
        return;
    cairo_destroy(surface->outlineContext);
    cairo_surface_destroy(surface->image);
    delete surface;
}

cairo_surface_t* SurfaceImage(Surface surface)
{
    cairo_surface_mark_dirty(surface->image);
    return surface->image;
}

RECT TakeSurfaceDamage(Surface surface)
{
    RECT damage = surface->damage;
    surface->damage = {0, 0, 0, 0};
    return damage;
}

SurfaceBrush GetBlackBrush()
{
    return &g_blackBrush;
}

SurfaceFont CreateSurfaceFont(const FontDescription* description)
{
    FcPattern* match = MatchFace(description);
    if (match == NULL)
        return NULL;
    cairo_font_face_t* face = cairo_ft_font_face_create_for_pattern(match);
    FcPatternDestroy(match);
    // Without a font file fontconfig still answers; cairo then has no face.
    if (cairo_font_face_status(face) != CAIRO_STATUS_SUCCESS) {
        cairo_font_face_destroy(face);
        return NULL;
    }
    cairo_font_options_t* options = OutlineOptions();
    FaceMetrics metrics = ReadFaceMetrics(face, options);

    const double cell = metrics.ascent + metrics.descent;
    double em = -static_cast<double>(description->lfHeight);
    if (description->lfHeight >= 0) {
        const int32_t cellHeight = description->lfHeight > 0 ? description->lfHeight : DefaultCellHeight;
        em = cell > 0 ? cellHeight * metrics.unitsPerEm / cell : cellHeight;
    }
    double width = em;
    if (description->lfWidth > 0 && metrics.averageWidth > 0)
        width = description->lfWidth * metrics.unitsPerEm / metrics.averageWidth;

    cairo_matrix_t size, identity;
    cairo_matrix_init_scale(&size, width, em);
    cairo_matrix_init_identity(&identity);
    cairo_scaled_font_t* scaled = cairo_scaled_font_create(face, &size, &identity, options);
    cairo_font_options_destroy(options);
    cairo_font_face_destroy(face);
    // A face FreeType cannot open, or cannot size (beyond 65535 pixels to the em).
    if (cairo_scaled_font_status(scaled) != CAIRO_STATUS_SUCCESS) {
        cairo_scaled_font_destroy(scaled);
        return NULL;
    }
    CairoFont* font = new CairoFont;
    font->scaled = scaled;
    font->ascent = RoundToPixel(em * metrics.ascent / metrics.unitsPerEm);
    font->descent = RoundToPixel(em * metrics.descent / metrics.unitsPerEm);
    return font;
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
    cairo_scaled_font_destroy(font->scaled);
    delete font;
}

void DeleteSurfaceBrush(SurfaceBrush brush)
{
    if (brush != &g_blackBrush)
        delete brush;
}

void FillSurfaceRect(Surface surface, const RECT* rect, SurfaceBrush brush)
{
    RECT box = Intersect(*rect, surface->bounds);
    for (int32_t y = box.top; y < box.bottom; ++y)
        FillRow(surface, y, box.left, box.right, brush->pixel);
    AddDamage(surface, box);
}

void FillSurfaceRegion(Surface surface, Region region, SurfaceBrush brush)
{
    // Regions are made within the surface's bounds, but one made for
    // another surface may reach beyond these.
    const RECT& b = surface->bounds;
    for (const Span& span : region->spans) {
        if (span.y < b.top || span.y >= b.bottom)
            continue;
        int32_t left = std::max(span.left, b.left), right = std::min(span.right, b.right);
        if (left < right)
            FillRow(surface, span.y, left, right, brush->pixel);
    }
    AddDamage(surface, Intersect(region->box, b));
}

int MeasureText(Surface surface, const char* text, int length, SIZE* extent)
{
    extent->cx = 0;
    extent->cy = 0;
    if (surface->font == NULL || length < 0)
        return 0;
    const std::string utf8(text, length);
    cairo_text_extents_t measured;
    cairo_scaled_font_text_extents(surface->font->scaled, utf8.c_str(), &measured);
    extent->cx = RoundToPixel(measured.x_advance);
    extent->cy = surface->font->ascent + surface->font->descent;
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
    cairo_t* cr = surface->outlineContext;
    const std::string utf8(text, length);
    cairo_new_path(cr);
    cairo_set_scaled_font(cr, surface->font->scaled);
    cairo_move_to(cr, 0, surface->font->ascent);
    cairo_text_path(cr, utf8.c_str());
    cairo_path_t* path = cairo_copy_path(cr);
    if (path->status == CAIRO_STATUS_SUCCESS)
        AppendCairoPath(surface, path);
    cairo_path_destroy(path);
    cairo_new_path(cr);
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

Region RegionFromOutline(Surface surface)
{
    if (surface->outlineState != OutlineEnded)
        return NULL;
    SpanRegion* region = new SpanRegion;
    FillSpansFromOutline(region, surface->points.data(), surface->types.data(),
                         static_cast<int>(surface->points.size()), surface->bounds);
    surface->outlineState = OutlineNone;
    return region;
}

Region CreateEmptyRegion()
{
    SpanRegion* region = new SpanRegion;
    region->box = {0, 0, 0, 0};
    return region;
}

void SubtractRegion(Region target, Region from, Region removed)
{
    SubtractSpans(target, from, removed);
}

void DeleteRegion(Region region)
{
    delete region;
}

void* AllocateZeroedBlock(size_t bytes)
{
    return std::calloc(bytes, 1);
}

void FreeBlock(void* block)
{
    std::free(block);
}
