// The new file is created exclusively under a name no other writer uses (the
// process id and a serial number), so two writers never share one.
#include "settings/file_replacement.h"
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const mode_t NewFileMode = 0666;       // less the process's umask, as for any new file
const int TemporaryNameAttempts = 100;

std::string NameOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
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

}  // namespace

std::string FolderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool BeginReplacement(const std::string& target, FileReplacement* replacement)
{
    static std::atomic<unsigned> serial;
    replacement->target = target;
    replacement->descriptor = -1;
    const std::string stem = FolderOf(target) + "/." + NameOf(target) + "." + std::to_string(getpid()) + ".";
    for (int attempt = 0; attempt < TemporaryNameAttempts; ++attempt) {
        replacement->temporary = stem + std::to_string(++serial);
        replacement->descriptor =
            open(replacement->temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, NewFileMode);
        if (replacement->descriptor >= 0)
            return true;
        if (errno != EEXIST)
            break;
    }
    replacement->temporary.clear();
    return false;
}

bool WriteWhole(int descriptor, const void* data, size_t size)
{
    const char* bytes = static_cast<const char*>(data);
    size_t done = 0;
    while (done < size) {
        ssize_t written = write(descriptor, bytes + done, size - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += static_cast<size_t>(written);
    }
    return true;
}

bool FinishReplacement(FileReplacement* replacement)
{
    bool ok = fsync(replacement->descriptor) == 0;
    ok = close(replacement->descriptor) == 0 && ok;
    replacement->descriptor = -1;
    ok = ok && rename(replacement->temporary.c_str(), replacement->target.c_str()) == 0;
    if (!ok) {
        AbandonReplacement(replacement);
        return false;
    }
    replacement->temporary.clear();
    SyncFolder(FolderOf(replacement->target));
    return true;
}

void AbandonReplacement(FileReplacement* replacement)
{
    if (replacement->descriptor >= 0)
        close(replacement->descriptor);
    replacement->descriptor = -1;
    if (!replacement->temporary.empty())
        unlink(replacement->temporary.c_str());
    replacement->temporary.clear();
}
