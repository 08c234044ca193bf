// Conversion between code page 1252 bytes and UTF-16 characters, as the
// system converts them for its "A" functions.
#pragma once

// The character of one byte.
char16_t AnsiToUnicode(unsigned char byte);

// The byte of one character: its own, its nearest, or "?".
char UnicodeToAnsi(char16_t character);
