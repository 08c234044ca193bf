// UTF-8 decoding, script settling, run cutting and the visual order of runs.
#include "animation/text_runs.h"
#include <algorithm>

namespace {

const uint32_t Replacement = 0xFFFD;
const uint32_t LowestThreeByte = 0x800, LowestFourByte = 0x10000, HighestCharacter = 0x10FFFF;
const uint32_t FirstSurrogate = 0xD800, LastSurrogate = 0xDFFF;

bool Continues(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// The character at text[i] and its length in bytes; 0 when the bytes there
// are no valid character.
int DecodeOne(const unsigned char* text, int length, int i, uint32_t* character)
{
    const unsigned char lead = text[i];
    int size = 0;
    uint32_t value = 0, lowest = 0;
    if (lead < 0x80) {
        *character = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        size = 2, value = lead & 0x1F, lowest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        size = 3, value = lead & 0x0F, lowest = LowestThreeByte;
    } else if ((lead & 0xF8) == 0xF0) {
        size = 4, value = lead & 0x07, lowest = LowestFourByte;
    } else {
        return 0;
    }
    if (i + size > length)
        return 0;
    for (int k = 1; k < size; ++k) {
        if (!Continues(text[i + k]))
            return 0;
        value = value << 6 | (text[i + k] & 0x3F);
    }
    // Overlong forms, surrogates and values beyond Unicode are not characters.
    if (value < lowest || value > HighestCharacter || (value >= FirstSurrogate && value <= LastSurrogate))
        return 0;
    *character = value;
    return size;
}

}  // namespace

void DecodeUtf8(const char* text, int length, std::vector<uint32_t>* characters, std::vector<int>* offsets)
{
    characters->clear();
    offsets->clear();
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    int i = 0;
    while (i < length) {
        uint32_t character = Replacement;
        const int size = DecodeOne(bytes, length, i, &character);
        characters->push_back(size > 0 ? character : Replacement);
        offsets->push_back(i);
        i += size > 0 ? size : 1;
    }
}

void SettleScripts(std::vector<uint32_t>* scripts, uint32_t common, uint32_t inherited)
{
    std::vector<uint32_t>& s = *scripts;
    auto neutral = [&](uint32_t script) { return script == common || script == inherited; };
    auto first = std::find_if(s.begin(), s.end(), [&](uint32_t script) { return !neutral(script); });
    if (first == s.end())
        return;
    uint32_t last = *first;
    for (uint32_t& script : s) {
        if (neutral(script))
            script = last;
        else
            last = script;
    }
}

std::vector<TextRun> SplitRuns(const std::vector<uint8_t>& levels, const std::vector<uint32_t>& scripts,
                               const std::vector<int>& faces)
{
    std::vector<TextRun> runs;
    const int n = static_cast<int>(std::min({levels.size(), scripts.size(), faces.size()}));
    for (int i = 0; i < n; ++i) {
        if (!runs.empty()) {
            TextRun& run = runs.back();
            if (run.level == levels[i] && run.script == scripts[i] && run.face == faces[i]) {
                run.end = i + 1;
                continue;
            }
        }
        runs.push_back({i, i + 1, levels[i], scripts[i], faces[i]});
    }
    return runs;
}

std::vector<int> VisualRunOrder(const std::vector<TextRun>& runs)
{
    std::vector<int> order(runs.size());
    int highest = 0, lowestOdd = -1;
    for (size_t i = 0; i < runs.size(); ++i) {
        order[i] = static_cast<int>(i);
        highest = std::max(highest, runs[i].level);
        if (runs[i].level % 2 == 1 && (lowestOdd < 0 || runs[i].level < lowestOdd))
            lowestOdd = runs[i].level;
    }
    if (lowestOdd < 0)
        return order;
    for (int level = highest; level >= lowestOdd; --level) {
        size_t i = 0;
        while (i < order.size()) {
            if (runs[order[i]].level < level) {
                ++i;
                continue;
            }
            size_t j = i;
            while (j < order.size() && runs[order[j]].level >= level)
                ++j;
            std::reverse(order.begin() + i, order.begin() + j);
            i = j;
        }
    }
    return order;
}
