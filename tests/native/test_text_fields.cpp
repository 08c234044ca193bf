// Text in the record is UTF-8 on Linux, cut to a field by whole characters:
// never inside one, whatever the count of characters or bytes allows.
#include <gtest/gtest.h>
#include "settings/profile_encoding.h"

TEST(TextFields, CutsByWholeCharacters)
{
    const struct {
        const char* text;
        size_t characters, bytes;
        const char* kept;
    } cases[] = {
        {"Lumivane", 255, 1020, "Lumivane"},
        {"Lumivane", 4, 1020, "Lumi"},
        {"Lumivane", 255, 3, "Lum"},
        {"Grüße", 3, 1020, "Grü"},
        {"Grüße", 255, 3, "Gr"},                        // ü takes two bytes: not half of it
        {"Привет", 2, 1020, "Пр"},
        {"日本語", 255, 8, "日本"},
        {"\xF0\x9F\x98\x80!", 1, 1020, "\xF0\x9F\x98\x80"},  // one character of four bytes
        {"\xF0\x9F\x98\x80!", 255, 3, ""},
        {"a\x80\x80" "b", 2, 1020, "a\x80\x80" "b"},    // stray continuation bytes stay with what they follow
        {"", 255, 1020, ""},
        {"abc", 0, 1020, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.kept, CutUtf8(c.text, c.characters, c.bytes)) << c.text << " " << c.characters << " " << c.bytes;
}
