// The encodings a private profile file may come in, and the conversions the
// system's "A" profile functions make: a file is read whole into UTF-16 and
// written back whole in the encoding it came in; names and values cross the
// "A" functions in code page 1252.
#pragma once
#include <string>

enum ProfileEncoding {
    ProfileAnsi,      // code page 1252 bytes, no mark (a new or empty file)
    ProfileUtf8,      // after the mark EF BB BF
    ProfileUtf16Le,   // after the mark FF FE
    ProfileUtf16Be    // after the mark FE FF
};

// The encoding of a file's bytes, from its mark alone, and its text. Bytes
// that are not valid UTF-8 read as U+FFFD; a last odd byte of UTF-16 reads as
// the character of that byte.
ProfileEncoding DecodeProfileText(const std::string& bytes, std::u16string* text);

// The bytes of a file holding text in encoding, mark first. A character the
// code page lacks becomes its nearest byte or "?"; a lone surrogate in UTF-8
// becomes U+FFFD.
std::string EncodeProfileText(const std::u16string& text, ProfileEncoding encoding);

// A NUL-terminated "A" string as UTF-16, and UTF-16 back as "A" bytes.
std::u16string AnsiToText(const char* ansi);
std::string TextToAnsi(const std::u16string& text);

// "A" text as UTF-8 without a mark, and UTF-8 as "A" text: the forms in
// which cairo and terminals take the saver's text.
std::string AnsiToUtf8(const std::string& ansi);
std::string Utf8ToAnsi(const std::string& utf8);

// The longest start of utf8 of at most characters characters and at most
// bytes bytes that ends between two characters (any byte that does not
// continue a character starts one).
std::string CutUtf8(const std::string& utf8, size_t characters, size_t bytes);
