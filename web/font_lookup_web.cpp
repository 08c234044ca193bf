// The font lookup of the web host: the faces are those the page supplied
// (face_files.h), each hinted with its own bytecode as fontconfig's defaults
// have FreeType hint it natively, and made bold or slanted by the rules of
// fontconfig's synthetic styles when the description asks for a style the
// face lacks. Whether a fallback has a character is read from its
// character map.
#include "animation/font_lookup.h"
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include <vector>
#include "web/face_files.h"

struct FontLookup {
    int32_t weight;                     // asked for, 1 to 1000
    bool italic;
};

namespace {

// fontconfig's synthesis: a face of at most medium weight is emboldened for
// a bold request, an upright one slanted by a fifth for an italic request.
const int32_t RegularWeight = 400, MediumWeight = 500, BoldWeight = 700;
const double SyntheticSlant = 0.2;

struct SuppliedFace {
    std::string path;
    int index;
    int32_t weight;                     // the face's own
    bool italic;
    FT_Face face;                       // open for its character map; null for the chosen face
};

FT_Library g_library = NULL;
std::vector<SuppliedFace> g_fallbacks;
std::vector<uint32_t> g_uncovered;

// Made on first use, so that a face may be chosen before main.
SuppliedFace& Chosen()
{
    static SuppliedFace chosen = {"", 0, RegularWeight, false, NULL};
    return chosen;
}

// The face opened, its style read; false when FreeType cannot open it.
bool OpenSupplied(const char* path, int index, SuppliedFace* supplied)
{
    if (g_library == NULL && FT_Init_FreeType(&g_library) != 0) {
        g_library = NULL;
        return false;
    }
    FT_Face face = NULL;
    if (FT_New_Face(g_library, path, index, &face) != 0)
        return false;
    const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    int32_t weight = (face->style_flags & FT_STYLE_FLAG_BOLD) != 0 ? BoldWeight : RegularWeight;
    if (os2 != NULL && os2->usWeightClass > 0)
        weight = os2->usWeightClass;
    *supplied = {path, index, weight, (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0, face};
    return true;
}

FaceFile AsFaceFile(const SuppliedFace& supplied, const FontLookup& lookup)
{
    const bool embolden = lookup.weight >= BoldWeight && supplied.weight <= MediumWeight;
    const double slant = lookup.italic && !supplied.italic ? SyntheticSlant : 0;
    return FaceFile{supplied.path, supplied.index, true, false, embolden, slant};
}

}  // namespace

bool ChooseFace(const char* path, int index)
{
    SuppliedFace chosen;
    if (!OpenSupplied(path, index, &chosen))
        return false;
    FT_Done_Face(chosen.face);
    chosen.face = NULL;
    Chosen() = chosen;
    return true;
}

bool AddFallbackFace(const char* path, int index)
{
    SuppliedFace fallback;
    if (!OpenSupplied(path, index, &fallback))
        return false;
    g_fallbacks.push_back(fallback);
    return true;
}

void ClearFallbackFaces()
{
    for (SuppliedFace& fallback : g_fallbacks)
        FT_Done_Face(fallback.face);
    g_fallbacks.clear();
}

std::vector<uint32_t> TakeUncoveredCharacters()
{
    std::vector<uint32_t> taken;
    taken.swap(g_uncovered);
    return taken;
}

FontLookupHandle OpenFontLookup(const FontDescription* description, FaceFile* face)
{
    if (Chosen().path.empty())
        return NULL;
    FontLookup* lookup =
        new FontLookup{description->lfWeight > 0 ? description->lfWeight : RegularWeight, description->lfItalic != 0};
    *face = AsFaceFile(Chosen(), *lookup);
    return lookup;
}

void CloseFontLookup(FontLookupHandle lookup)
{
    delete lookup;
}

bool FindFallbackFace(FontLookupHandle lookup, uint32_t character, FaceFile* face)
{
    for (const SuppliedFace& fallback : g_fallbacks) {
        if (FT_Get_Char_Index(fallback.face, character) != 0) {
            *face = AsFaceFile(fallback, *lookup);
            return true;
        }
    }
    g_uncovered.push_back(character);
    return false;
}
