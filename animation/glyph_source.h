// The glyph source: a font description's faces sized as GDI sizes them
// (the cell from the face's Windows ascent and descent, lfHeight negative
// for the em, positive for the cell, 0 for a 16-pixel cell, lfWidth scaling
// by the average character width), text shaped with HarfBuzz in the
// bidirectional order, and the shaped glyphs' outlines taken straight from
// FreeType, hinted in full with whole-pixel advances, the baseline at the
// whole-pixel ascent. Characters the face lacks come from the faces the font
// lookup offers; text that code page 1252 holds is laid out with no kerning
// and no ligatures, glyph for character, as GDI lays it out. The shaped text
// and its outline are kept for the next call with the same text.
#pragma once
#include <cstdint>
#include <vector>
#include "animation/glyph_path.h"
#include "animation/surface.h"

typedef struct GlyphFont* GlyphFontHandle;

// One shaped glyph, left to right as drawn.
struct ShapedGlyph {
    int face;                           // 0: the font's own; above: a fallback
    uint32_t glyph;                     // the face's glyph index; 0 is its missing-glyph box
    int cluster;                        // the first character (not byte) of the text it draws
    bool rightToLeft;                   // of its run
    int32_t advance;                    // 26.6 pixels
    int32_t offsetX;                    // 26.6 pixels from the pen, y up
    int32_t offsetY;
};

// Null when no face is found or FreeType cannot open or size it.
GlyphFontHandle OpenGlyphFont(const FontDescription* description);
void CloseGlyphFont(GlyphFontHandle font);
// Whole pixels above and below the baseline.
int32_t GlyphFontAscent(GlyphFontHandle font);
int32_t GlyphFontDescent(GlyphFontHandle font);

// The glyphs of length bytes of UTF-8 text.
const std::vector<ShapedGlyph>& ShapeText(GlyphFontHandle font, const char* text, int length);
// The sum of the advances, rounded to whole pixels.
int32_t TextAdvance(GlyphFontHandle font, const char* text, int length);
// The outline of the text, its cell's corner at 0,0.
const GlyphPath& TextOutline(GlyphFontHandle font, const char* text, int length);
