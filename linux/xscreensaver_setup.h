// Puts the saver into the current user's xscreensaver list, the one step a
// user takes after installing it: reads ~/.xscreensaver, or, when it holds
// no list, xscreensaver's defaults file; adds the saver's entry; keeps the
// file as it was in ~/.xscreensaver.bak and writes the new one whole. A
// running daemon reads the changed file again by itself.
#pragma once

// Adds "program --font DEFAULT-FACE" (program is found on the daemon's PATH)
// and says in one line on stdout what it did, or on stderr why it could not.
// Returns the exit code: 0 once the list holds the program (now or already),
// 1 when it cannot.
int AddToXscreensaver(const char* program);
