// A handler may only do what is safe in a handler: it writes the signal's
// number to a pipe and returns.
#include "linux/ending_signals.h"
#include <fcntl.h>
#include <unistd.h>
#include <csignal>

namespace {

const int EndingSignals[] = {SIGTERM, SIGINT, SIGHUP};
int g_pipe[2] = {-1, -1};

void Forward(int signal)
{
    const unsigned char number = static_cast<unsigned char>(signal);
    if (write(g_pipe[1], &number, 1) < 0) {
        // The pipe is full of earlier signals: the loop will end anyway.
    }
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

int TakeEndingSignal(int descriptor)
{
    unsigned char number = 0;
    return read(descriptor, &number, 1) == 1 ? number : 0;
}

void DieOfSignal(int signal)
{
    std::signal(signal, SIG_DFL);
    raise(signal);
    _exit(128 + signal);                // not reached: the default action ends the process
}
