// POSIX reading and atomic replacement of profile files.
#include "settings/profile_file.h"
#include <cerrno>
#include <climits>
#include <cstdint>
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

// Ends a read: the descriptor closed, the bytes kept only when all were read.
ProfileFileReport EndRead(int fd, ProfileFileReport report, std::string* bytes)
{
    close(fd);
    if (report.state != ProfileFileRead)
        bytes->clear();
    return report;
}

} // namespace

ProfileFileReport ReadProfileFile(const char* path, size_t limit, std::string* bytes)
{
    bytes->clear();
    // Without O_NONBLOCK opening a FIFO waits for a writer; the type is
    // known only once a descriptor is open, so the opened one is asked.
    int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        int error = errno;
        // A socket, or a device without its driver.
        if (error == ENXIO)
            return {ProfileFileNotRegular, error, 0};
        struct stat status;
        bool folderExists = stat(FolderOf(path).c_str(), &status) == 0 && S_ISDIR(status.st_mode);
        return {(error == ENOENT && folderExists) ? ProfileFileMissing : ProfileFileUnreadable, error, 0};
    }
    struct stat status;
    if (fstat(fd, &status) != 0)
        return EndRead(fd, {ProfileFileUnreadable, errno, 0}, bytes);
    if (!S_ISREG(status.st_mode))
        return EndRead(fd, {ProfileFileNotRegular, 0, static_cast<unsigned>(status.st_mode & S_IFMT)}, bytes);
    if (static_cast<uintmax_t>(status.st_size) > limit)
        return EndRead(fd, {ProfileFileTooLarge, 0, 0}, bytes);
    // The size is checked again as the bytes come: a file may grow, and
    // some report no size at all.
    char chunk[ChunkSize];
    ssize_t got;
    while ((got = read(fd, chunk, sizeof chunk)) != 0) {
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return EndRead(fd, {ProfileFileUnreadable, errno, 0}, bytes);
        if (static_cast<size_t>(got) > limit - bytes->size())
            return EndRead(fd, {ProfileFileTooLarge, 0, 0}, bytes);
        bytes->append(chunk, static_cast<size_t>(got));
    }
    return EndRead(fd, {ProfileFileRead, 0, 0}, bytes);
}

const ProfileDocument* LoadProfileDocument(const char* path, size_t limit, ProfileDocument* document,
                                           ProfileFileReport* report, MarklessBytes markless)
{
    ProfileFileReport found = {ProfileFileUnreadable, EINVAL, 0};
    std::string bytes;
    if (path != nullptr)
        found = ReadProfileFile(path, limit, &bytes);
    if (report != nullptr)
        *report = found;
    if (found.state != ProfileFileRead && found.state != ProfileFileMissing)
        return nullptr;
    *document = ParseProfile(bytes, markless);
    return document;
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
