// The glyph source over the scripts a user may type: every character drawn
// by some installed face (no missing-glyph boxes), shaped where its script
// needs it (joining, reordering, conjuncts), in the bidirectional order; a
// picture of each from lumivane-render that lights pixels; and, for text
// that code page 1252 holds, the outlines GDI-matched cairo text paths give,
// point for point. Argument: the lumivane-render program.
#include <gtest/gtest.h>
#include <cairo-ft.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <cstring>
#include <string>
#include <vector>
#include "animation/glyph_source.h"
#include "animation/text_runs.h"
#include "run_program.h"

namespace {

std::string g_renderer;

enum Shaping {
    GlyphPerCharacter,                  // one glyph for each character, none merged
    FewerGlyphs,                        // conjuncts or ligatures merge characters
};

struct ScriptCase {
    const char* name;
    const char* text;
    Shaping shaping;
    bool fromFallback;                  // some glyph comes from a face other than the font's own
    std::vector<int> visualClusters;    // the characters left to right, when the order is the test
};

const ScriptCase Scripts[] = {
    {"Latin 1252", "Grüße aus Köln", GlyphPerCharacter, false, {}},
    {"Cyrillic", "Привет, мир", GlyphPerCharacter, false, {}},
    {"Greek", "Καλημέρα κόσμε", GlyphPerCharacter, false, {}},
    {"Arabic (lam-alef joined)", "سلام عليكم", FewerGlyphs, true, {}},
    {"Hebrew", "שלום", GlyphPerCharacter, true, {3, 2, 1, 0}},
    {"mixed direction", "abc שלום def", GlyphPerCharacter, true, {0, 1, 2, 3, 7, 6, 5, 4, 8, 9, 10, 11}},
    {"Devanagari conjuncts", "क्षत्रिय", FewerGlyphs, true, {}},
    {"CJK", "日本語の文字", GlyphPerCharacter, true, {}},
};

FontDescription Arial(int32_t height)
{
    FontDescription description;
    std::memset(&description, 0, sizeof(description));
    description.lfHeight = height;
    std::strcpy(description.lfFaceName, "arial");
    return description;
}

int CountCharacters(const char* text)
{
    std::vector<uint32_t> characters;
    std::vector<int> offsets;
    DecodeUtf8(text, static_cast<int>(std::strlen(text)), &characters, &offsets);
    return static_cast<int>(characters.size());
}

std::vector<ShapedGlyph> Shape(GlyphFontHandle font, const char* text)
{
    return ShapeText(font, text, static_cast<int>(std::strlen(text)));
}

long LitPixels(const std::string& png)
{
    cairo_surface_t* image = cairo_image_surface_create_from_png(png.c_str());
    long lit = 0;
    if (cairo_surface_status(image) == CAIRO_STATUS_SUCCESS) {
        const int width = cairo_image_surface_get_width(image), height = cairo_image_surface_get_height(image);
        const int stride = cairo_image_surface_get_stride(image);
        const unsigned char* data = cairo_image_surface_get_data(image);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                lit += (reinterpret_cast<const uint32_t*>(data + y * stride)[x] & 0xFFFFFF) != 0;
    }
    cairo_surface_destroy(image);
    return lit;
}

// cairo's text path of the text at the cell's corner, read as the warp reads
// outlines: the program's outlines before they came from FreeType.
void CairoOutline(const FontDescription& description, int32_t ascent, const char* text, std::vector<POINT>* points,
                  std::vector<unsigned char>* types)
{
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(description.lfFaceName));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(400));
    FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    FcConfigSubstitute(NULL, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(NULL, pattern, &result);
    cairo_font_face_t* face = cairo_ft_font_face_create_for_pattern(match);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_FULL);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_matrix_t size, identity;
    cairo_matrix_init_scale(&size, -description.lfHeight, -description.lfHeight);
    cairo_matrix_init_identity(&identity);
    cairo_scaled_font_t* scaled = cairo_scaled_font_create(face, &size, &identity, options);
    cairo_surface_t* unbounded = cairo_recording_surface_create(CAIRO_CONTENT_COLOR, NULL);
    cairo_t* cr = cairo_create(unbounded);
    cairo_set_scaled_font(cr, scaled);
    cairo_move_to(cr, 0, ascent);
    cairo_text_path(cr, text);
    cairo_path_t* path = cairo_copy_path(cr);
    bool moved = false;
    POINT move = {0, 0};
    auto at = [](const cairo_path_data_t& d) { return POINT{RoundToPixel(d.point.x), RoundToPixel(d.point.y)}; };
    for (int i = 0; i < path->num_data; i += path->data[i].header.length) {
        const cairo_path_data_t* d = &path->data[i];
        if (d->header.type == CAIRO_PATH_MOVE_TO) {
            moved = true;
            move = at(d[1]);
        } else if (d->header.type == CAIRO_PATH_CLOSE_PATH) {
            types->back() |= OutlineCloseFlag;
        } else {
            if (moved) {
                points->push_back(move);
                types->push_back(OutlineMove);
            }
            moved = false;
            const bool line = d->header.type == CAIRO_PATH_LINE_TO;
            for (int k = 1; k <= (line ? 1 : 3); ++k) {
                points->push_back(at(d[k]));
                types->push_back(line ? OutlineLine : OutlineCurve);
            }
        }
    }
    cairo_path_destroy(path);
    cairo_destroy(cr);
    cairo_surface_destroy(unbounded);
    cairo_scaled_font_destroy(scaled);
    cairo_font_options_destroy(options);
    cairo_font_face_destroy(face);
    FcPatternDestroy(match);
    FcPatternDestroy(pattern);
}

}  // namespace

TEST(GlyphSource, EveryScriptIsDrawnAndShaped)
{
    const FontDescription description = Arial(-72);
    GlyphFontHandle font = OpenGlyphFont(&description);
    ASSERT_NE(nullptr, font);
    for (const ScriptCase& c : Scripts) {
        const std::vector<ShapedGlyph> glyphs = Shape(font, c.text);
        const int characters = CountCharacters(c.text);
        bool fallback = false;
        std::vector<int> clusters;
        for (const ShapedGlyph& g : glyphs) {
            EXPECT_NE(0u, g.glyph) << c.name << ": a missing-glyph box for character " << g.cluster;
            fallback = fallback || g.face != 0;
            clusters.push_back(g.cluster);
        }
        if (c.shaping == GlyphPerCharacter) {
            EXPECT_EQ(characters, static_cast<int>(glyphs.size())) << c.name;
        } else {
            EXPECT_LT(static_cast<int>(glyphs.size()), characters) << c.name;
        }
        EXPECT_EQ(c.fromFallback, fallback) << c.name;
        if (!c.visualClusters.empty()) {
            EXPECT_EQ(c.visualClusters, clusters) << c.name;
        }
        EXPECT_GT(TextAdvance(font, c.text, static_cast<int>(std::strlen(c.text))), 0) << c.name;

        ScratchFolder folder;
        const std::string png = folder.path() + "/out.png";
        const ProgramRun run = RunProgram({g_renderer, "--text", c.text, "--method", "straightbeam", "--seed", "7",
                                           "--frames", "1", "--size", "800x300", png},
                                          "", {"XDG_CONFIG_HOME=" + folder.path()});
        EXPECT_EQ(0, run.exitCode) << c.name << ": " << run.errorOutput;
        EXPECT_GT(LitPixels(png), 500) << c.name;
    }
    CloseGlyphFont(font);
}

TEST(GlyphSource, ArabicJoinsUnlessAZeroWidthNonJoinerKeepsLettersApart)
{
    const FontDescription description = Arial(-72);
    GlyphFontHandle font = OpenGlyphFont(&description);
    ASSERT_NE(nullptr, font);
    const std::vector<ShapedGlyph> joined = Shape(font, "سلام");
    const std::vector<ShapedGlyph> apart = Shape(font, "س\u200Cل\u200Cا\u200Cم");
    ASSERT_FALSE(joined.empty());
    ASSERT_FALSE(apart.empty());
    // Right to left: the first character (seen), drawn last.
    EXPECT_TRUE(joined.back().rightToLeft);
    EXPECT_EQ(0, joined.back().cluster);
    EXPECT_EQ(0, apart.back().cluster);
    // Its initial form when joined, its isolated form when kept apart.
    EXPECT_NE(joined.back().glyph, apart.back().glyph);
    CloseGlyphFont(font);
}

TEST(GlyphSource, Code1252TextKeepsGdiAdvancesAndCairosOutlines)
{
    const char* const texts[] = {"Lumivane", "The quick brown fox jumps over a lazy do", "AVATAR To Wa fi ffl",
                                 "Grüße, Œuvre — “déjà” 10€ ¿½?"};
    for (int32_t height : {-72, -16, -400}) {
        const FontDescription description = Arial(height);
        GlyphFontHandle font = OpenGlyphFont(&description);
        ASSERT_NE(nullptr, font);
        for (const char* text : texts) {
            const int length = static_cast<int>(std::strlen(text));
            // No kerning, no ligatures: each character's glyph at its own advance.
            const std::vector<ShapedGlyph> glyphs = Shape(font, text);
            EXPECT_EQ(CountCharacters(text), static_cast<int>(glyphs.size())) << text;
            int32_t sum = 0;
            for (const ShapedGlyph& g : glyphs)
                sum += g.advance;
            EXPECT_EQ(0, sum % 64) << text << ": whole-pixel advances";
            std::vector<POINT> points;
            std::vector<unsigned char> types;
            CairoOutline(description, GlyphFontAscent(font), text, &points, &types);
            const GlyphPath& path = TextOutline(font, text, length);
            ASSERT_EQ(points.size(), path.points.size()) << text << " at " << height;
            for (size_t i = 0; i < points.size(); ++i) {
                ASSERT_EQ(points[i].x, path.points[i].x) << text << " at " << height << ", point " << i;
                ASSERT_EQ(points[i].y, path.points[i].y) << text << " at " << height << ", point " << i;
            }
            EXPECT_EQ(types, path.types) << text << " at " << height;
        }
        CloseGlyphFont(font);
    }
}

int main(int argc, char** argv)
{
    return RunTestsOn(argc, argv, {&g_renderer}, "test_glyph_source LUMIVANE-RENDER");
}
