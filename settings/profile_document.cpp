// The rules of the system's private profile functions over a file's text.
// The "A" functions convert names and values to UTF-16 and back in code page
// 1252, one byte to one character, so counts are the same on both sides.
#include "settings/profile_document.h"
#include <algorithm>
#include <climits>
#include <cstring>

namespace {

const char16_t SectionOpen = u'[';
const char16_t SectionClose = u']';
const char16_t Equals = u'=';
const char16_t CarriageReturn = u'\r';
const char16_t LineFeed = u'\n';
const char16_t Tab = u'\t';
const char16_t Space = u' ';
const char16_t DosEndOfFile = 0x1A;
const char16_t Nul = 0;
const char16_t DoubleQuote = u'"';
const char16_t SingleQuote = u'\'';
const char16_t CommentMark = u';';
const char16_t Plus = u'+';
const char16_t Minus = u'-';
const char16_t Zero = u'0';
const char16_t Nine = u'9';
const char16_t LowerA = u'a';
const char16_t LowerZ = u'z';
const char16_t UpperA = u'A';
const char16_t UpperZ = u'Z';
const unsigned DecimalBase = 10;
const unsigned LetterDigitBase = 10;

// Base prefixes the system's number reader knows after a "0".
struct BasePrefix {
    char16_t letter;
    unsigned base;
};
const BasePrefix BasePrefixes[] = {{u'b', 2}, {u'o', 8}, {u'x', 16}};

// The system reads a number through a buffer of this many characters.
const unsigned long NumberCapacity = 30;

// A buffer larger than any value: a read through it cuts nothing.
const unsigned long WholeValue = ULONG_MAX;

// A list ends with an extra NUL; the room a listing keeps for the two.
const unsigned long ListTerminators = 2;

bool IsBlank(char16_t c) { return (c >= Tab && c <= CarriageReturn) || c == DosEndOfFile || c == Space; }
bool IsLineEnd(char16_t c) { return c == CarriageReturn || c == LineFeed; }

char16_t FoldAsciiCase(char16_t c) { return (c >= UpperA && c <= UpperZ) ? c - UpperA + LowerA : c; }

// A name or value as the system keeps it: a string ends at its first NUL.
std::u16string UpToNul(const char16_t* begin, const char16_t* end)
{
    return std::u16string(begin, std::find(begin, end, Nul));
}

std::u16string TrimLeading(const std::u16string& s)
{
    size_t start = 0;
    while (start < s.size() && IsBlank(s[start]))
        ++start;
    return s.substr(start);
}

std::u16string Trim(const std::u16string& s)
{
    std::u16string t = TrimLeading(s);
    while (!t.empty() && IsBlank(t.back()))
        t.pop_back();
    return t;
}

// A value as a read returns it into a buffer of size characters: cut to
// size - 1, one pair of matching outer quotes gone. When the quoted value
// reaches the buffer's size the system drops one more character.
std::u16string CopyEntry(const std::u16string& value, unsigned long size)
{
    size_t start = 0;
    bool quoted = value.size() > 1 && (value[0] == DoubleQuote || value[0] == SingleQuote) &&
                  value.back() == value[0];
    if (quoted)
        start = 1;
    size_t rest = value.size() - start;
    std::u16string out = value.substr(start, std::min<size_t>(rest, size - 1));
    if (quoted && size >= rest && !out.empty())
        out.pop_back();
    return out;
}

// The system's lookup: the names without their blanks; only the first
// section of the name is searched.
const ProfileKey* FindKey(const ProfileDocument& document, const std::u16string& section, const std::u16string& key)
{
    std::u16string sectionName = Trim(section);
    std::u16string keyName = Trim(key);
    for (const ProfileSection& s : document.sections) {
        if (!SameProfileName(s.name, sectionName))
            continue;
        for (const ProfileKey& k : s.keys)
            if (SameProfileName(k.name, keyName))
                return &k;
        return nullptr;
    }
    return nullptr;
}

// The keys of the first section named exactly section, each followed by a
// NUL, as many as fit in size characters with the list's end; comments and
// lines without "=" left out. Only the first returned characters count.
std::u16string ListKeys(const ProfileDocument& document, const std::u16string& section, unsigned long size)
{
    // Too small even for the list's end: the system answers with the default.
    if (size < ListTerminators)
        return std::u16string();
    for (const ProfileSection& s : document.sections) {
        if (!SameProfileName(s.name, section))
            continue;
        std::u16string list;
        unsigned long room = size;
        for (const ProfileKey& k : s.keys) {
            if (room <= ListTerminators)
                break;
            if (!k.hasValue || (!k.name.empty() && k.name[0] == CommentMark))
                continue;
            std::u16string name = k.name.substr(0, room - ListTerminators);
            list += name;
            list.push_back(Nul);
            room -= name.size() + 1;
            if (room < ListTerminators)
                break;
        }
        // A list cut short ends one character earlier, in two NULs.
        if (room <= 1)
            list.resize(size - ListTerminators);
        return list;
    }
    return std::u16string();
}

// The names of all sections, the same way; a name that does not fit is cut
// so that the list still ends in two NULs.
std::u16string ListSections(const ProfileDocument& document, unsigned long size)
{
    std::u16string list;
    if (size <= 1)
        return list;
    unsigned long room = size - 1;
    for (const ProfileSection& s : document.sections) {
        if (s.name.empty())
            continue;
        unsigned long needed = s.name.size() + 1;
        if (needed >= room) {
            list += s.name.substr(0, room - 1);
            return list.substr(0, size - ListTerminators);
        }
        list += s.name;
        list.push_back(Nul);
        room -= needed;
    }
    return list;
}

std::u16string OrEmpty(const char* ansi) { return ansi != nullptr ? AnsiToText(ansi) : std::u16string(); }

// GetPrivateProfileStringW's answer: the characters before its count.
std::u16string ReadText(const ProfileDocument* document, const char* section, const char* key,
                        std::u16string fallback, unsigned long size)
{
    if (section == nullptr)
        return document != nullptr ? ListSections(*document, size) : std::u16string();
    if (key == nullptr) {
        std::u16string list = document != nullptr ? ListKeys(*document, AnsiToText(section), size) : u"";
        return (list.empty() || list[0] == Nul) ? CopyEntry(fallback, size) : list;
    }
    // Trailing spaces (spaces alone) leave the default, all but its first
    // character at most.
    while (fallback.size() > 1 && fallback.back() == Space)
        fallback.pop_back();
    if (document == nullptr)
        return fallback.substr(0, size - 1);
    const ProfileKey* found = FindKey(*document, AnsiToText(section), AnsiToText(key));
    return CopyEntry(found != nullptr && found->hasValue ? found->value : fallback, size);
}

int DigitValue(char16_t c)
{
    if (c >= Zero && c <= Nine)
        return c - Zero;
    if (c >= UpperA && c <= UpperZ)
        return c - UpperA + LetterDigitBase;
    if (c >= LowerA && c <= LowerZ)
        return c - LowerA + LetterDigitBase;
    return -1;
}

// The system's number reader: control characters and blanks, one sign, a
// base prefix, then digits of the base; the value wraps at 32 bits. whole
// tells whether it took at least one digit and then every character.
unsigned ParseNumber(const std::u16string& text, bool* whole)
{
    size_t at = 0;
    size_t end = std::find(text.begin(), text.end(), Nul) - text.begin();
    while (at < end && text[at] <= Space)
        ++at;
    bool negative = false;
    if (at < end && (text[at] == Minus || text[at] == Plus))
        negative = text[at++] == Minus;
    unsigned base = DecimalBase;
    if (at + 1 < end && text[at] == Zero)
        for (const BasePrefix& prefix : BasePrefixes)
            if (text[at + 1] == prefix.letter) {
                base = prefix.base;
                at += 2;
                break;
            }
    unsigned value = 0;
    size_t digits = at;
    for (; at < end; ++at) {
        int digit = DigitValue(text[at]);
        if (digit < 0 || static_cast<unsigned>(digit) >= base)
            break;
        value = value * base + static_cast<unsigned>(digit);
    }
    *whole = at > digits && at == text.size();
    return negative ? 0u - value : value;
}
// Sets the value of a key, found as a read finds it; a new key goes to the
// end of the first section of the name, a new section to the end of the
// file. A new name keeps its trailing blanks, a value loses its leading ones.
bool SetValue(ProfileDocument* document, const std::u16string& sectionName, const std::u16string& keyName,
              const std::u16string& value)
{
    std::vector<ProfileSection>& sections = document->sections;
    ProfileKey* target = nullptr;
    std::u16string wantedSection = Trim(sectionName);
    std::u16string wantedKey = Trim(keyName);
    for (ProfileSection& s : sections) {
        if (!SameProfileName(s.name, wantedSection))
            continue;
        for (ProfileKey& k : s.keys)
            if (SameProfileName(k.name, wantedKey)) {
                target = &k;
                break;
            }
        if (target == nullptr) {
            s.keys.emplace_back();
            target = &s.keys.back();
            target->name = TrimLeading(keyName);
        }
        break;
    }
    if (target == nullptr) {
        sections.emplace_back();
        sections.back().name = TrimLeading(sectionName);
        sections.back().keys.emplace_back();
        target = &sections.back().keys.back();
        target->name = TrimLeading(keyName);
    }
    std::u16string newValue = TrimLeading(value);
    if (target->hasValue && target->value == newValue)
        return false;
    target->hasValue = true;
    target->value = newValue;
    return true;
}

} // namespace

bool SameProfileName(const std::u16string& a, const std::u16string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldAsciiCase(a[i]) != FoldAsciiCase(b[i]))
            return false;
    return true;
}

ProfileDocument ParseProfile(const std::string& bytes, MarklessBytes markless)
{
    ProfileDocument document;
    std::u16string text;
    document.encoding = DecodeProfileText(bytes, &text, markless);
    document.sections.emplace_back();
    // A key without a name is dropped right after another one without a name.
    bool afterKey = false;
    bool lastKeyNamed = false;
    const char16_t* data = text.data();
    size_t at = 0;
    while (at < text.size()) {
        size_t start = at;
        while (at < text.size() && !IsLineEnd(text[at]))
            ++at;
        while (at < text.size() && IsLineEnd(text[at]))
            ++at;
        size_t end = at;
        while (start < end && IsBlank(text[start]))
            ++start;
        while (end > start && IsBlank(text[end - 1]))
            --end;
        if (start == end)
            continue;
        if (text[start] == SectionOpen) {
            size_t close = end;
            while (close > start + 1 && text[close - 1] != SectionClose)
                --close;
            if (close > start + 1) {
                ProfileSection section;
                size_t nameStart = start + 1;
                size_t nameEnd = close - 1;
                while (nameStart < nameEnd && IsBlank(text[nameStart]))
                    ++nameStart;
                while (nameEnd > nameStart && IsBlank(text[nameEnd - 1]))
                    --nameEnd;
                section.name = UpToNul(data + nameStart, data + nameEnd);
                document.sections.push_back(section);
                afterKey = false;
                continue;
            }
        }
        size_t equals = std::find(text.begin() + start, text.begin() + end, Equals) - text.begin();
        ProfileKey key;
        size_t nameEnd = end;
        if (equals < end) {
            nameEnd = equals;
            while (nameEnd > start && IsBlank(text[nameEnd - 1]))
                --nameEnd;
            size_t valueStart = equals + 1;
            while (valueStart < end && IsBlank(text[valueStart]))
                ++valueStart;
            key.hasValue = true;
            key.value = UpToNul(data + valueStart, data + end);
        }
        if (nameEnd == start && afterKey && !lastKeyNamed)
            continue;
        key.name = UpToNul(data + start, data + nameEnd);
        document.sections.back().keys.push_back(key);
        afterKey = true;
        lastKeyNamed = !key.name.empty();
    }
    return document;
}

// The file's text as a write leaves it.
static std::u16string ProfileText(const ProfileDocument& document)
{
    const char16_t lineEnd[] = {CarriageReturn, LineFeed, Nul};
    std::u16string text;
    for (const ProfileSection& section : document.sections) {
        if (!section.name.empty())
            text += SectionOpen + section.name + SectionClose + lineEnd;
        for (const ProfileKey& key : section.keys) {
            text += key.name;
            if (key.hasValue)
                text += Equals + key.value;
            text += lineEnd;
        }
    }
    return text;
}

std::string SerializeProfile(const ProfileDocument& document)
{
    return EncodeProfileText(ProfileText(document), document.encoding);
}

std::string SerializeProfileForAnyText(const ProfileDocument& document)
{
    const std::u16string text = ProfileText(document);
    if (document.encoding != ProfileAnsi && document.encoding != ProfileUtf8WithoutMark)
        return EncodeProfileText(text, document.encoding);
    // The round trip also catches 1252 text whose bytes would read as UTF-8
    // or start with a mark.
    const std::string ansi = EncodeProfileText(text, ProfileAnsi);
    std::u16string back;
    DecodeProfileText(ansi, &back, MarklessUtf8OrAnsi);
    return back == text ? ansi : EncodeProfileText(text, ProfileUtf8);
}

ProfileString GetProfileString(const ProfileDocument* document, const char* section, const char* key,
                               const char* defaultValue, unsigned long size)
{
    ProfileString result;
    if (size == 0)
        return result;
    std::u16string text = ReadText(document, section, key, OrEmpty(defaultValue), size);
    result.count = text.size();
    result.written = TextToAnsi(text);
    result.written.push_back('\0');
    return result;
}

unsigned long CopyProfileString(const ProfileDocument* document, const char* section, const char* key,
                                const char* defaultValue, char* buffer, unsigned long size)
{
    ProfileString result = GetProfileString(document, section, key, defaultValue, size);
    std::memcpy(buffer, result.written.data(), result.written.size());
    return result.count;
}

std::u16string GetProfileText(const ProfileDocument* document, const char* section, const char* key,
                              const std::u16string& defaultValue)
{
    return ReadText(document, section, key, defaultValue, WholeValue);
}

unsigned GetProfileNumber(const ProfileDocument* document, const char* section, const char* key, int defaultValue,
                          bool* whole)
{
    std::u16string text = ReadText(document, section, key, std::u16string(), NumberCapacity);
    bool taken = true;
    unsigned number = static_cast<unsigned>(defaultValue);
    if (!text.empty() && text[0] != Nul)
        number = ParseNumber(text, &taken);
    if (whole != nullptr)
        *whole = taken;
    return number;
}

bool SetProfileString(ProfileDocument* document, const char* section, const char* key, const char* value)
{
    std::u16string sectionName = AnsiToText(section);
    std::vector<ProfileSection>& sections = document->sections;
    if (key == nullptr) {
        // The first section of exactly that name goes, with its keys.
        for (size_t i = 0; i < sections.size(); ++i)
            if (SameProfileName(sections[i].name, sectionName)) {
                sections.erase(sections.begin() + i);
                return true;
            }
        return false;
    }
    std::u16string keyName = AnsiToText(key);
    if (value == nullptr) {
        // The first key of exactly that name, in any section of the name.
        for (ProfileSection& s : sections) {
            if (!SameProfileName(s.name, sectionName))
                continue;
            for (size_t i = 0; i < s.keys.size(); ++i)
                if (SameProfileName(s.keys[i].name, keyName)) {
                    s.keys.erase(s.keys.begin() + i);
                    return true;
                }
        }
        return false;
    }
    return SetValue(document, sectionName, keyName, AnsiToText(value));
}

bool SetProfileText(ProfileDocument* document, const char* section, const char* key, const std::u16string& value)
{
    return SetValue(document, AnsiToText(section), AnsiToText(key), value);
}
