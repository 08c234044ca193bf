// A host that steps more often than it shows must show what the every-step
// frames show: the same pixels after the same steps, whichever steps were
// drawn, for each method, with the colour cycling or fixed; and a window
// that is sent only the areas the surface reports as drawn shows them too.
#include <gtest/gtest.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <cstring>
#include <vector>
#include "animation/frame.h"
#include "animation/surface_cairo.h"
#include "settings/defaults.h"

namespace {

const int Width = 320;
const int Height = 200;
const uint32_t Seed = 7;
const int Shows = 40;

std::vector<unsigned char> Pixels(Surface surface)
{
    cairo_surface_t* image = SurfaceImage(surface);
    cairo_surface_flush(image);
    const unsigned char* data = cairo_image_surface_get_data(image);
    return std::vector<unsigned char>(data, data + cairo_image_surface_get_stride(image) * Height);
}

}  // namespace

TEST(FrameSteps, ShownFramesEqualTheEveryStepFrames)
{
    const struct {
        int32_t method;
        int32_t cycle;
        std::vector<int> stepsPerShow;  // repeated
    } cases[] = {
        {MethodLumivane, 1, {3}},
        {MethodFlexBeam, 1, {1, 4, 2, 7}},
        {MethodStraightBeam, 0, {5, 1}},
        {MethodLumivane, 0, {20}},
    };
    for (const auto& c : cases) {
        static SaverState state;
        ApplyDefaultSettings(&state);
        state.method = c.method;
        state.cycle = c.cycle;
        state.speed = 20;               // far enough between shown frames to tell them apart
        state.font = CreateSurfaceFont(&state.logFont);
        state.brush = CreateColorBrush(state.color);
        ASSERT_NE(nullptr, state.font);
        Surface everyStep = CreateImageSurface(Width, Height);
        Surface shown = CreateImageSurface(Width, Height);
        static Animation a, b;
        const RECT bounds = {0, 0, Width, Height};
        StartFrames(&a, &state, everyStep, bounds, Seed);
        StartFrames(&b, &state, shown, bounds, Seed);
        std::vector<unsigned char> window = Pixels(shown);
        std::vector<RECT> areas;
        TakeSurfaceDamageAreas(shown, &areas);
        int step = 0, lit = 0;
        for (int show = 0; show < Shows; ++show) {
            const int steps = c.stepsPerShow[show % c.stepsPerShow.size()];
            for (int k = 0; k < steps; ++k)
                DrawFrame(&a, &state, everyStep);
            for (int k = 0; k < steps; ++k)
                StepFrame(&b, &state);
            ShowFrame(&b, &state, shown);
            step += steps;
            const std::vector<unsigned char> expected = Pixels(everyStep);
            ASSERT_EQ(expected, Pixels(shown)) << "method " << c.method << ", after step " << step;
            TakeSurfaceDamageAreas(shown, &areas);
            const int stride = cairo_image_surface_get_stride(SurfaceImage(shown));
            for (size_t i = 0; i < areas.size(); ++i) {
                const RECT& r = areas[i];
                ASSERT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= Width && r.bottom <= Height);
                ASSERT_TRUE(i == 0 || areas[i - 1].bottom <= r.top) << "areas in row order and apart";
                for (int y = r.top; y < r.bottom; ++y)
                    std::memcpy(&window[y * stride + r.left * 4], &expected[y * stride + r.left * 4],
                                (r.right - r.left) * 4);
            }
            ASSERT_EQ(expected, window) << "method " << c.method << ", after step " << step;
            lit += std::count_if(expected.begin(), expected.end(), [](unsigned char v) { return v != 0; }) > 0;
        }
        EXPECT_EQ(Shows, lit) << "every frame compared shows the text";
        EndFrames(&a);
        EndFrames(&b);
        DestroyImageSurface(everyStep);
        DestroyImageSurface(shown);
        DeleteSurfaceFont(state.font);
        DeleteSurfaceBrush(state.brush);
    }
    // fontconfig's caches are let go only on request; the leak check would count them.
    cairo_debug_reset_static_data();
    FcFini();
}
