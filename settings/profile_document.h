// A private profile file as the system's profile functions see it, and what
// each of the three "A" functions makes of it: pure, bytes in and results or
// new bytes out, so that every rule can be run without a file.
//
// The file is read whole: lines end at any run of CR and LF; blanks (tab, LF,
// VT, FF, CR, space and ^Z) around a line, a section name, a key and a value
// go; "[name]" up to the line's last "]" starts a section; anything else is a
// key, with its value after the first "=" or none. Names match without regard
// to ASCII case; the first section of a name holds the keys a read sees.
// A write rewrites the whole file in its own encoding, one "key=value" per
// line, CR LF after each; empty lines, blanks and text after "]" are gone.
#pragma once
#include <string>
#include <vector>
#include "settings/profile_encoding.h"

struct ProfileKey {
    std::u16string name;
    bool hasValue = false;      // false for a line without "="
    std::u16string value;
};

struct ProfileSection {
    std::u16string name;        // empty for the keys before the first section
    std::vector<ProfileKey> keys;
};

struct ProfileDocument {
    ProfileEncoding encoding = ProfileAnsi;
    std::vector<ProfileSection> sections;   // the nameless one first
};

// markless says how bytes without a mark read: as the system's functions
// read them (the code page), or as the settings on Linux read them.
ProfileDocument ParseProfile(const std::string& bytes, MarklessBytes markless = MarklessAnsi);
std::string SerializeProfile(const ProfileDocument& document);
// The bytes of document for a reader under MarklessUtf8OrAnsi, which reads
// them back as the same text: in the document's encoding when it came with a
// mark; else in code page 1252 without a mark when its text fits the code
// page and reads back the same (as the system's functions read it, and as
// the Windows program writes a new file), else in UTF-8 after a mark, which
// the system's functions read too.
std::string SerializeProfileForAnyText(const ProfileDocument& document);

// What GetPrivateProfileStringA returns and the bytes it writes to the
// caller's buffer, from the first on (empty when it writes none). A null
// document stands for a file that exists but cannot be read.
struct ProfileString {
    unsigned long count = 0;
    std::string written;
};
ProfileString GetProfileString(const ProfileDocument* document, const char* section, const char* key,
                               const char* defaultValue, unsigned long size);
// The same, written to buffer (size bytes, at least 1) as the function
// writes it; returns the count.
unsigned long CopyProfileString(const ProfileDocument* document, const char* section, const char* key,
                                const char* defaultValue, char* buffer, unsigned long size);

// What GetPrivateProfileStringW returns for key in section (neither null),
// however long the value: the value, one pair of matching outer quotes gone,
// else defaultValue less its trailing spaces.
std::u16string GetProfileText(const ProfileDocument* document, const char* section, const char* key,
                              const std::u16string& defaultValue);

// What GetPrivateProfileIntA returns. whole, when not null, tells whether
// the characters the reader looks at (29 at most, outer quotes gone) were a
// number through and through: blanks, a sign, a base prefix and at least one
// digit of its base, nothing else. A missing or empty value counts as whole.
unsigned GetProfileNumber(const ProfileDocument* document, const char* section, const char* key,
                          int defaultValue, bool* whole = nullptr);

// Whether two names are the same to a lookup: equal but for ASCII case.
bool SameProfileName(const std::u16string& a, const std::u16string& b);

// Applies WritePrivateProfileStringA to document (section is not null).
// Returns whether the file's content changed, and so must be written.
bool SetProfileString(ProfileDocument* document, const char* section, const char* key, const char* value);
// The same for a value given as UTF-16 (section, key and value set).
bool SetProfileText(ProfileDocument* document, const char* section, const char* key, const std::u16string& value);
