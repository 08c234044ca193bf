// A file replaced whole: the bytes go to a new file beside the target, named
// with a leading dot so that nobody takes a left-over for the real thing,
// which takes the target's name only once it is complete and on disk. A
// reader, and a failure at any moment, see the old file (or none), never
// half of the new one. A symbolic link stays: the file it leads to is the
// one replaced, and keeps its mode and owner. POSIX only.
#pragma once
#include <cstddef>
#include <string>

struct FileReplacement {
    std::string target;                 // the file written: the path given, its links followed
    std::string temporary;              // the new file while it is written; empty when writing into the target
    int descriptor;                     // -1 once closed
};

// What a replacement does with a target that is neither a file nor a folder
// (a device, a pipe), which has nothing to rename over.
enum SpecialTarget {
    RefuseSpecial,                      // fail, errno EINVAL
    WriteIntoSpecial                    // write straight into it, as a shell's redirection does
};

// The folder a path names a file in: "." for a bare name.
std::string FolderOf(const std::string& path);

// The file that a write to path reaches: path with its symbolic links
// followed, each relative one from its own folder, to the first name that
// is no link, whether or not it exists (a dangling link's target). False,
// with errno, when a folder on the way cannot be read or the chain is longer
// than the system follows (ELOOP).
bool FollowLinks(const std::string& path, std::string* target);

// Creates the new file beside the file that path reaches, with that file's
// mode (and owner, for the superuser) when it exists, else with the mode any
// new file gets (0666 less the umask). False when the folder cannot take it,
// or the target is a folder; errno says why.
bool BeginReplacement(const std::string& path, SpecialTarget special, FileReplacement* replacement);

// Writes all size bytes of data; false on a write error, errno says which.
bool WriteWhole(int descriptor, const void* data, size_t size);

// Flushes the new file to disk, closes it, renames it over the target and
// makes the rename itself durable (a file system that cannot sync a folder
// keeps it as durable as it can). On failure, errno says why; the new file
// is removed and the target is as it was, unless only the folder's sync
// failed: then the target holds the new bytes, which a crash may undo.
bool FinishReplacement(FileReplacement* replacement);

// Closes and removes the new file; safe to call after either end. Keeps errno.
void AbandonReplacement(FileReplacement* replacement);
