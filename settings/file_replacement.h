// A file replaced whole: the bytes go to a new file beside the target, named
// with a leading dot so that nobody takes a left-over for the real thing,
// which takes the target's name only once it is complete and on disk. A
// reader, and a failure at any moment, see the old file (or none), never
// half of the new one. POSIX only.
#pragma once
#include <cstddef>
#include <string>

struct FileReplacement {
    std::string target;
    std::string temporary;              // the new file while it is written
    int descriptor;                     // -1 once closed
};

// The folder a path names a file in: "." for a bare name.
std::string FolderOf(const std::string& path);

// Creates the new file beside target, with the mode any new file gets (0666
// less the umask). False when the folder cannot take it; errno says why.
bool BeginReplacement(const std::string& target, FileReplacement* replacement);

// Writes all size bytes of data; false on a write error.
bool WriteWhole(int descriptor, const void* data, size_t size);

// Flushes the new file to disk, closes it, renames it over the target and
// makes the rename itself durable. On failure the new file is removed and
// the target is as it was.
bool FinishReplacement(FileReplacement* replacement);

// Closes and removes the new file; safe to call after either end.
void AbandonReplacement(FileReplacement* replacement);
