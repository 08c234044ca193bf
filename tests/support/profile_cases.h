// The table of private-profile cases (tests/profile_cases.txt) and what the
// profile functions do with each: the same code runs the system's functions
// under Windows and the program's own elsewhere, on a real file per case, and
// writes the same observation text, so two runs compare line by line.
#pragma once
#include <string>
#include <vector>

struct ProfileCase {
    std::string name;
    bool hasFile = false;       // a file with these bytes exists before the call
    std::string bytes;
    std::string call;           // "get", "int" or "write"
    bool isNull[3] = {false, false, false};
    std::string arguments[3];   // section, key, then default or value
    long number = 0;            // get: the buffer's size; int: the default
    int line = 0;               // where the case starts in the table
};

// Reads the table; on a malformed line returns false with a message in error.
bool ParseProfileCases(const std::string& text, std::vector<ProfileCase>* cases, std::string* error);

// A digest of the table's text that ties an observation file to the table.
std::string ProfileTableDigest(const std::string& text);

// Runs one case on a file of its own in folder and returns what was seen:
// the return value, every byte of the caller's buffer and of a guard past it,
// and the file's bytes afterwards.
std::string ObserveProfileCase(const ProfileCase& c, const std::string& folder, int serial);

// count copies of piece, as the table's "piece" * count.
std::string RepeatBytes(const std::string& piece, long count);

// Bytes as one quoted line: printable ASCII as is, everything else escaped.
std::string EscapeBytes(const std::string& bytes);

bool ReadWholeFile(const std::string& path, std::string* bytes);
bool WriteWholeFile(const std::string& path, const std::string& bytes);
