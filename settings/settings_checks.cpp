// Checks of a settings file's values against what each setting takes.
#include "settings/settings_checks.h"
#include <cstdint>
#include <vector>

namespace {

// What a load makes of the number it reads for a setting.
enum NumberUse {
    UseAsRead,
    UseLowByte,                         // a colour channel or character set
    UseNonZero,                         // Cycle: any other value is 1
    UseLowByteNonZero,                  // lfItalic: its byte, and any byte but 0 is italic
    UseMethod                           // every method but 1 and 2 is drawn as 0
};

struct NumberRule {
    SettingKey key;
    int32_t low, high;
    NumberUse use;
};

const int32_t ByteMax = 255;
const int32_t FlagMax = 1;
const int32_t MethodMax = 2;
const int32_t FlexBeam = 1, StraightBeam = 2;
const NumberRule NumberRules[] = {
    {KeyColorR, 0, ByteMax, UseLowByte}, {KeyColorG, 0, ByteMax, UseLowByte}, {KeyColorB, 0, ByteMax, UseLowByte},
    {KeyCycle, 0, FlagMax, UseNonZero}, {KeySpeed, INT32_MIN, INT32_MAX, UseAsRead},
    {KeyMethod, 0, MethodMax, UseMethod}, {KeyHeight, INT32_MIN, INT32_MAX, UseAsRead},
    {KeyWidth, INT32_MIN, INT32_MAX, UseAsRead}, {KeyWeight, INT32_MIN, INT32_MAX, UseAsRead},
    {KeyCharset, 0, ByteMax, UseLowByte}, {KeyItalic, 0, FlagMax, UseLowByteNonZero},
};

// A name or value is shown cut to this many characters, and its control
// characters (C0, DEL and C1, which terminals obey too) as "?", so that a
// message stays one short line.
const size_t ShownCharacters = 40;
const char16_t FirstPrintable = u' ';
const char16_t Delete = 0x7F;
const char16_t LastControl = 0x9F;
const char16_t LowSurrogateFirst = 0xDC00, LowSurrogateLast = 0xDFFF;
const char16_t CommentMark = u';';
// Shorter names than the shortest key would match too many keys to help.
const size_t LeastLikelyName = 4;
const char16_t UpperA = u'A', UpperZ = u'Z', CaseOffset = u'a' - u'A';

bool ContinuesCharacter(char16_t c) { return c >= LowSurrogateFirst && c <= LowSurrogateLast; }

// In UTF-8, cut by whole characters: a surrogate pair counts as one.
std::string Shown(const std::u16string& text)
{
    std::u16string shown;
    size_t at = 0;
    for (size_t characters = 0; at < text.size(); ++at) {
        if (!ContinuesCharacter(text[at]) && characters++ == ShownCharacters)
            break;
        const char16_t c = text[at];
        shown.push_back(c < FirstPrintable || (c >= Delete && c <= LastControl) ? u'?' : c);
    }
    return TextToUtf8(shown) + (at < text.size() ? "..." : "");
}

int32_t Used(NumberUse use, int32_t number)
{
    switch (use) {
    case UseLowByte:
        return static_cast<uint8_t>(number);
    case UseNonZero:
        return number != 0;
    case UseLowByteNonZero:
        return static_cast<uint8_t>(number) != 0;
    case UseMethod:
        return number == FlexBeam || number == StraightBeam ? number : 0;
    default:
        return number;
    }
}

// What is wrong with the value of key, or empty.
std::string CheckNumber(const ProfileDocument& document, const ProfileNames& names, SettingKey key)
{
    for (const NumberRule& rule : NumberRules) {
        if (rule.key != key)
            continue;
        bool whole = true;
        int32_t number = static_cast<int32_t>(GetProfileNumber(&document, names.section, names.keys[key], 0, &whole));
        const std::string uses = ": the program uses " + std::to_string(Used(rule.use, number));
        if (!whole)
            return "not a number" + uses;
        if (number < rule.low || number > rule.high)
            return "outside " + std::to_string(rule.low) + ".." + std::to_string(rule.high) + uses;
    }
    return std::string();
}

std::u16string Folded(const std::u16string& name)
{
    std::u16string folded = name;
    for (char16_t& c : folded)
        if (c >= UpperA && c <= UpperZ)
            c += CaseOffset;
    return folded;
}

// The settings a mistyped key may have meant: those whose name holds it, or
// that it holds, for "Color" the three channels.
std::string Likely(const std::u16string& name, const std::vector<std::u16string>& keys)
{
    std::string likely;
    const std::u16string folded = Folded(name);
    for (const std::u16string& key : keys) {
        const std::u16string candidate = Folded(key);
        if (folded.size() >= LeastLikelyName && (candidate.find(folded) != std::u16string::npos ||
                                                 folded.find(candidate) != std::u16string::npos))
            likely += (likely.empty() ? "" : "/") + Shown(key);
    }
    return likely.empty() ? "no such key" : "no such key: perhaps " + likely;
}

// What is wrong with one line of the section, or empty.
std::string CheckLine(const ProfileDocument& document, const ProfileNames& names,
                      const std::vector<std::u16string>& keys, const ProfileKey& line, std::vector<bool>* seen)
{
    if (!line.hasValue)
        return Shown(line.name) + " (no \"=\": not read)";
    const std::string shown = Shown(line.name) + " = " + Shown(line.value);
    for (int key = 0; key < KeyCount; ++key) {
        if (!SameProfileName(line.name, keys[key]))
            continue;
        if ((*seen)[key])
            return shown + " (given again: the first " + Shown(keys[key]) + " is used)";
        (*seen)[key] = true;
        const std::string wrong = CheckNumber(document, names, static_cast<SettingKey>(key));
        return wrong.empty() ? wrong : shown + " (" + wrong + ")";
    }
    return shown + " (" + Likely(line.name, keys) + ")";
}

}  // namespace

std::string CheckSettings(const ProfileDocument& document, const ProfileNames& names)
{
    std::vector<std::u16string> keys;
    for (int key = 0; key < KeyCount; ++key)
        keys.push_back(AnsiToText(names.keys[key]));
    const std::u16string section = AnsiToText(names.section);
    std::vector<std::string> problems;
    // A read sees the first section of the name only.
    for (const ProfileSection& s : document.sections) {
        if (!SameProfileName(s.name, section))
            continue;
        std::vector<bool> seen(KeyCount, false);
        for (const ProfileKey& line : s.keys) {
            if (!line.name.empty() && line.name[0] == CommentMark)
                continue;
            const std::string problem = CheckLine(document, names, keys, line, &seen);
            if (!problem.empty())
                problems.push_back(problem);
        }
        break;
    }
    if (problems.empty())
        return std::string();
    std::string message = names.path;
    for (size_t i = 0; i < problems.size() && i < MostNamedProblems; ++i)
        message += (i == 0 ? ": " : "; ") + problems[i];
    if (problems.size() > MostNamedProblems)
        message += "; and " + std::to_string(problems.size() - MostNamedProblems) + " more";
    return message;
}
