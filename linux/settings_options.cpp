// Command-line options of the native commands. The settings options write
// the same record, in the same units, as the settings file; a value that
// does not parse leaves the setting as it was and says why.
#include "linux/settings_options.h"
#include <cctype>
#include <cstdio>
#include <cstring>
#include "linux/host_text.h"
#include "settings/profile_encoding.h"
#include "animation/beams.h"
#include "version.h"

namespace {

const char OptionsEnd[] = "--";
const char ValueSeparator = '=';
const char ColorPrefix = '#';
const int ColorDigits = 6;
const int HexBase = 16;
const int DecimalBase = 10;
// Beyond every range a caller asks for, and far from the end of int64_t.
const int64_t NumberCeiling = 1000000000000000;
// FreeType sizes a face up to 65535 pixels to the em; a larger one draws
// nothing. A cell of 65535 pixels has a smaller em in every common face.
const int64_t MostFontHeight = 65535;
// Weights run from 1 (thin) to 1000 (black); 0 asks for the face's regular one.
const int64_t MostWeight = 1000;

struct MethodName {
    const char* name;
    DrawMethod method;
};
const MethodName MethodNames[] = {
    {"lumivane", MethodLumivane}, {"flexbeam", MethodFlexBeam}, {"straightbeam", MethodStraightBeam}};

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool TakeNumber(CommandLine* line, const Argument& option, int64_t low, int64_t high, int64_t* number,
                std::string* error)
{
    std::string value;
    if (!TakeValue(line, option, &value, error))
        return false;
    if (ParseNumber(value, low, high, number))
        return true;
    *error = "--" + option.name + " wants a whole number from " + std::to_string(low) + " to " +
             std::to_string(high) + ", not \"" + value + "\"";
    return false;
}

// Text from the command line is UTF-8, as the record keeps it: cut to the
// field's characters, whole ones.
void CopyField(const std::string& utf8, char* field, int capacity, int characters)
{
    std::string cut = CutUtf8(utf8, characters, capacity - 1);
    std::memcpy(field, cut.c_str(), cut.size() + 1);
}

}  // namespace

bool ReadArgument(CommandLine* line, Argument* argument)
{
    if (line->next >= line->count)
        return false;
    const char* text = line->arguments[line->next++];
    argument->hasValue = false;
    argument->name.clear();
    argument->text.clear();
    if (!line->optionsEnded && std::strcmp(text, OptionsEnd) == 0) {
        line->optionsEnded = true;
        return ReadArgument(line, argument);
    }
    argument->isOption = !line->optionsEnded && text[0] == '-' && text[1] != '\0';
    if (!argument->isOption) {
        argument->text = text;
        return true;
    }
    std::string name = text + (text[1] == '-' ? 2 : 1);
    size_t separator = name.find(ValueSeparator);
    if (separator != std::string::npos) {
        argument->text = name.substr(separator + 1);
        argument->hasValue = true;
        name.resize(separator);
    }
    argument->name = name;
    return true;
}

bool TakeValue(CommandLine* line, const Argument& option, std::string* value, std::string* error)
{
    if (option.hasValue) {
        *value = option.text;
        return true;
    }
    if (line->next >= line->count) {
        *error = "--" + option.name + " needs a value";
        return false;
    }
    *value = line->arguments[line->next++];
    return true;
}

bool ParseNumber(const std::string& text, int64_t low, int64_t high, int64_t* value)
{
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    if (i == text.size())
        return false;
    int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return false;
        magnitude = magnitude * DecimalBase + (text[i] - '0');
        if (magnitude > NumberCeiling)
            return false;
    }
    int64_t number = negative ? -magnitude : magnitude;
    if (number < low || number > high)
        return false;
    *value = number;
    return true;
}

bool ParseColor(const std::string& text, Color* color)
{
    size_t start = !text.empty() && text[0] == ColorPrefix ? 1 : 0;
    if (text.size() - start != ColorDigits)
        return false;
    uint32_t rgb = 0;
    for (size_t i = start; i < text.size(); ++i) {
        if (!std::isxdigit(static_cast<unsigned char>(text[i])))
            return false;
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
        rgb = rgb * HexBase + static_cast<uint32_t>(std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : c - 'a' + 10);
    }
    *color = MakeColor(static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb));
    return true;
}

bool ParseMethod(const std::string& text, int32_t* method)
{
    const std::string name = Lower(text);
    for (const MethodName& m : MethodNames) {
        if (name == m.name) {
            *method = m.method;
            return true;
        }
    }
    return false;
}

const char* NameOfMethod(int32_t method)
{
    for (const MethodName& m : MethodNames)
        if (m.method == method)
            return m.name;
    return nullptr;
}

SettingOutcome ApplySettingOption(CommandLine* line, const Argument& option, SaverState* state, std::string* error)
{
    const std::string& name = option.name;
    std::string value;
    int64_t number = 0;
    if (name == "text" || name == "font") {
        if (!TakeValue(line, option, &value, error))
            return SettingRejected;
        if (name == "text")
            CopyField(TextAsTyped(value), state->text, TextCapacity, TextCharacters);
        else
            CopyField(value, state->logFont.lfFaceName, LF_FACESIZE, FaceNameCharacters);
        return SettingTaken;
    }
    if (name == "height" || name == "speed") {
        const bool height = name == "height";
        if (!TakeNumber(line, option, height ? -MostFontHeight : INT32_MIN, height ? MostFontHeight : INT32_MAX,
                        &number, error))
            return SettingRejected;
        (height ? state->logFont.lfHeight : state->speed) = static_cast<int32_t>(number);
        return SettingTaken;
    }
    if (name == "weight") {
        if (!TakeNumber(line, option, 0, MostWeight, &number, error))
            return SettingRejected;
        state->logFont.lfWeight = static_cast<int32_t>(number);
        return SettingTaken;
    }
    if (name == "italic" || name == "no-italic" || name == "cycle" || name == "no-cycle") {
        if (option.hasValue) {
            *error = "--" + name + " takes no value";
            return SettingRejected;
        }
        if (name == "italic" || name == "no-italic")
            state->logFont.lfItalic = name == "italic" ? 1 : 0;
        else
            state->cycle = name == "cycle" ? 1 : 0;
        return SettingTaken;
    }
    if (name == "color" || name == "method") {
        if (!TakeValue(line, option, &value, error))
            return SettingRejected;
        bool parsed = name == "color" ? ParseColor(value, &state->color) : ParseMethod(value, &state->method);
        if (!parsed) {
            *error = name == "color" ? "--color wants #RRGGBB, not \"" + value + "\""
                                     : "--method wants lumivane, flexbeam or straightbeam, not \"" + value + "\"";
            return SettingRejected;
        }
        return SettingTaken;
    }
    return NotASetting;
}

bool AnswerHelpOrVersion(const std::string& name, const char* program, const char* usage, const char* ownOptions)
{
    if (name == "help" || name == "h")
        std::printf("%s%s%s", usage, SettingOptionsHelp, ownOptions);
    else if (name == "version")
        std::printf("%s %s\n", program, LumivaneVersion);
    else
        return false;
    return true;
}

const char SettingOptionsHelp[] =
    "  --text TEXT        the words to show (default Lumivane)\n"
    "  --font FACE        the font face (default arial)\n"
    "  --height N         negative: character height in pixels; positive: cell\n"
    "                     height; from -65535 to 65535 (default -72)\n"
    "  --weight N         0 regular, 400 normal, 700 bold (default 0)\n"
    "  --italic, --no-italic  italic letters, or upright ones (default upright)\n"
    "  --color #RRGGBB    the text colour (default #FFFFFF)\n"
    "  --cycle, --no-cycle  cycle the colour through the hues, or keep it (default cycle)\n"
    "  --speed N          how fast the beams move (default 2)\n"
    "  --method NAME      lumivane, flexbeam or straightbeam (default lumivane)\n";
