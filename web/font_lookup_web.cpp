// The font lookup of the web host: the faces are those the page supplied
// (face_files.h), each hinted with its own bytecode as fontconfig's defaults
// have FreeType hint it natively. Whether a fallback has a character is read
// from its character map.
#include "animation/font_lookup.h"
#include <ft2build.h>
#include FT_FREETYPE_H
#include <vector>
#include "web/face_files.h"

struct FontLookup {
    int unused;                         // a lookup holds nothing: the faces are the page's
};

namespace {

struct SuppliedFace {
    std::string path;
    int index;
    FT_Face face;                       // open for its character map; null for the chosen face
};

FT_Library g_library = NULL;
SuppliedFace g_chosen = {"", 0, NULL};
std::vector<SuppliedFace> g_fallbacks;
std::vector<uint32_t> g_uncovered;

FaceFile AsFaceFile(const SuppliedFace& supplied)
{
    return FaceFile{supplied.path, supplied.index, true, false, false, 0};
}

}  // namespace

void ChooseFace(const char* path, int index)
{
    g_chosen = {path, index, NULL};
}

bool AddFallbackFace(const char* path, int index)
{
    if (g_library == NULL && FT_Init_FreeType(&g_library) != 0) {
        g_library = NULL;
        return false;
    }
    FT_Face face = NULL;
    if (FT_New_Face(g_library, path, index, &face) != 0)
        return false;
    g_fallbacks.push_back({path, index, face});
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

FontLookupHandle OpenFontLookup(const FontDescription*, FaceFile* face)
{
    if (g_chosen.path.empty())
        return NULL;
    *face = AsFaceFile(g_chosen);
    return new FontLookup{0};
}

void CloseFontLookup(FontLookupHandle lookup)
{
    delete lookup;
}

bool FindFallbackFace(FontLookupHandle, uint32_t character, FaceFile* face)
{
    for (const SuppliedFace& fallback : g_fallbacks) {
        if (FT_Get_Char_Index(fallback.face, character) != 0) {
            *face = AsFaceFile(fallback);
            return true;
        }
    }
    g_uncovered.push_back(character);
    return false;
}
