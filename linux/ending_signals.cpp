// A handler may only do what is safe in a handler: it writes the signal's
// number to a pipe, or restores the default action and raises the signal
// again, and returns with errno as it found it.
#include "linux/ending_signals.h"
#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>

namespace {

const int EndingSignals[] = {SIGTERM, SIGINT, SIGHUP};
int g_pipe[2] = {-1, -1};
volatile sig_atomic_t g_atOnce = 0;

void RestoreDefaultAction(int signal)
{
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}

void Forward(int signal)
{
    const int savedErrno = errno;
    if (g_atOnce != 0) {
        // Blocked while its handler runs, the signal raised again ends the
        // process as the handler returns.
        RestoreDefaultAction(signal);
        raise(signal);
    } else {
        const unsigned char number = static_cast<unsigned char>(signal);
        if (write(g_pipe[1], &number, 1) < 0) {
            // The pipe is full of earlier signals: the loop will end anyway.
        }
    }
    errno = savedErrno;
}

}  // namespace

int WatchEndingSignals()
{
    if (pipe(g_pipe) != 0)
        return -1;
    for (int end : g_pipe)
        fcntl(end, F_SETFL, fcntl(end, F_GETFL) | O_NONBLOCK);
    struct sigaction action = {};
    action.sa_handler = Forward;
    sigemptyset(&action.sa_mask);
    for (int signal : EndingSignals)
        sigaction(signal, &action, nullptr);
    return g_pipe[0];
}

void EndAtOnceOnSignal(bool atOnce)
{
    g_atOnce = atOnce ? 1 : 0;
    // A signal that came just before is not kept waiting for the long step.
    const int waiting = atOnce ? TakeEndingSignal(g_pipe[0]) : 0;
    if (waiting != 0)
        DieOfSignal(waiting);
}

int TakeEndingSignal(int descriptor)
{
    unsigned char number = 0;
    return read(descriptor, &number, 1) == 1 ? number : 0;
}

void DieOfSignal(int signal)
{
    RestoreDefaultAction(signal);
    raise(signal);
    _exit(128 + signal);                // not reached: the default action ends the process
}
