// The signals that end the native saver (SIGTERM from its host, SIGINT and
// SIGHUP from a terminal), turned into bytes on a pipe that the frame loop
// waits on with the X connection, so the saver hears them within a frame.
// A step longer than a frame (making a large image and its first frame)
// is ended at once instead.
#pragma once

// Installs the handlers; returns the end of the pipe to watch, -1 on failure.
int WatchEndingSignals();

// While on, an ending signal ends the process at once by its default action,
// as if it had never been caught. Only for steps that leave nothing to undo
// outside the process: the kernel closes the X connection, and the display
// server frees what it held for it.
void EndAtOnceOnSignal(bool atOnce);

// The signal waiting on descriptor, or 0.
int TakeEndingSignal(int descriptor);

// Ends the process by signal, as if it had never been caught, so that the
// host sees the end it asked for.
[[noreturn]] void DieOfSignal(int signal);
