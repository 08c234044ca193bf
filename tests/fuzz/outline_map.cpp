// Fuzzes the outline mapping with any extent, beams and outline points: the
// extent grows to hold every point, and a point inside the text cell lands
// within the span of the beams (a pixel of truncation either way). Then the
// walk that turns the mapped outline, with any type bytes, into pixel runs:
// the runs are in order, inside the clip, and neither overlap nor touch, and
// taking another region away leaves runs of the same kind within the first.
#include <fuzzer/FuzzedDataProvider.h>
#include <algorithm>
#include <cstdlib>
#include <vector>
#include "animation/outline_map.h"
#include "animation/span_region.h"

const int MaxBeamPoints = 600;
const int MaxOutlinePoints = 2000;
const int MaxClipSide = 256;            // rows and columns of the clip: the walk stays quick

static std::vector<POINT> Points(FuzzedDataProvider* input, int count)
{
    std::vector<POINT> points(count);
    for (POINT& p : points) {
        p.x = input->ConsumeIntegral<int32_t>();
        p.y = input->ConsumeIntegral<int32_t>();
    }
    return points;
}

// Runs in row order, each of at least a pixel, apart from its neighbours,
// within clip; and the box around them.
static void CheckRuns(const SpanRegion& region, const RECT& clip)
{
    RECT box = {0, 0, 0, 0};
    for (size_t i = 0; i < region.spans.size(); ++i) {
        const Span& s = region.spans[i];
        if (s.left >= s.right || s.left < clip.left || s.right > clip.right || s.y < clip.top || s.y >= clip.bottom)
            std::abort();
        if (i > 0) {
            const Span& before = region.spans[i - 1];
            if (before.y > s.y || (before.y == s.y && before.right >= s.left))
                std::abort();
        }
        box = i == 0 ? RECT{s.left, s.y, s.right, s.y + 1}
                     : RECT{std::min(box.left, s.left), box.top, std::max(box.right, s.right), s.y + 1};
    }
    if (box.left != region.box.left || box.top != region.box.top || box.right != region.box.right ||
        box.bottom != region.box.bottom)
        std::abort();
}

static void WalkMappedOutline(FuzzedDataProvider* input, const std::vector<POINT>& mapped)
{
    std::vector<unsigned char> types(mapped.size());
    for (unsigned char& type : types)
        type = input->ConsumeIntegral<unsigned char>();
    RECT clip;
    clip.left = input->ConsumeIntegral<int16_t>();
    clip.top = input->ConsumeIntegral<int16_t>();
    clip.right = clip.left + input->ConsumeIntegralInRange(0, MaxClipSide);
    clip.bottom = clip.top + input->ConsumeIntegralInRange(0, MaxClipSide);
    SpanRegion region, half;
    FillSpansFromOutline(&region, mapped.data(), types.data(), static_cast<int>(mapped.size()), clip);
    CheckRuns(region, clip);
    size_t cut = mapped.size() / 2;
    FillSpansFromOutline(&half, mapped.data(), types.data(), static_cast<int>(cut), clip);
    size_t before = region.spans.size();
    SubtractSpans(&region, &region, &half);
    CheckRuns(region, clip);
    if (before == 0 && !region.spans.empty())
        std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    SIZE extent;
    extent.cx = input.ConsumeIntegral<int32_t>();
    extent.cy = input.ConsumeIntegral<int32_t>();
    std::vector<POINT> top = Points(&input, input.ConsumeIntegralInRange(0, MaxBeamPoints));
    std::vector<POINT> bottom = Points(&input, input.ConsumeIntegralInRange(0, MaxBeamPoints));
    std::vector<POINT> outline = Points(&input, input.ConsumeIntegralInRange(0, MaxOutlinePoints));

    FitExtentToOutline(outline.data(), static_cast<int>(outline.size()), &extent);
    for (const POINT& p : outline)
        if (p.x > extent.cx || p.y > extent.cy)
            std::abort();

    std::vector<POINT> mapped = outline;
    int done = MapOutlineOntoBeams(mapped.data(), static_cast<int>(mapped.size()), extent.cx, extent.cy, top.data(),
                                   bottom.data(), static_cast<int>(top.size()), static_cast<int>(bottom.size()));
    bool possible = extent.cx > 0 && extent.cy > 0 && !top.empty() && !bottom.empty();
    if (done != (possible ? 1 : 0))
        std::abort();
    if (!done)
        return 0;
    std::vector<POINT> beams = top;
    beams.insert(beams.end(), bottom.begin(), bottom.end());
    auto byX = [](const POINT& a, const POINT& b) { return a.x < b.x; };
    auto byY = [](const POINT& a, const POINT& b) { return a.y < b.y; };
    int64_t left = int64_t{std::min_element(beams.begin(), beams.end(), byX)->x} - 1;
    int64_t right = int64_t{std::max_element(beams.begin(), beams.end(), byX)->x} + 1;
    int64_t upper = int64_t{std::min_element(beams.begin(), beams.end(), byY)->y} - 1;
    int64_t lower = int64_t{std::max_element(beams.begin(), beams.end(), byY)->y} + 1;
    for (size_t i = 0; i < outline.size(); ++i) {
        bool insideCell = outline[i].y >= 0 && outline[i].y <= extent.cy;
        if (insideCell && (mapped[i].x < left || mapped[i].x > right || mapped[i].y < upper || mapped[i].y > lower))
            std::abort();
    }
    WalkMappedOutline(&input, mapped);
    return 0;
}
