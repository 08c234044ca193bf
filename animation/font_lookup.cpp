// Faces by fontconfig: a match for the description, and its sorted list of
// faces for the characters the match lacks, made the first time one does.
#include "animation/font_lookup.h"
#include <fontconfig/fontconfig.h>

struct FontLookup {
    FcPattern* pattern;                 // the description, substituted as for a match
    FcFontSet* fallbacks;               // null until a character needs one
    bool sorted;
};

namespace {

const int FontWeightNormal = 400;

bool ReadFaceFile(FcPattern* match, FaceFile* face)
{
    FcChar8* file = NULL;
    if (FcPatternGetString(match, FC_FILE, 0, &file) != FcResultMatch)
        return false;
    int index = 0;
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    FcBool hinting = FcTrue, autohint = FcFalse, embolden = FcFalse;
    FcPatternGetBool(match, FC_HINTING, 0, &hinting);
    FcPatternGetBool(match, FC_AUTOHINT, 0, &autohint);
    FcPatternGetBool(match, FC_EMBOLDEN, 0, &embolden);
    face->path = reinterpret_cast<const char*>(file);
    face->index = index;
    face->hinting = hinting != FcFalse;
    face->autohint = autohint != FcFalse;
    face->embolden = embolden != FcFalse;
    FcMatrix* matrix = NULL;
    face->slant = FcPatternGetMatrix(match, FC_MATRIX, 0, &matrix) == FcResultMatch ? matrix->xy : 0;
    return true;
}

}  // namespace

FontLookupHandle OpenFontLookup(const FontDescription* description, FaceFile* face)
{
    FcPattern* pattern = FcPatternCreate();
    if (pattern == NULL)
        return NULL;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(description->lfFaceName));
    const int weight = description->lfWeight > 0 ? description->lfWeight : FontWeightNormal;
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
    FcPatternAddInteger(pattern, FC_SLANT, description->lfItalic != 0 ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(NULL, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(NULL, pattern, &result);
    const bool found = match != NULL && ReadFaceFile(match, face);
    if (match != NULL)
        FcPatternDestroy(match);
    if (!found) {
        FcPatternDestroy(pattern);
        return NULL;
    }
    return new FontLookup{pattern, NULL, false};
}

void CloseFontLookup(FontLookupHandle lookup)
{
    if (lookup == NULL)
        return;
    if (lookup->fallbacks != NULL)
        FcFontSetDestroy(lookup->fallbacks);
    FcPatternDestroy(lookup->pattern);
    delete lookup;
}

bool FindFallbackFace(FontLookupHandle lookup, uint32_t character, FaceFile* face)
{
    if (!lookup->sorted) {
        FcResult result;
        lookup->fallbacks = FcFontSort(NULL, lookup->pattern, FcTrue, NULL, &result);
        lookup->sorted = true;
    }
    if (lookup->fallbacks == NULL)
        return false;
    for (int i = 0; i < lookup->fallbacks->nfont; ++i) {
        FcPattern* candidate = lookup->fallbacks->fonts[i];
        FcCharSet* characters = NULL;
        if (FcPatternGetCharSet(candidate, FC_CHARSET, 0, &characters) != FcResultMatch ||
            !FcCharSetHasChar(characters, character))
            continue;
        FcPattern* prepared = FcFontRenderPrepare(NULL, lookup->pattern, candidate);
        const bool found = prepared != NULL && ReadFaceFile(prepared, face);
        if (prepared != NULL)
            FcPatternDestroy(prepared);
        if (found)
            return true;
    }
    return false;
}
