// The native renderer against the Windows frame code: for the same seed,
// settings and size, frame N drawn by lumivane-render and by the GDI
// backend under Wine light the same pixels, up to the differences between
// the two glyph rasterisers. Measured as intersection over union of the lit
// pixels. Arguments: the lumivane-render program and the Windows program
// that draws the GDI frames; Wine is $WINELOADER.
#include <gtest/gtest.h>
#include <cairo.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>
#include "animation/beams.h"
#include "run_program.h"

namespace {

std::string g_renderer;
std::string g_gdiFrames;

const int Width = 1920;
const int Height = 1080;
const int Frames = 60;
const char Short[] = "Lumivane";
const char Long[] = "The quick brown fox jumps over a lazy do";

struct Case {
    DrawMethod method;
    const char* methodName;
    const char* text;
    unsigned seed;
    double least;                       // the smallest intersection over union accepted
};

// StraightBeam draws the text at its own size; the other methods stretch it,
// and a one-pixel difference in the outline widens with the stretch.
const double AtOwnSize = 0.90;
const double Stretched = 0.80;

std::vector<Case> Cases()
{
    std::vector<Case> cases;
    const struct {
        DrawMethod method;
        const char* name;
        double least;
    } methods[] = {{MethodLumivane, "lumivane", Stretched},
                   {MethodFlexBeam, "flexbeam", Stretched},
                   {MethodStraightBeam, "straightbeam", AtOwnSize}};
    for (const auto& m : methods)
        for (const char* text : {Short, Long})
            for (unsigned seed : {1u, 7u, 42u})
                cases.push_back({m.method, m.name, text, seed, m.least});
    return cases;
}

// Lit pixels of a plain bitmap (P4) of Width by Height.
std::vector<bool> ReadBitmap(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::string magic;
    int width = 0, height = 0;
    file >> magic >> width >> height;
    file.get();
    std::vector<bool> lit;
    if (magic != "P4" || width != Width || height != Height)
        return lit;
    std::vector<char> row((Width + 7) / 8);
    for (int y = 0; y < Height && file.read(row.data(), row.size()); ++y)
        for (int x = 0; x < Width; ++x)
            lit.push_back((row[x / 8] & (0x80 >> (x % 8))) != 0);
    return lit;
}

std::vector<bool> ReadPng(const std::string& path)
{
    std::vector<bool> lit;
    cairo_surface_t* image = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(image) == CAIRO_STATUS_SUCCESS && cairo_image_surface_get_width(image) == Width &&
        cairo_image_surface_get_height(image) == Height) {
        const unsigned char* data = cairo_image_surface_get_data(image);
        const int stride = cairo_image_surface_get_stride(image);
        for (int y = 0; y < Height; ++y) {
            const uint32_t* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
            for (int x = 0; x < Width; ++x)
                lit.push_back((row[x] & 0xFFFFFF) != 0);
        }
    }
    cairo_surface_destroy(image);
    return lit;
}

}  // namespace

TEST(CrossCheck, NativeFramesLightTheSamePixelsAsGdi)
{
    const char* wine = std::getenv("WINELOADER");
    ASSERT_NE(nullptr, wine) << "WINELOADER names the Wine to run the Windows frames with";
    ScratchFolder scratch;
    const std::string& folder = scratch.path();
    const std::vector<Case> cases = Cases();

    std::ofstream list(folder + "/cases.txt");
    for (const Case& c : cases)
        list << c.seed << ' ' << Frames << ' ' << Width << ' ' << Height << ' ' << c.method << ' ' << c.text << '\n';
    list.close();
    ASSERT_EQ(0, RunProgram({wine, g_gdiFrames, "Z:" + folder}, folder + "/cases.txt").exitCode) << "the GDI frames";

    for (size_t k = 0; k < cases.size(); ++k) {
        const Case& c = cases[k];
        const std::string png = folder + "/native-" + std::to_string(k) + ".png";
        ASSERT_EQ(0, RunProgram({g_renderer, "--seed", std::to_string(c.seed), "--frames", std::to_string(Frames),
                          "--method", c.methodName, "--no-cycle", "--text", c.text, png})
                         .exitCode);
        std::vector<bool> gdi = ReadBitmap(folder + "/case-" + std::to_string(k) + ".pbm");
        std::vector<bool> native = ReadPng(png);
        ASSERT_EQ(static_cast<size_t>(Width * Height), gdi.size()) << "case " << k;
        ASSERT_EQ(gdi.size(), native.size()) << "case " << k;
        long both = 0, either = 0;
        for (size_t i = 0; i < gdi.size(); ++i) {
            both += gdi[i] && native[i];
            either += gdi[i] || native[i];
        }
        ASSERT_GT(either, 1000) << "case " << k << " should light a good part of the picture";
        const double overlap = static_cast<double>(both) / either;
        std::printf("%-12s seed %2u %2zu characters: intersection over union %.3f (%ld lit)\n", c.methodName, c.seed,
                    std::string(c.text).size(), overlap, either);
        EXPECT_GE(overlap, c.least) << c.methodName << ", seed " << c.seed << ", \"" << c.text << "\"";
    }
}

int main(int argc, char** argv)
{
    return RunTestsOn(argc, argv, {&g_renderer, &g_gdiFrames}, "LUMIVANE-RENDER GDI-FRAMES.EXE");
}
