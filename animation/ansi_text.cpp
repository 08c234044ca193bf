// Windows-1252 is Latin-1 but for 0x80..0x9F, where it has typographic
// marks and a few letters; the five codes it leaves free stand for the C1
// controls of the same number, as Windows converts them.
#include "animation/ansi_text.h"
#include <cstdint>

namespace {

const unsigned char FirstSpecial = 0x80;
const unsigned char LastSpecial = 0x9F;
const char32_t SpecialCodes[LastSpecial - FirstSpecial + 1] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};
const char32_t ByteLimit = 0x100;
const char Unknown = '?';

char32_t CodeOf(unsigned char byte)
{
    if (byte >= FirstSpecial && byte <= LastSpecial)
        return SpecialCodes[byte - FirstSpecial];
    return byte;
}

void AppendUtf8(std::string* out, char32_t code)
{
    if (code < 0x80) {
        out->push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out->push_back(static_cast<char>(0xC0 | code >> 6));
        out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xE0 | code >> 12));
        out->push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

char ByteOf(char32_t code)
{
    for (unsigned byte = FirstSpecial; byte <= LastSpecial; ++byte)
        if (SpecialCodes[byte - FirstSpecial] == code)
            return static_cast<char>(byte);
    if (code < ByteLimit && !(code >= FirstSpecial && code <= LastSpecial))
        return static_cast<char>(code);
    return Unknown;
}

// The length of the UTF-8 sequence that starts with lead, 0 for a byte that
// starts none.
int SequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

}  // namespace

std::string AnsiToUtf8(const char* text, int length)
{
    std::string out;
    for (int i = 0; i < length; ++i)
        AppendUtf8(&out, CodeOf(static_cast<unsigned char>(text[i])));
    return out;
}

std::string Utf8ToAnsi(const std::string& text)
{
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        int length = SequenceLength(lead);
        char32_t code = length > 1 ? lead & (0xFF >> (length + 1)) : lead;
        bool whole = length > 0 && i + length <= text.size();
        for (int k = 1; whole && k < length; ++k) {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            whole = (next & 0xC0) == 0x80;
            code = code << 6 | (next & 0x3F);
        }
        // An overlong form (a short code spelt long) is no UTF-8 either.
        whole = whole && !(length == 3 && code < 0x800) && !(length == 4 && code < 0x10000);
        out.push_back(whole ? ByteOf(code) : Unknown);
        i += whole ? length : 1;
    }
    return out;
}
