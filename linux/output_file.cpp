// The signal handlers remove the new file with the one call a handler may
// make safely, then let the signal end the process as it would have. The
// signals wait while the file is made and its name noted, so none can come
// between the two.
#include "linux/output_file.h"
#include <cerrno>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace {

const int EndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The new file of the one output being written, for the handlers.
char g_pendingPath[4096];

void RemovePendingAndDie(int signal)
{
    if (g_pendingPath[0] != '\0')
        unlink(g_pendingPath);
    std::signal(signal, SIG_DFL);
    raise(signal);
}

std::string CannotWrite(const std::string& path)
{
    return "cannot write " + path + ": " + std::strerror(errno);
}

}  // namespace

bool OpenOutputFile(const std::string& path, FileReplacement* file, std::string* error)
{
    file->descriptor = -1;
    if (path.empty() || path.back() == '/' || path.size() + 32 >= sizeof g_pendingPath) {
        *error = "cannot write " + path + ": not a file name";
        return false;
    }
    sigset_t ending, previous;
    sigemptyset(&ending);
    for (int signal : EndingSignals)
        sigaddset(&ending, signal);
    sigprocmask(SIG_BLOCK, &ending, &previous);
    bool begun = BeginReplacement(path, file);
    if (!begun)
        *error = CannotWrite(path);
    else
        std::strcpy(g_pendingPath, file->temporary.c_str());
    for (int signal : EndingSignals)
        std::signal(signal, RemovePendingAndDie);
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    return begun;
}

bool CommitOutputFile(FileReplacement* file, std::string* error)
{
    if (!FinishReplacement(file)) {
        *error = CannotWrite(file->target);
        g_pendingPath[0] = '\0';
        return false;
    }
    g_pendingPath[0] = '\0';
    return true;
}

void AbandonOutputFile(FileReplacement* file)
{
    AbandonReplacement(file);
    g_pendingPath[0] = '\0';
}
