// The bookkeeping of laying out a line of text in several scripts and
// directions: UTF-8 into characters, each character's script settled from
// its neighbours, the line cut into runs that one face shapes in one script
// and one direction, and the runs put in the order a reader sees them.
// Pure: the properties come from the shaping library and the bidirectional
// algorithm.
#pragma once
#include <cstdint>
#include <vector>

// The characters of length bytes of UTF-8 and the byte each starts at; a
// byte that starts no valid character is one U+FFFD.
void DecodeUtf8(const char* text, int length, std::vector<uint32_t>* characters, std::vector<int>* offsets);

// Characters of no script of their own (common, or inherited from a base
// character) take the script before them, or at the start of the line the
// first one after them.
void SettleScripts(std::vector<uint32_t>* scripts, uint32_t common, uint32_t inherited);

// Characters first to last (end excluded) of one embedding level (even:
// left to right), one script and one face.
struct TextRun {
    int first;
    int end;
    int level;
    uint32_t script;
    int face;
};

// The runs of a line, in reading order, from each character's level, script
// and face.
std::vector<TextRun> SplitRuns(const std::vector<uint8_t>& levels, const std::vector<uint32_t>& scripts,
                               const std::vector<int>& faces);

// The indices of the runs from left to right: from the highest level down to
// the lowest odd one, each stretch of runs at that level or above reversed.
std::vector<int> VisualRunOrder(const std::vector<TextRun>& runs);
