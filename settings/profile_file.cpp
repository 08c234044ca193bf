// POSIX reading and atomic replacement of profile files.
#include "settings/profile_file.h"
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include "settings/file_replacement.h"

namespace {

const mode_t AnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;
const mode_t PermissionBits = 07777;
const size_t ChunkSize = 65536;

// The file a write replaces: the target of a symbolic link, else the path.
std::string ResolvedPath(const char* path)
{
    char resolved[PATH_MAX];
    return realpath(path, resolved) != nullptr ? std::string(resolved) : std::string(path);
}

bool HasWriteAccess(const std::string& path, int mode)
{
    struct stat status;
    return stat(path.c_str(), &status) == 0 && (status.st_mode & AnyWriteBit) != 0 &&
           access(path.c_str(), mode) == 0;
}

} // namespace

ProfileFileState ReadProfileFile(const char* path, std::string* bytes)
{
    bytes->clear();
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        struct stat status;
        bool folderExists = stat(FolderOf(path).c_str(), &status) == 0 && S_ISDIR(status.st_mode);
        return (errno == ENOENT && folderExists) ? ProfileFileMissing : ProfileFileUnreadable;
    }
    char chunk[ChunkSize];
    ssize_t got;
    while ((got = read(fd, chunk, sizeof chunk)) != 0) {
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            close(fd);
            return ProfileFileUnreadable;
        }
        bytes->append(chunk, static_cast<size_t>(got));
    }
    close(fd);
    return ProfileFileRead;
}

bool ProfileFileWritable(const char* path)
{
    std::string target = ResolvedPath(path);
    if (access(target.c_str(), F_OK) == 0 && !HasWriteAccess(target, W_OK))
        return false;
    return HasWriteAccess(FolderOf(target), W_OK | X_OK);
}

bool ReplaceProfileFile(const char* path, const std::string& bytes)
{
    std::string target = ResolvedPath(path);
    struct stat old;
    bool exists = stat(target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode))
        return false;
    FileReplacement replacement;
    if (!BeginReplacement(target, &replacement))
        return false;
    bool ok = WriteWhole(replacement.descriptor, bytes.data(), bytes.size());
    if (ok && exists) {
        ok = fchmod(replacement.descriptor, old.st_mode & PermissionBits) == 0;
        // Only the superuser may hand a file to its owner; anyone else
        // writes a file they own anyway.
        if (ok && geteuid() == 0)
            ok = fchown(replacement.descriptor, old.st_uid, old.st_gid) == 0;
    }
    if (!ok) {
        AbandonReplacement(&replacement);
        return false;
    }
    return FinishReplacement(&replacement);
}
