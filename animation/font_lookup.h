// Where the glyph source's faces come from: on this system, fontconfig. The
// face for a font description (the family by name, or the face fontconfig
// puts in its place, with the weight and slant asked for), and, for a
// character that face lacks, the first of the faces fontconfig offers in its
// order of preference that has it, as a desktop fills in text.
#pragma once
#include <cstdint>
#include <string>
#include "animation/surface.h"

// A face in a font file, and how fontconfig says to hint it.
struct FaceFile {
    std::string path;
    int index;                          // of the face within the file
    bool hinting;
    bool autohint;
    bool embolden;                      // a bolder face made from a regular one
    double slant;                       // x moved by slant times y: a slanted face made from an upright one
};

typedef struct FontLookup* FontLookupHandle;

// The lookup for one description, and its own face in *face; null when no
// face file is found.
FontLookupHandle OpenFontLookup(const FontDescription* description, FaceFile* face);
void CloseFontLookup(FontLookupHandle lookup);
// The preferred face that has the character; false when no installed face
// has it.
bool FindFallbackFace(FontLookupHandle lookup, uint32_t character, FaceFile* face);
