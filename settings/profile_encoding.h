// The encodings a private profile file may come in, and the conversions the
// system's "A" profile functions make: a file is read whole into UTF-16 and
// written back whole in the encoding it came in; names and values cross the
// "A" functions in code page 1252.
#pragma once
#include <string>

enum ProfileEncoding {
    ProfileAnsi,            // code page 1252 bytes, no mark (a new or empty file)
    ProfileUtf8,            // after the mark EF BB BF
    ProfileUtf16Le,         // after the mark FF FE
    ProfileUtf16Be,         // after the mark FE FF
    ProfileUtf8WithoutMark  // valid UTF-8 without a mark, read under MarklessUtf8OrAnsi
};

// How bytes without a mark read: as the system's functions read them, or as
// a Linux editor writes them, falling back to the code page for a file that
// cannot be UTF-8 (one carried from Windows).
enum MarklessBytes {
    MarklessAnsi,
    MarklessUtf8OrAnsi
};

// The encoding of a file's bytes, from its mark (and, without one, from
// markless), and its text. Bytes that are not valid UTF-8 read as U+FFFD; a
// last odd byte of UTF-16 reads as the character of that byte.
ProfileEncoding DecodeProfileText(const std::string& bytes, std::u16string* text,
                                  MarklessBytes markless = MarklessAnsi);

// The bytes of a file holding text in encoding, mark first. A character the
// code page lacks becomes its nearest byte or "?"; a lone surrogate in UTF-8
// becomes U+FFFD.
std::string EncodeProfileText(const std::u16string& text, ProfileEncoding encoding);

// A NUL-terminated "A" string as UTF-16, and UTF-16 back as "A" bytes.
std::u16string AnsiToText(const char* ansi);
std::string TextToAnsi(const std::u16string& text);

// UTF-8 (without a mark), the form of text in the record elsewhere and of
// messages, as UTF-16 and back; broken sequences and lone surrogates become
// U+FFFD.
std::u16string Utf8ToText(const std::string& utf8);
std::string TextToUtf8(const std::u16string& text);

// The longest start of utf8 of at most characters characters and at most
// bytes bytes that ends between two characters (any byte that does not
// continue a character starts one).
std::string CutUtf8(const std::string& utf8, size_t characters, size_t bytes);
