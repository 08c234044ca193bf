// Temporary file and rename: a reader never sees half a file under the real
// name. The signal handlers remove the temporary file with the one call a
// handler may make safely, then let the signal end the process as it would
// have.
#include "linux/output_file.h"
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char TemporarySuffix[] = ".XXXXXX";
const int EndingSignals[] = {SIGINT, SIGTERM, SIGHUP};
// The mode a new file gets before the umask, as for any file a program creates.
const mode_t NewFileMode = 0666;

// The temporary file of the one output being written, for the handlers.
char g_pendingPath[4096];

void RemovePendingAndDie(int signal)
{
    if (g_pendingPath[0] != '\0')
        unlink(g_pendingPath);
    std::signal(signal, SIG_DFL);
    raise(signal);
}

std::string Describe(const std::string& what, const std::string& path)
{
    return what + " " + path + ": " + std::strerror(errno);
}

// mkstemp makes files readable by the owner alone; the output gets the mode
// any new file would.
void GiveUsualMode(int descriptor)
{
    mode_t mask = umask(0);
    umask(mask);
    fchmod(descriptor, NewFileMode & ~mask);
}

}  // namespace

bool OpenOutputFile(const std::string& path, OutputFile* file, std::string* error)
{
    file->path = path;
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    file->temporaryPath = folder + "." + name + TemporarySuffix;
    if (name.empty() || file->temporaryPath.size() >= sizeof g_pendingPath) {
        *error = "cannot write " + path + ": not a file name";
        file->descriptor = -1;
        return false;
    }
    std::strcpy(g_pendingPath, file->temporaryPath.c_str());
    for (int signal : EndingSignals)
        std::signal(signal, RemovePendingAndDie);
    file->descriptor = mkstemp(g_pendingPath);
    if (file->descriptor < 0) {
        *error = Describe("cannot write", path);
        g_pendingPath[0] = '\0';
        return false;
    }
    file->temporaryPath = g_pendingPath;
    GiveUsualMode(file->descriptor);
    return true;
}

bool CommitOutputFile(OutputFile* file, std::string* error)
{
    bool written = fsync(file->descriptor) == 0;
    written = close(file->descriptor) == 0 && written;
    file->descriptor = -1;
    if (!written) {
        *error = Describe("cannot write", file->path);
        AbandonOutputFile(file);
        return false;
    }
    if (rename(file->temporaryPath.c_str(), file->path.c_str()) != 0) {
        *error = Describe("cannot write", file->path);
        AbandonOutputFile(file);
        return false;
    }
    g_pendingPath[0] = '\0';
    return true;
}

void AbandonOutputFile(OutputFile* file)
{
    if (file->descriptor >= 0)
        close(file->descriptor);
    file->descriptor = -1;
    if (g_pendingPath[0] != '\0')
        unlink(g_pendingPath);
    g_pendingPath[0] = '\0';
}
