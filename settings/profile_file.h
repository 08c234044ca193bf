// The file side of the native profile functions: a profile is read whole
// into its document, and replaced whole so that a failure leaves the old file
// as it was.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include "settings/profile_document.h"

enum ProfileFileState {
    ProfileFileMissing,     // no such file (its folder exists), also a link to none
    ProfileFileRead,
    ProfileFileUnreadable,  // a file that cannot be read, or no such folder
    ProfileFileNotRegular,  // a folder, FIFO, device or socket: never read
    ProfileFileTooLarge     // more bytes than the reader takes
};

// What a read found, and why it read nothing.
struct ProfileFileReport {
    ProfileFileState state;
    int error;              // the system's error number, when unreadable
    unsigned type;          // the file type bits (S_IFMT), when not regular; 0 when unknown
};

// No limit on a file's size: the profile functions read any file whole.
const size_t ProfileFileUnlimited = SIZE_MAX;

// Reads the file at path whole into bytes, when it is a regular file (or a
// link to one) of at most limit bytes. Opening never blocks, on a FIFO without
// a writer or on a device, and never takes a terminal; the type is that of
// what was opened.
ProfileFileReport ReadProfileFile(const char* path, size_t limit, std::string* bytes);

// The document of the file at path as ReadProfileFile reads it, its bytes
// without a mark read as markless says: a missing file reads as an empty
// one; null for any file that cannot be used (a null path too). report, when
// not null, gets what the read found.
const ProfileDocument* LoadProfileDocument(const char* path, size_t limit, ProfileDocument* document,
                                           ProfileFileReport* report, MarklessBytes markless = MarklessAnsi);

// Whether a write may go ahead: the file, when it exists, and its folder
// have a write bit set and are writable by this process. A file or folder
// without write bits counts as read-only even for the superuser.
bool ProfileFileWritable(const char* path);

// Writes bytes to a new file in the same folder, flushed to disk, with the
// old file's mode (and owner, where allowed), then renames it over path; a
// path that is a symbolic link, even one to no file yet, has its target
// replaced (a FileReplacement). Only a file is replaced: a folder, device
// or pipe is refused. On failure the old file is untouched, no new file is
// left behind, and errno says why.
bool ReplaceProfileFile(const char* path, const std::string& bytes);
