// Fuzzes the profile writer: any file, any change, written out and read in
// again. When the file reads back as the same sections and keys, a plain
// value written under plain names reads back as it was written.
// Input: section, key and value on lines of their own, then the file's bytes.
#include <cctype>
#include <cstdlib>
#include <string>
#include "settings/profile_document.h"
#include "fuzz_lines.h"

static bool IsPlain(const std::string& text)
{
    for (unsigned char c : text)
        if (!std::isalnum(c))
            return false;
    return !text.empty();
}

static bool SameKeys(const ProfileSection& a, const ProfileSection& b)
{
    if (a.name != b.name || a.keys.size() != b.keys.size())
        return false;
    for (size_t i = 0; i < a.keys.size(); ++i)
        if (a.keys[i].name != b.keys[i].name || a.keys[i].hasValue != b.keys[i].hasValue ||
            a.keys[i].value != b.keys[i].value)
            return false;
    return true;
}

static bool SameDocument(const ProfileDocument& a, const ProfileDocument& b)
{
    if (a.encoding != b.encoding || a.sections.size() != b.sections.size())
        return false;
    for (size_t i = 0; i < a.sections.size(); ++i)
        if (!SameKeys(a.sections[i], b.sections[i]))
            return false;
    return true;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzLines input(data, size);
    std::string sectionText, keyText, valueText;
    const char* section = input.Argument(&sectionText);
    const char* key = input.Argument(&keyText);
    const char* value = input.Argument(&valueText);
    if (section == nullptr)
        return 0;
    ProfileDocument document = ParseProfile(input.Rest());
    SetProfileString(&document, section, key, value);
    ProfileDocument again = ParseProfile(SerializeProfile(document));
    if (key == nullptr || value == nullptr || !IsPlain(sectionText) || !IsPlain(keyText) || !IsPlain(valueText) ||
        !SameDocument(document, again))
        return 0;
    ProfileString read = GetProfileString(&again, section, key, "", valueText.size() + 2);
    if (read.written != valueText + '\0')
        std::abort();
    return 0;
}
