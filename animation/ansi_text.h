// Text of the Windows ANSI code page (Windows-1252), in which the settings
// keep the saver's text on every system, and its UTF-8 form, which cairo and
// terminals speak. Pure logic.
#pragma once
#include <string>

// The UTF-8 form of length bytes of Windows-1252 text.
std::string AnsiToUtf8(const char* text, int length);

// The Windows-1252 form of UTF-8 text; characters the code page lacks, and
// bytes that are no UTF-8, become '?'.
std::string Utf8ToAnsi(const std::string& text);
