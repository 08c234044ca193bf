// The glyph source over FreeType, HarfBuzz and FriBidi. The text is cut into
// runs of one embedding level, one script and one face; each run is shaped
// with its neighbours as context, the runs are put in visual order, and each
// glyph's hinted outline is walked into a glyph path at its pen position.
#include "animation/glyph_source.h"
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H
#include <fribidi.h>
#include <hb-ft.h>
#include <hb.h>
#include <string>
#include "animation/font_lookup.h"
#include "animation/text_runs.h"
#include "settings/code_page_1252.h"

namespace {

// lfHeight 0 asks for the system's default size: a cell 16 pixels high.
const int32_t DefaultCellHeight = 16;
const double FontUnitsPerPixel = 64.0;
const uint32_t ZeroWidthNonJoiner = 0x200C, ZeroWidthJoiner = 0x200D;
const uint32_t FirstVariationSelector = 0xFE00, LastVariationSelector = 0xFE0F;
const uint32_t FirstVariationSelectorSupplement = 0xE0100, LastVariationSelectorSupplement = 0xE01EF;
const uint32_t LastBmpCharacter = 0xFFFF;
const FT_Long EmboldenDivisor = 24;
const double OneFixed = 65536.0;

// The features HarfBuzz applies by default that GDI's plain text output does
// not: with them off a glyph stands for each character at its own advance.
const char* const GdiAbsentFeatures[] = {"-kern", "-liga", "-clig", "-calt", "-ccmp", "-locl", "-rlig", "-mark",
                                         "-mkmk", "-curs", "-dist", "-rclt", "-abvm", "-blwm", "-rvrn"};
const int GdiAbsentFeatureCount = sizeof(GdiAbsentFeatures) / sizeof(GdiAbsentFeatures[0]);

}  // namespace

struct OpenFace {
    FT_Face face;
    hb_font_t* shaper;
    std::string path;
    int index;
    FT_Int32 loadFlags;
    FT_Pos emboldening;                 // added to each advance, 26.6; 0 for a face as it is
    FT_Fixed slant;                     // 16.16; 0 for an upright face
};

struct GlyphFont {
    FT_Library library;
    FontLookupHandle lookup;
    std::vector<OpenFace> faces;        // the font's own first
    FT_F26Dot6 charWidth;               // the size every face is set to
    FT_F26Dot6 charHeight;
    int32_t ascent;
    int32_t descent;
    hb_feature_t plainFeatures[GdiAbsentFeatureCount];
    // The text last laid out, its glyphs, their advance and their outline.
    bool laidOut;
    std::string text;
    std::vector<ShapedGlyph> glyphs;
    int64_t advance;
    bool outlined;
    GlyphPath path;
};

namespace {

// The vertical metrics GDI sizes a face by: the Windows ascent and descent of
// the face's OS/2 table (its plain ascender and descender without one), and
// the average character width, all in font units.
struct FaceMetrics {
    double unitsPerEm;
    double ascent;
    double descent;
    double averageWidth;
};

FaceMetrics ReadFaceMetrics(FT_Face face)
{
    FaceMetrics metrics = {face->units_per_EM > 0 ? static_cast<double>(face->units_per_EM) : 1.0,
                           static_cast<double>(face->ascender), -static_cast<double>(face->descender), 0};
    const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 != NULL && os2->usWinAscent + os2->usWinDescent > 0) {
        metrics.ascent = os2->usWinAscent;
        metrics.descent = os2->usWinDescent;
        metrics.averageWidth = os2->xAvgCharWidth;
    }
    return metrics;
}

FT_Int32 LoadFlags(const FaceFile& file)
{
    if (!file.hinting)
        return FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP;
    return (file.autohint ? FT_LOAD_FORCE_AUTOHINT : FT_LOAD_DEFAULT) | FT_LOAD_TARGET_NORMAL | FT_LOAD_NO_BITMAP;
}

void CloseFace(OpenFace* face)
{
    if (face->shaper != NULL)
        hb_font_destroy(face->shaper);
    FT_Done_Face(face->face);
}

// Sets the face to the font's size and gives it a shaper; false when
// FreeType cannot size it.
bool SizeFace(GlyphFont* font, OpenFace* face)
{
    if (FT_Set_Char_Size(face->face, font->charWidth, font->charHeight, 0, 0) != 0)
        return false;
    // FreeType's emboldening widens each glyph by a 24th of the em.
    if (face->emboldening != 0)
        face->emboldening = FT_MulFix(face->face->units_per_EM, face->face->size->metrics.y_scale) / EmboldenDivisor;
    face->shaper = hb_ft_font_create_referenced(face->face);
    hb_ft_font_set_load_flags(face->shaper, face->loadFlags);
    return true;
}

bool OpenFaceFile(GlyphFont* font, const FaceFile& file, OpenFace* face)
{
    *face = {NULL, NULL, file.path, file.index, LoadFlags(file), file.embolden ? 1 : 0,
             static_cast<FT_Fixed>(file.slant * OneFixed)};
    return FT_New_Face(font->library, file.path.c_str(), file.index, &face->face) == 0;
}

// The face of the font that the file names, opened and sized the first time
// it is asked for; -1 when it cannot be.
int FallbackFace(GlyphFont* font, const FaceFile& file)
{
    for (size_t i = 0; i < font->faces.size(); ++i)
        if (font->faces[i].path == file.path && font->faces[i].index == file.index)
            return static_cast<int>(i);
    OpenFace face;
    if (!OpenFaceFile(font, file, &face))
        return -1;
    if (!SizeFace(font, &face)) {
        CloseFace(&face);
        return -1;
    }
    font->faces.push_back(face);
    return static_cast<int>(font->faces.size() - 1);
}

// Marks, joiners and variation selectors belong to the character before them.
bool ClingsToPrevious(uint32_t c)
{
    switch (hb_unicode_general_category(hb_unicode_funcs_get_default(), c)) {
    case HB_UNICODE_GENERAL_CATEGORY_NON_SPACING_MARK:
    case HB_UNICODE_GENERAL_CATEGORY_SPACING_MARK:
    case HB_UNICODE_GENERAL_CATEGORY_ENCLOSING_MARK:
        return true;
    default:
        return c == ZeroWidthNonJoiner || c == ZeroWidthJoiner ||
               (c >= FirstVariationSelector && c <= LastVariationSelector) ||
               (c >= FirstVariationSelectorSupplement && c <= LastVariationSelectorSupplement);
    }
}

// The face that draws the character: the font's own when it has it, else the
// first fallback that has it, else the font's own missing-glyph box.
int FaceFor(GlyphFont* font, uint32_t c, int previous)
{
    if (previous >= 0 && ClingsToPrevious(c))
        return previous;
    if (FT_Get_Char_Index(font->faces[0].face, c) != 0)
        return 0;
    FaceFile file;
    if (!FindFallbackFace(font->lookup, c, &file))
        return 0;
    const int face = FallbackFace(font, file);
    return face >= 0 ? face : 0;
}

bool InCodePage1252(uint32_t c)
{
    if (c > LastBmpCharacter)
        return false;
    const char byte = UnicodeToAnsi(static_cast<char16_t>(c));
    return AnsiToUnicode(static_cast<unsigned char>(byte)) == c;
}

// The embedding level of each character by the bidirectional algorithm, the
// paragraph's direction taken from its first strong character.
std::vector<uint8_t> BidiLevels(const std::vector<uint32_t>& characters)
{
    const FriBidiStrIndex n = static_cast<FriBidiStrIndex>(characters.size());
    std::vector<FriBidiCharType> types(n);
    std::vector<FriBidiBracketType> brackets(n);
    std::vector<FriBidiLevel> levels(n);
    std::vector<uint8_t> result(n, 0);
    const FriBidiChar* text = reinterpret_cast<const FriBidiChar*>(characters.data());
    fribidi_get_bidi_types(text, n, types.data());
    fribidi_get_bracket_types(text, n, types.data(), brackets.data());
    FriBidiParType direction = FRIBIDI_PAR_ON;
    // Without levels (no memory) the line stays left to right.
    if (n > 0 && fribidi_get_par_embedding_levels_ex(types.data(), brackets.data(), n, &direction, levels.data()) != 0)
        for (FriBidiStrIndex i = 0; i < n; ++i)
            result[i] = static_cast<uint8_t>(levels[i]);
    return result;
}

void ShapeRun(GlyphFont* font, hb_buffer_t* buffer, const std::vector<uint32_t>& characters, const TextRun& run)
{
    bool plain = true;
    for (int i = run.first; i < run.end; ++i)
        plain = plain && InCodePage1252(characters[i]);
    const bool rightToLeft = run.level % 2 == 1;
    hb_buffer_clear_contents(buffer);
    hb_buffer_add_codepoints(buffer, characters.data(), static_cast<int>(characters.size()), run.first,
                             run.end - run.first);
    hb_buffer_set_direction(buffer, rightToLeft ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
    hb_buffer_set_script(buffer, static_cast<hb_script_t>(run.script));
    hb_buffer_set_language(buffer, hb_language_get_default());
    // GDI draws a soft hyphen; HarfBuzz would hide it.
    hb_buffer_set_flags(buffer, plain ? HB_BUFFER_FLAG_PRESERVE_DEFAULT_IGNORABLES : HB_BUFFER_FLAG_DEFAULT);
    hb_shape(font->faces[run.face].shaper, buffer, plain ? font->plainFeatures : NULL,
             plain ? GdiAbsentFeatureCount : 0);
    unsigned int count = 0;
    const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer, &count);
    const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer, &count);
    const FT_Pos widening = font->faces[run.face].emboldening;
    for (unsigned int i = 0; i < count; ++i) {
        const int32_t advance = positions[i].x_advance + (positions[i].x_advance != 0 ? widening : 0);
        font->glyphs.push_back({run.face, infos[i].codepoint, static_cast<int>(infos[i].cluster), rightToLeft,
                                advance, positions[i].x_offset, positions[i].y_offset});
        font->advance += advance;
    }
}

void LayOut(GlyphFont* font, const char* text, int length)
{
    if (length < 0)
        length = 0;
    if (font->laidOut && font->text.compare(0, std::string::npos, text, length) == 0)
        return;
    font->laidOut = true;
    font->outlined = false;
    font->text.assign(text, length);
    font->glyphs.clear();
    font->advance = 0;

    std::vector<uint32_t> characters;
    std::vector<int> offsets;
    DecodeUtf8(text, length, &characters, &offsets);
    std::vector<uint32_t> scripts(characters.size());
    std::vector<int> faces(characters.size());
    hb_unicode_funcs_t* unicode = hb_unicode_funcs_get_default();
    for (size_t i = 0; i < characters.size(); ++i) {
        scripts[i] = hb_unicode_script(unicode, characters[i]);
        faces[i] = FaceFor(font, characters[i], i > 0 ? faces[i - 1] : -1);
    }
    SettleScripts(&scripts, HB_SCRIPT_COMMON, HB_SCRIPT_INHERITED);
    const std::vector<TextRun> runs = SplitRuns(BidiLevels(characters), scripts, faces);
    hb_buffer_t* buffer = hb_buffer_create();
    for (int index : VisualRunOrder(runs))
        ShapeRun(font, buffer, characters, runs[index]);
    hb_buffer_destroy(buffer);
}

int MoveTo(const FT_Vector* to, void* path)
{
    GlyphMoveTo(static_cast<GlyphPath*>(path), to->x, to->y);
    return 0;
}

int LineTo(const FT_Vector* to, void* path)
{
    GlyphLineTo(static_cast<GlyphPath*>(path), to->x, to->y);
    return 0;
}

int ConicTo(const FT_Vector* control, const FT_Vector* to, void* path)
{
    GlyphConicTo(static_cast<GlyphPath*>(path), control->x, control->y, to->x, to->y);
    return 0;
}

int CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* path)
{
    GlyphCubicTo(static_cast<GlyphPath*>(path), c1->x, c1->y, c2->x, c2->y, to->x, to->y);
    return 0;
}

const FT_Outline_Funcs OutlineWalk = {MoveTo, LineTo, ConicTo, CubicTo, 0, 0};

// Each glyph's hinted outline at its pen position; a glyph FreeType cannot
// load, or one that is a bitmap only, adds nothing.
void OutlineGlyphs(GlyphFont* font)
{
    ClearGlyphPath(&font->path);
    int64_t pen = 0;
    const int64_t baseline = static_cast<int64_t>(font->ascent) * static_cast<int64_t>(FontUnitsPerPixel);
    for (const ShapedGlyph& g : font->glyphs) {
        const OpenFace& face = font->faces[g.face];
        if (FT_Load_Glyph(face.face, g.glyph, face.loadFlags) == 0 &&
            face.face->glyph->format == FT_GLYPH_FORMAT_OUTLINE) {
            if (face.emboldening != 0)
                FT_GlyphSlot_Embolden(face.face->glyph);
            // Slanted after hinting, as a transformed face is; the advance stays.
            if (face.slant != 0) {
                const FT_Fixed one = static_cast<FT_Fixed>(OneFixed);
                const FT_Matrix shear = {one, face.slant, 0, one};
                FT_Outline_Transform(&face.face->glyph->outline, &shear);
            }
            StartGlyph(&font->path, pen + g.offsetX, baseline - g.offsetY);
            FT_Outline_Decompose(&face.face->glyph->outline, &OutlineWalk, &font->path);
            EndGlyph(&font->path);
        }
        pen += g.advance;
    }
    font->outlined = true;
}

}  // namespace

GlyphFontHandle OpenGlyphFont(const FontDescription* description)
{
    FaceFile file;
    FontLookupHandle lookup = OpenFontLookup(description, &file);
    if (lookup == NULL)
        return NULL;
    GlyphFont* font = new GlyphFont();
    font->lookup = lookup;
    OpenFace face;
    if (FT_Init_FreeType(&font->library) != 0) {
        font->library = NULL;
        CloseGlyphFont(font);
        return NULL;
    }
    if (!OpenFaceFile(font, file, &face)) {
        CloseGlyphFont(font);
        return NULL;
    }
    const FaceMetrics metrics = ReadFaceMetrics(face.face);
    const double cell = metrics.ascent + metrics.descent;
    double em = -static_cast<double>(description->lfHeight);
    if (description->lfHeight >= 0) {
        const int32_t cellHeight = description->lfHeight > 0 ? description->lfHeight : DefaultCellHeight;
        em = cell > 0 ? cellHeight * metrics.unitsPerEm / cell : cellHeight;
    }
    double width = em;
    if (description->lfWidth > 0 && metrics.averageWidth > 0)
        width = description->lfWidth * metrics.unitsPerEm / metrics.averageWidth;
    font->charWidth = static_cast<FT_F26Dot6>(width * FontUnitsPerPixel + 0.5);
    font->charHeight = static_cast<FT_F26Dot6>(em * FontUnitsPerPixel + 0.5);
    // A face FreeType cannot size (beyond 65535 pixels to the em).
    if (!SizeFace(font, &face)) {
        CloseFace(&face);
        CloseGlyphFont(font);
        return NULL;
    }
    font->faces.push_back(face);
    font->ascent = RoundToPixel(em * metrics.ascent / metrics.unitsPerEm);
    font->descent = RoundToPixel(em * metrics.descent / metrics.unitsPerEm);
    for (int i = 0; i < GdiAbsentFeatureCount; ++i)
        hb_feature_from_string(GdiAbsentFeatures[i], -1, &font->plainFeatures[i]);
    return font;
}

void CloseGlyphFont(GlyphFontHandle font)
{
    if (font == NULL)
        return;
    for (OpenFace& face : font->faces)
        CloseFace(&face);
    if (font->library != NULL)
        FT_Done_FreeType(font->library);
    CloseFontLookup(font->lookup);
    delete font;
}

int32_t GlyphFontAscent(GlyphFontHandle font)
{
    return font->ascent;
}

int32_t GlyphFontDescent(GlyphFontHandle font)
{
    return font->descent;
}

const std::vector<ShapedGlyph>& ShapeText(GlyphFontHandle font, const char* text, int length)
{
    LayOut(font, text, length);
    return font->glyphs;
}

int32_t TextAdvance(GlyphFontHandle font, const char* text, int length)
{
    LayOut(font, text, length);
    return RoundToPixel(static_cast<double>(font->advance) / FontUnitsPerPixel);
}

const GlyphPath& TextOutline(GlyphFontHandle font, const char* text, int length)
{
    LayOut(font, text, length);
    if (!font->outlined)
        OutlineGlyphs(font);
    return font->path;
}
