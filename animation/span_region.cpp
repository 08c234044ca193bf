// Scan conversion of an outline into pixel runs, and the difference of two
// regions. Curves are cut into straight pieces first; then each row of
// pixels is crossed at its whole-number height by the edges that span it,
// and the pixels between the first and second crossing, the third and
// fourth, and so on, are inside. A crossing that falls exactly on a pixel
// keeps the pixel on a left edge and drops it on a right edge, and an edge
// counts for the rows from its top up to, not including, its bottom, so
// figures that share an edge never share a pixel.
#include "animation/span_region.h"
#include <algorithm>
#include <cmath>
#include "animation/surface.h"

namespace {

struct Vertex {
    double x, y;
};

struct Edge {
    double top, bottom;                 // top < bottom
    double x;                           // x at top
    double slope;                       // dx per unit of y
};

// An edge where it crosses the current row: the first pixel at or right of
// the crossing.
struct Crossing {
    int32_t x;
    const Edge* edge;
};

const int CurvePoints = 3;
// A curve is cut into pieces short enough that none strays more than this
// from the true curve, in pixels; the count of pieces is held to a range.
const double CurveTolerance = 0.25;
const int MostCurvePieces = 256;
// The bound on a cubic's distance from its chords over n pieces is 3/4 of its
// largest second difference over n squared.
const double CurveErrorFactor = 0.75;

void AddEdge(std::vector<Edge>* edges, Vertex from, Vertex to)
{
    if (from.y == to.y)
        return;                         // a level edge crosses no row
    if (from.y > to.y)
        std::swap(from, to);
    edges->push_back({from.y, to.y, from.x, (to.x - from.x) / (to.y - from.y)});
}

double Distance(double dx, double dy)
{
    return std::sqrt(dx * dx + dy * dy);
}

int CurvePieces(Vertex p0, Vertex p1, Vertex p2, Vertex p3)
{
    double d1 = Distance(p0.x - 2 * p1.x + p2.x, p0.y - 2 * p1.y + p2.y);
    double d2 = Distance(p1.x - 2 * p2.x + p3.x, p1.y - 2 * p2.y + p3.y);
    double pieces = std::ceil(std::sqrt(CurveErrorFactor * std::max(d1, d2) / CurveTolerance));
    if (!(pieces >= 1))
        return 1;
    return pieces > MostCurvePieces ? MostCurvePieces : static_cast<int>(pieces);
}

Vertex CurvePoint(Vertex p0, Vertex p1, Vertex p2, Vertex p3, double t)
{
    double s = 1 - t;
    double a = s * s * s, b = 3 * s * s * t, c = 3 * s * t * t, d = t * t * t;
    return {a * p0.x + b * p1.x + c * p2.x + d * p3.x, a * p0.y + b * p1.y + c * p2.y + d * p3.y};
}

Vertex ToVertex(POINT p)
{
    return {static_cast<double>(p.x), static_cast<double>(p.y)};
}

// The walk over the type bytes, adding the edges of every figure, closed.
void CollectEdges(std::vector<Edge>* edges, const POINT* points, const unsigned char* types, int n)
{
    Vertex current = {0, 0};
    Vertex start = current;
    bool open = false;
    int i = 0;
    while (i < n) {
        unsigned char type = types[i] & static_cast<unsigned char>(~OutlineCloseFlag);
        if (type == OutlineMove) {
            if (open)
                AddEdge(edges, current, start);
            current = start = ToVertex(points[i]);
            open = true;
            i += 1;
            continue;
        }
        if (type == OutlineLine) {
            Vertex next = ToVertex(points[i]);
            AddEdge(edges, current, next);
            current = next;
        } else if (type == OutlineCurve && n - i >= CurvePoints) {
            Vertex p0 = current, p1 = ToVertex(points[i]), p2 = ToVertex(points[i + 1]), p3 = ToVertex(points[i + 2]);
            int pieces = CurvePieces(p0, p1, p2, p3);
            for (int k = 1; k <= pieces; ++k) {
                Vertex next = k == pieces ? p3 : CurvePoint(p0, p1, p2, p3, static_cast<double>(k) / pieces);
                AddEdge(edges, current, next);
                current = next;
            }
            i += CurvePoints - 1;
        } else {
            i += 1;
            continue;
        }
        open = true;
        if ((types[i] & OutlineCloseFlag) != 0) {
            AddEdge(edges, current, start);
            current = start;
        }
        i += 1;
    }
    if (open)
        AddEdge(edges, current, start);
}

// The first pixel at or right of a crossing, within the row's limits.
int32_t PixelAtOrAfter(double x, int32_t low, int32_t high)
{
    if (!(x > low))
        return low;
    if (!(x < high))
        return high;
    // The ceiling from the truncation, without a call to ceil: a truncated
    // value below x was cut down and is one short.
    const int32_t pixel = TruncateToPixel(x);
    return pixel < x ? pixel + 1 : pixel;
}

int32_t CrossingPixel(const Edge& edge, double row, const RECT& clip)
{
    return PixelAtOrAfter(edge.x + (row - edge.top) * edge.slope, clip.left, clip.right);
}

bool ByPixel(const Crossing& a, const Crossing& b)
{
    return a.x < b.x;
}

void AddSpan(std::vector<Span>* spans, int32_t y, int32_t left, int32_t right)
{
    if (left >= right)
        return;
    if (!spans->empty() && spans->back().y == y && spans->back().right >= left) {
        spans->back().right = std::max(spans->back().right, right);
        return;
    }
    spans->push_back({y, left, right});
}

void ComputeBox(SpanRegion* region)
{
    RECT box = {0, 0, 0, 0};
    if (!region->spans.empty()) {
        box = {region->spans.front().left, region->spans.front().y, region->spans.front().right,
               region->spans.back().y + 1};
        for (const Span& span : region->spans) {
            box.left = std::min(box.left, span.left);
            box.right = std::max(box.right, span.right);
        }
    }
    region->box = box;
}

// Index of the first span of the row after the one that starts at i.
size_t RowEnd(const std::vector<Span>& spans, size_t i)
{
    size_t end = i;
    while (end < spans.size() && spans[end].y == spans[i].y)
        ++end;
    return end;
}

// Appends one row of from minus one row of removed (both sorted) to out.
void SubtractRow(std::vector<Span>* out, const Span* from, const Span* fromEnd, const Span* removed,
                 const Span* removedEnd)
{
    for (; from != fromEnd; ++from) {
        int32_t left = from->left;
        while (removed != removedEnd && removed->right <= left)
            ++removed;
        for (const Span* cut = removed; cut != removedEnd && cut->left < from->right; ++cut) {
            AddSpan(out, from->y, left, std::min(cut->left, from->right));
            left = std::max(left, cut->right);
        }
        AddSpan(out, from->y, left, from->right);
    }
}

}  // namespace

void FillSpansFromOutline(SpanRegion* region, const POINT* points, const unsigned char* types, int n,
                          const RECT& clip)
{
    std::vector<Edge> edges;
    CollectEdges(&edges, points, types, n);
    region->spans.clear();
    region->box = {0, 0, 0, 0};
    if (clip.top >= clip.bottom)
        return;

    // The edges by the first row they cross, counted into one bucket a row.
    const size_t rows = static_cast<size_t>(clip.bottom - clip.top);
    std::vector<uint32_t> bucketStart(rows + 1, 0);
    std::vector<int32_t> firstRow(edges.size());
    for (size_t e = 0; e < edges.size(); ++e) {
        firstRow[e] = PixelAtOrAfter(edges[e].top, clip.top, clip.bottom);
        if (firstRow[e] < clip.bottom && edges[e].bottom > firstRow[e])
            ++bucketStart[firstRow[e] - clip.top + 1];
        else
            firstRow[e] = clip.bottom;      // crosses no row of the clip
    }
    for (size_t r = 0; r < rows; ++r)
        bucketStart[r + 1] += bucketStart[r];
    std::vector<const Edge*> byRow(bucketStart[rows]);
    std::vector<uint32_t> filled(bucketStart.begin(), bucketStart.end() - 1);
    for (size_t e = 0; e < edges.size(); ++e)
        if (firstRow[e] < clip.bottom)
            byRow[filled[firstRow[e] - clip.top]++] = &edges[e];

    // The edges that cross the current row, kept in the order of their
    // crossings. Only the pixel each crossing starts or ends a run at
    // matters, so they are ordered by those whole numbers. From one row to
    // the next edges move little and seldom pass each other, so the order
    // of the row before is nearly right and an insertion sort mends it in
    // about one pass; the edges that start on the row are sorted on their
    // own and merged in. A full sort of every row cost more than all the
    // rest of the conversion.
    std::vector<Crossing> active, starting, merged;
    for (size_t r = 0; r < rows; ++r) {
        const double row = clip.top + static_cast<double>(r);
        size_t kept = 0;
        for (const Crossing& crossing : active)
            if (crossing.edge->bottom > row)
                active[kept++] = crossing;
        active.resize(kept);
        for (Crossing& crossing : active)
            crossing.x = CrossingPixel(*crossing.edge, row, clip);
        for (size_t i = 1; i < active.size(); ++i) {
            const Crossing moved = active[i];
            size_t j = i;
            for (; j > 0 && active[j - 1].x > moved.x; --j)
                active[j] = active[j - 1];
            active[j] = moved;
        }
        starting.clear();
        for (uint32_t i = bucketStart[r]; i < bucketStart[r + 1]; ++i)
            starting.push_back({CrossingPixel(*byRow[i], row, clip), byRow[i]});
        if (!starting.empty()) {
            std::sort(starting.begin(), starting.end(), ByPixel);
            merged.resize(active.size() + starting.size());
            std::merge(active.begin(), active.end(), starting.begin(), starting.end(), merged.begin(), ByPixel);
            active.swap(merged);
        }
        const int32_t y = clip.top + static_cast<int32_t>(r);
        for (size_t k = 0; k + 1 < active.size(); k += 2)
            AddSpan(&region->spans, y, active[k].x, active[k + 1].x);
    }
    ComputeBox(region);
}

void SubtractSpans(SpanRegion* target, const SpanRegion* from, const SpanRegion* removed)
{
    std::vector<Span> out;
    out.reserve(from->spans.size());
    const std::vector<Span>& a = from->spans;
    const std::vector<Span>& b = removed->spans;
    size_t i = 0, j = 0;
    while (i < a.size()) {
        size_t rowEnd = RowEnd(a, i);
        while (j < b.size() && b[j].y < a[i].y)
            ++j;
        size_t cutEnd = j < b.size() && b[j].y == a[i].y ? RowEnd(b, j) : j;
        SubtractRow(&out, a.data() + i, a.data() + rowEnd, b.data() + j, b.data() + cutEnd);
        i = rowEnd;
        j = cutEnd;
    }
    target->spans.swap(out);
    ComputeBox(target);
}
