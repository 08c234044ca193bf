// The file side of the native profile functions: a profile is read whole,
// and replaced whole so that a failure leaves the old file as it was.
#pragma once
#include <string>

enum ProfileFileState {
    ProfileFileMissing,     // no such file (its folder exists)
    ProfileFileRead,
    ProfileFileUnreadable   // a file that cannot be read, or no such folder
};

ProfileFileState ReadProfileFile(const char* path, std::string* bytes);

// Whether a write may go ahead: the file, when it exists, and its folder
// have a write bit set and are writable by this process. A file or folder
// without write bits counts as read-only even for the superuser.
bool ProfileFileWritable(const char* path);

// Writes bytes to a new file in the same folder, flushed to disk, with the
// old file's mode (and owner, where allowed), then renames it over path; a
// path that is a symbolic link, even one to no file yet, has its target
// replaced (a FileReplacement). Only a file is replaced: a folder, device
// or pipe is refused. On failure the old file is untouched and no new file
// is left behind.
bool ReplaceProfileFile(const char* path, const std::string& bytes);
