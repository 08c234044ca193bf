// Fuzzes the outline mapping with any extent, beams and outline points: the
// extent grows to hold every point, and a point inside the text cell lands
// within the span of the beams (a pixel of truncation either way).
#include <fuzzer/FuzzedDataProvider.h>
#include <algorithm>
#include <cstdlib>
#include <vector>
#include "animation/outline_map.h"

const int MaxBeamPoints = 600;
const int MaxOutlinePoints = 2000;

static std::vector<POINT> Points(FuzzedDataProvider* input, int count)
{
    std::vector<POINT> points(count);
    for (POINT& p : points) {
        p.x = input->ConsumeIntegral<int32_t>();
        p.y = input->ConsumeIntegral<int32_t>();
    }
    return points;
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
    return 0;
}
