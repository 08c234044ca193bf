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

const int CurvePoints = 3;
const size_t BitsPerWord = 64;
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
    // Scratch kept from call to call: a long text has tens of thousands of
    // edges, and growing the lists anew each frame cost a tenth of it.
    thread_local std::vector<Edge> edges;
    edges.clear();
    CollectEdges(&edges, points, types, n);
    region->spans.clear();
    region->box = {0, 0, 0, 0};
    if (clip.top >= clip.bottom || clip.left >= clip.right || edges.empty())
        return;

    // The rows and columns the edges can reach. The columns take a pixel of
    // margin either side: a crossing computed from the edge's top may differ
    // from its end point by a rounding, and must still land in the table.
    double top = edges[0].top, bottom = edges[0].bottom, left = edges[0].x, right = edges[0].x;
    for (const Edge& edge : edges) {
        const double other = edge.x + (edge.bottom - edge.top) * edge.slope;
        top = std::min(top, edge.top);
        bottom = std::max(bottom, edge.bottom);
        left = std::min({left, edge.x, other});
        right = std::max({right, edge.x, other});
    }
    const int32_t rowLow = PixelAtOrAfter(top, clip.top, clip.bottom);
    const int32_t rowHigh = PixelAtOrAfter(bottom, clip.top, clip.bottom);
    const int32_t columnLow = PixelAtOrAfter(left - 1, clip.left, clip.right);
    const int32_t columnHigh = PixelAtOrAfter(right + 1, clip.left, clip.right);
    if (rowLow >= rowHigh)
        return;

    // Each crossing flips the bit of the pixel it starts or ends a run at,
    // in a table of bits a row, columns columnLow..columnHigh. By the
    // even-odd rule a pixel is inside when an odd number of crossings lie at
    // or left of it, so the bits left set, read in order, are the runs' ends
    // in pairs; two crossings on one pixel cancel, as a run of no pixels
    // between them would. This costs one flip per crossing and a read of the
    // table, with no ordering of the crossings at all.
    const size_t rowWords = static_cast<size_t>(columnHigh - columnLow) / BitsPerWord + 1;
    thread_local std::vector<uint64_t> flips;
    flips.assign(static_cast<size_t>(rowHigh - rowLow) * rowWords, 0);
    for (const Edge& edge : edges) {
        const int32_t first = PixelAtOrAfter(edge.top, rowLow, rowHigh);
        const int32_t end = PixelAtOrAfter(edge.bottom, rowLow, rowHigh);
        for (int32_t y = first; y < end; ++y) {
            const double row = static_cast<double>(y);
            const size_t column = static_cast<size_t>(
                PixelAtOrAfter(edge.x + (row - edge.top) * edge.slope, columnLow, columnHigh) - columnLow);
            flips[static_cast<size_t>(y - rowLow) * rowWords + column / BitsPerWord] ^= uint64_t(1)
                                                                                         << (column % BitsPerWord);
        }
    }

    for (int32_t y = rowLow; y < rowHigh; ++y) {
        const uint64_t* words = flips.data() + static_cast<size_t>(y - rowLow) * rowWords;
        bool open = false;
        int32_t start = 0;
        for (size_t w = 0; w < rowWords; ++w) {
            for (uint64_t bits = words[w]; bits != 0; bits &= bits - 1) {
                const int32_t x = columnLow + static_cast<int32_t>(w * BitsPerWord) + __builtin_ctzll(bits);
                if (open)
                    region->spans.push_back({y, start, x});
                start = x;
                open = !open;
            }
        }
    }
    ComputeBox(region);
}

void SubtractSpans(SpanRegion* target, const SpanRegion* from, const SpanRegion* removed)
{
    // Written aside, as target may be an operand, then copied in: each list
    // keeps its own storage, which settles at the largest it needs, where
    // swapping would pass storage of every size round and regrow it.
    thread_local std::vector<Span> out;
    out.clear();
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
    target->spans.assign(out.begin(), out.end());
    ComputeBox(target);
}
