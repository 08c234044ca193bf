// Font outline segments into the warp's outline: points in 1/256 pixel
// relative to the glyph's origin while a figure is built, tidied as cairo
// tidies a path, then placed and rounded to whole pixels.
#include "animation/glyph_path.h"
#include "animation/surface.h"

namespace {

// 26.6 font units to 1/256 pixel.
const int64_t FineFromFontUnits = 4;
const double FinePerPixel = 256.0;

FinePoint FromFont(int64_t x, int64_t y)
{
    return {static_cast<int32_t>(x * FineFromFontUnits), static_cast<int32_t>(-y * FineFromFontUnits)};
}

bool Same(const FinePoint& a, const FinePoint& b)
{
    return a.x == b.x && a.y == b.y;
}

unsigned char LastType(const GlyphPath* path)
{
    return path->figureTypes.empty() ? 0 : path->figureTypes.back();
}

// The point before the figure's last one.
const FinePoint& Penultimate(const GlyphPath* path)
{
    return path->figure[path->figure.size() - 2];
}

void DropLastLine(GlyphPath* path)
{
    path->figure.pop_back();
    path->figureTypes.pop_back();
}

void Add(GlyphPath* path, const FinePoint& point, unsigned char type)
{
    path->figure.push_back(point);
    path->figureTypes.push_back(type);
    path->current = point;
}

// A figure begins with its move only once something is drawn from it.
void ApplyMove(GlyphPath* path)
{
    if (!path->needsMove)
        return;
    path->needsMove = false;
    path->figure.clear();
    path->figureTypes.clear();
    Add(path, path->current, OutlineMove);
}

// Two steps in the same direction, neither turning back.
bool Continues(const FinePoint& a, const FinePoint& b, const FinePoint& c)
{
    const int64_t dx1 = b.x - a.x, dy1 = b.y - a.y, dx2 = c.x - b.x, dy2 = c.y - b.y;
    const bool sameSlope = dy1 * dx2 == dy2 * dx1;
    const bool backwards = ((dx1 ^ dx2) | (dy1 ^ dy2)) < 0;
    return sameSlope && !backwards;
}

void MoveTo(GlyphPath* path, const FinePoint& point)
{
    path->needsMove = true;
    path->hasCurrent = true;
    path->current = point;
    path->start = point;
}

void LineTo(GlyphPath* path, const FinePoint& point)
{
    if (!path->hasCurrent) {
        MoveTo(path, point);
        return;
    }
    ApplyMove(path);
    // A repeated point adds nothing, except a first step from the move.
    if (LastType(path) != OutlineMove && Same(point, path->current))
        return;
    if (LastType(path) == OutlineLine) {
        const FinePoint& before = Penultimate(path);
        if (Same(before, path->current) || Continues(before, path->current, point))
            DropLastLine(path);
    }
    Add(path, point, OutlineLine);
}

// The open figure's points, placed at the glyph's origin and rounded, go
// into the outline; a figure with nothing drawn leaves nothing.
void CloseFigure(GlyphPath* path)
{
    if (!path->hasCurrent || path->needsMove)
        return;
    LineTo(path, path->start);
    // The close draws the line back to the start itself.
    if (LastType(path) == OutlineLine)
        DropLastLine(path);
    path->needsMove = true;
    if (path->figure.size() < 2)
        return;
    for (size_t i = 0; i < path->figure.size(); ++i) {
        const FinePoint& p = path->figure[i];
        path->points.push_back({RoundToPixel((static_cast<double>(p.x) + path->origin.x) / FinePerPixel),
                                RoundToPixel((static_cast<double>(p.y) + path->origin.y) / FinePerPixel)});
        path->types.push_back(path->figureTypes[i]);
    }
    path->types.back() |= OutlineCloseFlag;
}

void CurveTo(GlyphPath* path, const FinePoint& c1, const FinePoint& c2, const FinePoint& end)
{
    // A curve that stays on one point is a line of no length.
    if (Same(path->current, end) && Same(c1, end) && Same(c2, end)) {
        LineTo(path, end);
        return;
    }
    if (!path->hasCurrent)
        MoveTo(path, c1);
    ApplyMove(path);
    if (LastType(path) == OutlineLine && Same(Penultimate(path), path->current))
        DropLastLine(path);
    Add(path, c1, OutlineCurve);
    Add(path, c2, OutlineCurve);
    Add(path, end, OutlineCurve);
}

// Two thirds of the way from a to the control point, truncated to the fine
// grid as the point is stored.
int32_t TwoThirds(int32_t from, int32_t control)
{
    return static_cast<int32_t>(from + 2.0 / 3.0 * (control - from));
}

}  // namespace

void ClearGlyphPath(GlyphPath* path)
{
    path->points.clear();
    path->types.clear();
    path->figure.clear();
    path->figureTypes.clear();
    path->origin = {0, 0};
    path->current = {0, 0};
    path->start = {0, 0};
    path->hasCurrent = false;
    path->needsMove = false;
}

void StartGlyph(GlyphPath* path, int64_t x, int64_t y)
{
    EndGlyph(path);
    path->origin = {static_cast<int32_t>(x * FineFromFontUnits), static_cast<int32_t>(y * FineFromFontUnits)};
    path->hasCurrent = false;
    path->needsMove = false;
}

void GlyphMoveTo(GlyphPath* path, int64_t x, int64_t y)
{
    CloseFigure(path);
    MoveTo(path, FromFont(x, y));
}

void GlyphLineTo(GlyphPath* path, int64_t x, int64_t y)
{
    LineTo(path, FromFont(x, y));
}

void GlyphConicTo(GlyphPath* path, int64_t controlX, int64_t controlY, int64_t x, int64_t y)
{
    if (!path->hasCurrent)
        return;
    const FinePoint q = FromFont(controlX, controlY), p0 = path->current, p2 = FromFont(x, y);
    const FinePoint c1 = {TwoThirds(p0.x, q.x), TwoThirds(p0.y, q.y)};
    const FinePoint c2 = {TwoThirds(p2.x, q.x), TwoThirds(p2.y, q.y)};
    CurveTo(path, c1, c2, p2);
}

void GlyphCubicTo(GlyphPath* path, int64_t x1, int64_t y1, int64_t x2, int64_t y2, int64_t x, int64_t y)
{
    CurveTo(path, FromFont(x1, y1), FromFont(x2, y2), FromFont(x, y));
}

void EndGlyph(GlyphPath* path)
{
    CloseFigure(path);
    path->hasCurrent = false;
}
