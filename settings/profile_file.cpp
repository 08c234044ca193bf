// POSIX reading and atomic replacement of profile files.
#include "settings/profile_file.h"
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const mode_t AnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;
const mode_t NewFileMode = 0666;       // less the process's umask, as for any new file
const mode_t PermissionBits = 07777;
const size_t ChunkSize = 65536;
const int TemporaryNameAttempts = 100;

std::string FolderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

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

bool WriteAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += static_cast<size_t>(written);
    }
    return true;
}

// A new file of our own beside target; its name starts with a dot so that
// nobody mistakes a left-over for the profile.
int CreateTemporary(const std::string& target, std::string* temporary)
{
    static std::atomic<unsigned> serial;
    std::string stem = FolderOf(target) + "/." + NameOf(target) + "." + std::to_string(getpid()) + ".";
    for (int attempt = 0; attempt < TemporaryNameAttempts; ++attempt) {
        *temporary = stem + std::to_string(++serial);
        int fd = open(temporary->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, NewFileMode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// The rename is only durable once the folder's entry is on disk too.
void SyncFolder(const std::string& folder)
{
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
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
    std::string temporary;
    int fd = CreateTemporary(target, &temporary);
    if (fd < 0)
        return false;
    bool ok = WriteAll(fd, bytes);
    if (ok && exists) {
        ok = fchmod(fd, old.st_mode & PermissionBits) == 0;
        // Only the superuser may hand a file to its owner; anyone else
        // writes a file they own anyway.
        if (ok && geteuid() == 0)
            ok = fchown(fd, old.st_uid, old.st_gid) == 0;
    }
    ok = ok && fsync(fd) == 0;
    ok = (close(fd) == 0) && ok;
    ok = ok && rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        unlink(temporary.c_str());
        return false;
    }
    SyncFolder(FolderOf(target));
    return true;
}
