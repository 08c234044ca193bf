// Laying out mixed text: UTF-8 into characters, scripts settled from their
// neighbours, runs cut where level, script or face changes, and the runs'
// visual order.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "animation/text_runs.h"

namespace {

const uint32_t Common = 1, Inherited = 2, Latin = 10, Arabic = 11, Hebrew = 12;

}  // namespace

TEST(TextRuns, Utf8DecodesWholeCharactersAndReplacesBadBytes)
{
    const struct {
        std::string utf8;
        std::vector<uint32_t> characters;
        std::vector<int> offsets;
    } cases[] = {
        {"a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", {'a', 0xE9, 0x20AC, 0x1F600}, {0, 1, 3, 6}},
        {"\xC3", {0xFFFD}, {0}},                           // cut short
        {"\xC0\xAF!", {0xFFFD, 0xFFFD, '!'}, {0, 1, 2}},   // overlong
        {"\xED\xA0\x80", {0xFFFD, 0xFFFD, 0xFFFD}, {0, 1, 2}},  // a surrogate
        {"\xF4\x90\x80\x80", {0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD}, {0, 1, 2, 3}},  // beyond U+10FFFF
        {"\xE2\x82x", {0xFFFD, 0xFFFD, 'x'}, {0, 1, 2}},  // a lead without its continuation
    };
    for (const auto& c : cases) {
        std::vector<uint32_t> characters;
        std::vector<int> offsets;
        DecodeUtf8(c.utf8.data(), static_cast<int>(c.utf8.size()), &characters, &offsets);
        EXPECT_EQ(c.characters, characters) << c.utf8;
        EXPECT_EQ(c.offsets, offsets) << c.utf8;
    }
}

TEST(TextRuns, ScriptsRunsAndVisualOrder)
{
    const struct {
        const char* name;
        std::vector<uint32_t> scripts;
        std::vector<uint8_t> levels;
        std::vector<int> faces;
        std::vector<uint32_t> settled;
        std::vector<int> runStarts;
        std::vector<int> visual;
    } cases[] = {
        {"leading neutrals take the first script",
         {Common, Latin, Inherited, Common, Latin}, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0},
         {Latin, Latin, Latin, Latin, Latin}, {0}, {0}},
        {"Hebrew inside Latin: its run alone reversed",
         {Latin, Common, Hebrew, Hebrew, Common, Latin}, {0, 0, 1, 1, 0, 0}, {0, 0, 1, 1, 0, 0},
         {Latin, Latin, Hebrew, Hebrew, Hebrew, Latin}, {0, 2, 4, 5}, {0, 1, 2, 3}},
        {"right-to-left line with a number: runs reversed, the number's run left to right",
         {Arabic, Common, Common, Arabic}, {1, 2, 2, 1}, {0, 0, 0, 0},
         {Arabic, Arabic, Arabic, Arabic}, {0, 1, 3}, {2, 1, 0}},
        {"a face change cuts a run of one script",
         {Latin, Latin, Latin}, {0, 0, 0}, {0, 2, 0}, {Latin, Latin, Latin}, {0, 1, 2}, {0, 1, 2}},
        {"nothing but neutrals stays common", {Common, Common}, {0, 0}, {0, 0}, {Common, Common}, {0}, {0}},
    };
    for (const auto& c : cases) {
        std::vector<uint32_t> scripts = c.scripts;
        SettleScripts(&scripts, Common, Inherited);
        EXPECT_EQ(c.settled, scripts) << c.name;
        const std::vector<TextRun> runs = SplitRuns(c.levels, scripts, c.faces);
        std::vector<int> starts;
        for (const TextRun& run : runs)
            starts.push_back(run.first);
        EXPECT_EQ(c.runStarts, starts) << c.name;
        EXPECT_EQ(static_cast<int>(c.scripts.size()), runs.empty() ? 0 : runs.back().end) << c.name;
        EXPECT_EQ(c.visual, VisualRunOrder(runs)) << c.name;
    }
}
