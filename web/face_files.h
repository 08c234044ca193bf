// The faces the page supplies to the web host's font lookup: it fetches the
// face files the settings and the text need, writes them into the module's
// file system, and names them here. The lookup (font_lookup.h) then gives
// the chosen face for any description, and for a character that face lacks
// the first fallback that has it, in the order they were added; either made
// bold or slanted when the description asks for a style the face lacks.
#pragma once
#include <cstdint>
#include <vector>

// The face the next fonts are made from; replaces the one before. False
// when FreeType cannot open it.
bool ChooseFace(const char* path, int index);
// A face for characters the chosen one lacks, after those added before.
// False when FreeType cannot open it.
bool AddFallbackFace(const char* path, int index);
// No fallbacks: the page adds them again, in their order, when it needs more.
void ClearFallbackFaces();
// The characters asked for that no face had, since the last call.
std::vector<uint32_t> TakeUncoveredCharacters();
