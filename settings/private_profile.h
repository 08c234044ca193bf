// The system's private profile (INI file) functions under their Windows
// names, so that the settings code calls the same functions on every system.
// On Windows they are the system's own. Elsewhere they are the program's, and
// behave as Windows' do, byte for byte, on whatever a file holds: one file of
// the ANSI code page (1252), of UTF-8 with or without a byte-order mark, or
// of UTF-16 with a byte-order mark, read and written whole on every call.
//
// Where they differ, they do better: a write replaces the file through a
// temporary file in the same folder and a rename, so a failure never leaves it
// half written; it keeps the file's mode; on a read-only file or folder (no
// write bit set, whoever runs the program) it fails and leaves the file alone.
// A path is used as given: a bare name is a file in the current folder.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <stdint.h>

typedef int BOOL;
typedef int INT;
typedef unsigned int UINT;
typedef uint32_t DWORD;
typedef char* LPSTR;
typedef const char* LPCSTR;

// Copies the value of key in section into buffer (size bytes, NUL included),
// or default when the file, section or key is missing (an empty string for a
// null default), without the blanks around it and one pair of matching outer
// quotes. Returns the number of bytes before the NUL; a value cut to fit gives
// size - 1. A null key lists the section's keys, a null section the file's
// sections, each ending in a NUL, the list in two.
DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer,
                               DWORD size, LPCSTR path);

// The value of key in section as a decimal integer after optional blanks and
// sign, ignoring what follows its digits; defaultValue when the file, section
// or key is missing, 0 for a value without digits.
UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR path);

// Sets key in section to value, adding the file, the section (at the file's
// end) or the key (at its section's end) as needed. A null value deletes the
// key, a null key the whole section. Returns nonzero on success.
BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR path);

#endif
