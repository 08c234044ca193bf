// A file written whole or not at all: the bytes go to a hidden temporary
// file in the same folder, which takes the real name only once complete. If
// the process is interrupted by a signal, the temporary file is removed.
#pragma once
#include <string>

struct OutputFile {
    std::string path;
    std::string temporaryPath;
    int descriptor;                     // -1 when not open
};

// Creates the temporary file beside path. False, with an error, when the
// folder cannot take it.
bool OpenOutputFile(const std::string& path, OutputFile* file, std::string* error);

// Flushes the bytes to disk and gives the file its real name.
bool CommitOutputFile(OutputFile* file, std::string* error);

// Removes the temporary file; safe to call after a commit.
void AbandonOutputFile(OutputFile* file);
