// Text as a host hands it to the saver on its command line, made what the
// user typed again. xscreensaver's settings program wraps a long command line
// when it saves ~/.xscreensaver, also inside a quoted text: at a run of
// blanks it puts padding, a backslash, a line end and an indent of tabs, and
// the daemon passes the padding and the indent on inside the argument. The
// box the text is typed in is one line, where Tab cannot be typed, so a tab
// in the text is always the host's.
#pragma once
#include <string>

// text with every run of blanks and tabs that holds a tab made one blank,
// the least of what was typed where the line was wrapped. Everything else
// stays as it is.
std::string TextAsTyped(const std::string& text);
