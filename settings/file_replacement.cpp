// The new file is created exclusively under a name no other writer uses (the
// process id and a serial number), so two writers never share one; the
// target's part of that name is cut to fit, so every name the folder takes
// can be replaced.
#include "settings/file_replacement.h"
#include <atomic>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const mode_t NewFileMode = 0666;       // less the process's umask, as for any new file
const mode_t OwnerOnlyMode = 0600;     // until the target's mode is copied
const mode_t PermissionBits = 07777;
const int TemporaryNameAttempts = 100;
const int MostLinks = 40;              // as many as Linux follows in one path
const char UnitSeparator = '.';

std::string NameOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

size_t NameMax(const std::string& folder)
{
    long most = pathconf(folder.c_str(), _PC_NAME_MAX);
    return most > 0 ? static_cast<size_t>(most) : NAME_MAX;
}

// The first length bytes of a UTF-8 name, without a character cut in two.
std::string CutName(const std::string& name, size_t length)
{
    if (name.size() <= length)
        return name;
    while (length > 0 && (static_cast<unsigned char>(name[length]) & 0xC0) == 0x80)
        --length;
    return name.substr(0, length);
}

// The rename is only durable once the folder's entry is on disk too. A
// folder this process may not read cannot be opened to sync, and some file
// systems do not sync folders (EINVAL): the rename stands as they keep it.
bool SyncFolder(const std::string& folder)
{
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno == EACCES;
    bool synced = fsync(fd) == 0 || errno == EINVAL;
    const int error = errno;
    close(fd);
    errno = error;
    return synced;
}

// Gives the new file the mode and owner of the file it replaces. Only the
// superuser may hand a file to another owner, and does so first, since a
// change of owner clears the set-user and set-group bits.
bool CopyModeAndOwner(int descriptor, const struct stat& old)
{
    if (geteuid() == 0 && fchown(descriptor, old.st_uid, old.st_gid) != 0)
        return false;
    return fchmod(descriptor, old.st_mode & PermissionBits) == 0;
}

}  // namespace

std::string FolderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool FollowLinks(const std::string& path, std::string* target)
{
    std::string at = path;
    for (int followed = 0; followed <= MostLinks; ++followed) {
        char link[PATH_MAX];
        ssize_t length = readlink(at.c_str(), link, sizeof link);
        if (length < 0) {
            // Not a link, or nothing there: the name is the one written.
            if (errno != EINVAL && errno != ENOENT)
                return false;
            *target = at;
            return true;
        }
        if (static_cast<size_t>(length) == sizeof link) {
            errno = ENAMETOOLONG;
            return false;
        }
        const std::string next(link, static_cast<size_t>(length));
        at = next[0] == '/' ? next : FolderOf(at) + "/" + next;
    }
    errno = ELOOP;
    return false;
}

bool BeginReplacement(const std::string& path, SpecialTarget special, FileReplacement* replacement)
{
    static std::atomic<unsigned> serial;
    replacement->descriptor = -1;
    replacement->temporary.clear();
    if (!FollowLinks(path, &replacement->target))
        return false;
    const std::string& target = replacement->target;
    const std::string name = NameOf(target), folder = FolderOf(target);
    struct stat old;
    const bool exists = stat(target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT)
        return false;
    if (name.empty() || (exists && S_ISDIR(old.st_mode))) {
        errno = EISDIR;
        return false;
    }
    if (exists && !S_ISREG(old.st_mode)) {
        if (special == RefuseSpecial) {
            errno = EINVAL;
            return false;
        }
        replacement->descriptor = open(target.c_str(), O_WRONLY | O_CLOEXEC);
        return replacement->descriptor >= 0;
    }
    const size_t nameMax = NameMax(folder);
    if (name.size() > nameMax) {
        errno = ENAMETOOLONG;           // found now, not at the rename after all the writing
        return false;
    }
    const std::string unique = std::string(1, UnitSeparator) + std::to_string(getpid()) + UnitSeparator;
    for (int attempt = 0; attempt < TemporaryNameAttempts; ++attempt) {
        const std::string suffix = unique + std::to_string(++serial);
        const size_t room = nameMax > suffix.size() ? nameMax - 1 - suffix.size() : 0;
        replacement->temporary = folder + "/." + CutName(name, room) + suffix;
        replacement->descriptor = open(replacement->temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                                       exists ? OwnerOnlyMode : NewFileMode);
        if (replacement->descriptor >= 0)
            break;
        replacement->temporary.clear();
        if (errno != EEXIST)
            return false;
    }
    if (replacement->descriptor < 0)
        return false;
    if (exists && !CopyModeAndOwner(replacement->descriptor, old)) {
        AbandonReplacement(replacement);
        return false;
    }
    return true;
}

bool WriteWhole(int descriptor, const void* data, size_t size)
{
    const char* bytes = static_cast<const char*>(data);
    size_t done = 0;
    while (done < size) {
        ssize_t written = write(descriptor, bytes + done, size - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written == 0)
            errno = EIO;                // a write that takes nothing is a fault of the device
        if (written <= 0)
            return false;
        done += static_cast<size_t>(written);
    }
    return true;
}

bool FinishReplacement(FileReplacement* replacement)
{
    if (replacement->temporary.empty()) {
        // Written into a device or pipe: there is nothing to sync or rename.
        bool closed = close(replacement->descriptor) == 0;
        replacement->descriptor = -1;
        return closed;
    }
    bool ok = fsync(replacement->descriptor) == 0;
    const int syncError = errno;
    if (close(replacement->descriptor) != 0)
        ok = false;
    else if (!ok)
        errno = syncError;
    replacement->descriptor = -1;
    ok = ok && rename(replacement->temporary.c_str(), replacement->target.c_str()) == 0;
    if (!ok) {
        AbandonReplacement(replacement);
        return false;
    }
    replacement->temporary.clear();
    return SyncFolder(FolderOf(replacement->target));
}

void AbandonReplacement(FileReplacement* replacement)
{
    const int error = errno;
    if (replacement->descriptor >= 0)
        close(replacement->descriptor);
    replacement->descriptor = -1;
    if (!replacement->temporary.empty())
        unlink(replacement->temporary.c_str());
    replacement->temporary.clear();
    errno = error;
}
