// Decoding and encoding of profile files. The UTF-8 decoder follows the
// system's: a broken sequence becomes one U+FFFD for the bytes it could take
// before the break, a stray byte one U+FFFD of its own, and a sequence cut
// off by the end of the file one U+FFFD for everything left.
#include "settings/profile_encoding.h"
#include "settings/code_page_1252.h"

namespace {

const unsigned char Utf8Mark[] = {0xEF, 0xBB, 0xBF};
const unsigned char Utf16LeMark[] = {0xFF, 0xFE};
const unsigned char Utf16BeMark[] = {0xFE, 0xFF};
const char16_t Replacement = 0xFFFD;

const unsigned ContinuationTag = 0x80;
const unsigned ContinuationBits = 6;
const unsigned ContinuationMask = 0x3F;
const char32_t LastCodePoint = 0x10FFFF;
const char32_t FirstSupplementary = 0x10000;
const char32_t ThreeByteFirst = 0x800;
// The tag bits of a lead byte by the number of continuation bytes after it.
const unsigned LeadTags[] = {0x00, 0xC0, 0xE0, 0xF0};
const char16_t HighSurrogateFirst = 0xD800;
const char16_t LowSurrogateFirst = 0xDC00;
const char16_t SurrogateLast = 0xDFFF;
const unsigned SurrogateBits = 10;
const unsigned ByteBits = 8;
const unsigned ByteMask = 0xFF;

bool StartsWith(const std::string& bytes, const unsigned char* mark, size_t length)
{
    return bytes.size() >= length && bytes.compare(0, length, reinterpret_cast<const char*>(mark), length) == 0;
}

// Lead bytes by the number of continuation bytes after them; any other byte
// cannot start a sequence (C0 and C1 only ever start a too-long form).
struct LeadRange {
    unsigned char first;
    unsigned char last;
    unsigned continuations;
};
const LeadRange LeadRanges[] = {{0xC2, 0xDF, 1}, {0xE0, 0xEF, 2}, {0xF0, 0xF4, 3}};

unsigned ContinuationCount(unsigned char lead)
{
    for (const LeadRange& range : LeadRanges)
        if (lead >= range.first && lead <= range.last)
            return range.continuations;
    return 0;
}

// Lead-byte payload masks by the number of continuation bytes.
const unsigned LeadMasks[] = {0x7F, 0x1F, 0x0F, 0x07};
// The least payload, with two or one continuations still to come, of a
// four- or three-byte form that is not too long (U+10000, U+0800).
const char32_t ShortestFourByteStart = FirstSupplementary >> (2 * ContinuationBits);
const char32_t ShortestThreeByteStart = ThreeByteFirst >> ContinuationBits;

// Decodes one sequence from bytes[*at] on; *at moves past what it used.
// Returns the code point, or a value past LastCodePoint for a broken one.
char32_t DecodeSequence(const std::string& bytes, size_t* at)
{
    const char32_t broken = LastCodePoint + 1;
    unsigned char lead = static_cast<unsigned char>(bytes[(*at)++]);
    if (lead < ContinuationTag)
        return lead;
    unsigned count = ContinuationCount(lead);
    if (count == 0)
        return broken;
    if (*at + count > bytes.size()) {
        *at = bytes.size();
        return broken;
    }
    char32_t value = lead & LeadMasks[count];
    for (unsigned remaining = count; remaining-- > 0;) {
        unsigned payload = static_cast<unsigned char>(bytes[*at]) ^ ContinuationTag;
        if (payload > ContinuationMask)
            return broken;
        value = (value << ContinuationBits) | payload;
        // The system's checks, each made as soon as enough bits are in, some
        // before and some after it takes the byte: beyond the last code
        // point, too short a form, a surrogate.
        if (remaining == 1 && value > LastCodePoint >> ContinuationBits)
            return broken;
        ++*at;
        bool overlong = (remaining == 2 && value < ShortestFourByteStart) ||
                        (remaining == 1 && value < ShortestThreeByteStart) ||
                        (remaining == 0 && value < ContinuationTag);
        bool surrogate = remaining == 1 && value >= HighSurrogateFirst >> ContinuationBits &&
                         value <= SurrogateLast >> ContinuationBits;
        if (overlong || surrogate)
            return broken;
    }
    return value;
}

void AppendCodePoint(char32_t code, std::u16string* text)
{
    if (code > LastCodePoint) {
        text->push_back(Replacement);
    } else if (code >= FirstSupplementary) {
        code -= FirstSupplementary;
        text->push_back(static_cast<char16_t>(HighSurrogateFirst + (code >> SurrogateBits)));
        text->push_back(static_cast<char16_t>(LowSurrogateFirst + (code & ((1u << SurrogateBits) - 1))));
    } else {
        text->push_back(static_cast<char16_t>(code));
    }
}

void DecodeUtf16(const std::string& bytes, size_t start, bool bigEndian, std::u16string* text)
{
    size_t at = start;
    for (; at + 1 < bytes.size(); at += 2) {
        unsigned first = static_cast<unsigned char>(bytes[at]);
        unsigned second = static_cast<unsigned char>(bytes[at + 1]);
        text->push_back(static_cast<char16_t>(bigEndian ? (first << ByteBits) | second : (second << ByteBits) | first));
    }
    // The system reads a last odd byte as the low byte of a character whose
    // high byte lies past the file's end in its memory; it is taken as zero.
    if (at < bytes.size())
        text->push_back(static_cast<unsigned char>(bytes[at]));
}

bool IsHighSurrogate(char16_t c) { return c >= HighSurrogateFirst && c < LowSurrogateFirst; }
bool IsLowSurrogate(char16_t c) { return c >= LowSurrogateFirst && c <= SurrogateLast; }

void AppendUtf8(char32_t code, std::string* bytes)
{
    if (code < ContinuationTag) {
        bytes->push_back(static_cast<char>(code));
        return;
    }
    unsigned count = code < ThreeByteFirst ? 1 : code < FirstSupplementary ? 2 : 3;
    bytes->push_back(static_cast<char>(LeadTags[count] | (code >> (ContinuationBits * count))));
    for (unsigned i = count; i-- > 0;)
        bytes->push_back(static_cast<char>(ContinuationTag | ((code >> (ContinuationBits * i)) & ContinuationMask)));
}

void DecodeUtf8(const std::string& bytes, size_t start, std::u16string* text)
{
    for (size_t at = start; at < bytes.size();)
        AppendCodePoint(DecodeSequence(bytes, &at), text);
}

// Whether every sequence of bytes decodes to a character.
bool IsValidUtf8(const std::string& bytes)
{
    for (size_t at = 0; at < bytes.size();)
        if (DecodeSequence(bytes, &at) > LastCodePoint)
            return false;
    return true;
}

void EncodeUtf8(const std::u16string& text, std::string* bytes)
{
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t code = text[i];
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            code = FirstSupplementary + ((code - HighSurrogateFirst) << SurrogateBits) +
                   (text[i + 1] - LowSurrogateFirst);
            ++i;
        } else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
            code = Replacement;
        }
        AppendUtf8(code, bytes);
    }
}

} // namespace

ProfileEncoding DecodeProfileText(const std::string& bytes, std::u16string* text, MarklessBytes markless)
{
    text->clear();
    if (StartsWith(bytes, Utf8Mark, sizeof Utf8Mark)) {
        DecodeUtf8(bytes, sizeof Utf8Mark, text);
        return ProfileUtf8;
    }
    if (StartsWith(bytes, Utf16LeMark, sizeof Utf16LeMark)) {
        DecodeUtf16(bytes, sizeof Utf16LeMark, false, text);
        return ProfileUtf16Le;
    }
    if (StartsWith(bytes, Utf16BeMark, sizeof Utf16BeMark)) {
        DecodeUtf16(bytes, sizeof Utf16BeMark, true, text);
        return ProfileUtf16Be;
    }
    if (markless == MarklessUtf8OrAnsi && IsValidUtf8(bytes)) {
        DecodeUtf8(bytes, 0, text);
        return ProfileUtf8WithoutMark;
    }
    for (unsigned char byte : bytes)
        text->push_back(AnsiToUnicode(byte));
    return ProfileAnsi;
}

std::string EncodeProfileText(const std::u16string& text, ProfileEncoding encoding)
{
    std::string bytes;
    switch (encoding) {
    case ProfileAnsi:
        return TextToAnsi(text);
    case ProfileUtf8:
        bytes.assign(reinterpret_cast<const char*>(Utf8Mark), sizeof Utf8Mark);
        EncodeUtf8(text, &bytes);
        return bytes;
    case ProfileUtf8WithoutMark:
        EncodeUtf8(text, &bytes);
        return bytes;
    case ProfileUtf16Le:
    case ProfileUtf16Be: {
        bool bigEndian = encoding == ProfileUtf16Be;
        bytes.assign(reinterpret_cast<const char*>(bigEndian ? Utf16BeMark : Utf16LeMark), sizeof Utf16LeMark);
        for (char16_t c : text) {
            char high = static_cast<char>(c >> ByteBits);
            char low = static_cast<char>(c & ByteMask);
            bytes.push_back(bigEndian ? high : low);
            bytes.push_back(bigEndian ? low : high);
        }
        return bytes;
    }
    }
    return bytes;
}

std::u16string AnsiToText(const char* ansi)
{
    std::u16string text;
    for (; *ansi != '\0'; ++ansi)
        text.push_back(AnsiToUnicode(static_cast<unsigned char>(*ansi)));
    return text;
}

std::string TextToAnsi(const std::u16string& text)
{
    std::string ansi;
    ansi.reserve(text.size());
    for (char16_t c : text)
        ansi.push_back(UnicodeToAnsi(c));
    return ansi;
}

std::u16string Utf8ToText(const std::string& utf8)
{
    std::u16string text;
    DecodeUtf8(utf8, 0, &text);
    return text;
}

std::string TextToUtf8(const std::u16string& text)
{
    std::string utf8;
    EncodeUtf8(text, &utf8);
    return utf8;
}

std::string CutUtf8(const std::string& utf8, size_t characters, size_t bytes)
{
    // The ends of the first characters: before each byte that starts one,
    // and at the end.
    size_t end = 0, count = 0;
    for (size_t i = 1; i <= utf8.size() && i <= bytes && count < characters; ++i) {
        if (i == utf8.size() || (static_cast<unsigned char>(utf8[i]) & ~ContinuationMask) != ContinuationTag) {
            end = i;
            ++count;
        }
    }
    return utf8.substr(0, end);
}

