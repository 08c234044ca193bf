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
const size_t ChunkSize = 65536;

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
    std::string target;
    if (!FollowLinks(path, &target))
        return false;
    if (access(target.c_str(), F_OK) == 0 && !HasWriteAccess(target, W_OK))
        return false;
    return HasWriteAccess(FolderOf(target), W_OK | X_OK);
}

bool ReplaceProfileFile(const char* path, const std::string& bytes)
{
    FileReplacement replacement;
    if (!BeginReplacement(path, RefuseSpecial, &replacement))
        return false;
    if (!WriteWhole(replacement.descriptor, bytes.data(), bytes.size())) {
        AbandonReplacement(&replacement);
        return false;
    }
    return FinishReplacement(&replacement);
}
