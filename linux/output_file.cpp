// The signal handlers remove the new file with the one call a handler may
// make safely, then let the signal end the process as it would have. The
// signals wait while the file is made and its name noted, so none can come
// between the two.
#include "linux/output_file.h"
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace {

const int EndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The new file of the one output being written, for the handlers: a file
// the system opened, so its name is shorter than PATH_MAX.
char g_pendingPath[PATH_MAX];

void RemovePendingAndDie(int signal)
{
    const int error = errno;
    if (g_pendingPath[0] != '\0')
        unlink(g_pendingPath);
    std::signal(signal, SIG_DFL);
    raise(signal);
    errno = error;
}

}  // namespace

bool OpenOutputFile(const std::string& path, FileReplacement* file, std::string* reason)
{
    sigset_t ending, previous;
    sigemptyset(&ending);
    for (int signal : EndingSignals)
        sigaddset(&ending, signal);
    sigprocmask(SIG_BLOCK, &ending, &previous);
    bool begun = BeginReplacement(path, WriteIntoSpecial, file);
    if (!begun)
        *reason = std::strerror(errno);
    else
        std::strcpy(g_pendingPath, file->temporary.c_str());
    for (int signal : EndingSignals)
        std::signal(signal, RemovePendingAndDie);
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    return begun;
}

bool CommitOutputFile(FileReplacement* file, std::string* reason)
{
    bool committed = FinishReplacement(file);
    if (!committed)
        *reason = std::strerror(errno);
    g_pendingPath[0] = '\0';
    return committed;
}

void AbandonOutputFile(FileReplacement* file)
{
    AbandonReplacement(file);
    g_pendingPath[0] = '\0';
}
