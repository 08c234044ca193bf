// The system's private profile (INI file) functions under their Windows
// names, so that the settings code calls the same functions on every system.
// On Windows they are the system's own. Elsewhere they are the program's, and
// behave as Windows' do, byte for byte, on whatever a file holds: bytes of
// the ANSI code page (1252; UTF-8 without a byte-order mark reads as such),
// UTF-8 or UTF-16 after a byte-order mark; read whole on every call, and
// written whole, in the encoding it came in, when a call changes it.
//
// Where they differ, they do better: a write replaces the file through a
// temporary file in the same folder and a rename, so a failure never leaves it
// half written; it keeps the file's mode; on a read-only file or folder (no
// write bit set, whoever runs the program) it fails and leaves the file alone.
// A folder, FIFO or device counts as a file that cannot be read, and is
// opened without blocking.
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
// or defaultValue (less its trailing spaces; empty when null) when the file,
// section or key is missing, without one pair of matching outer quotes.
// Returns the number of bytes before the NUL: at most size - 1. A null key
// lists the section's keys, a null section the file's sections, each name
// followed by a NUL and the list by another.
DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer,
                               DWORD size, LPCSTR path);

// The value of key in section as an integer: after control characters and
// blanks, one sign, then decimal digits, or hexadecimal, octal or binary ones
// after "0x", "0o" or "0b", up to the first other character; 32-bit
// arithmetic that wraps. defaultValue when the file, section or key is
// missing or the value empty.
UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR path);

// Sets key in section to value (less its leading blanks), adding the file,
// the section (at the file's end) or the key (at its section's end) as
// needed. A null value deletes the key, a null key the whole section.
// Returns nonzero on success, also when nothing needed to change.
BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR path);

#endif
