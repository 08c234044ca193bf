// Where the process meets its command line and its system: the argument
// text behind the program's own name, and the system family.
#pragma once

// The position in commandLine where the arguments begin: past the program's
// name (quoted or not) and the blanks and control bytes after it.
const char* FindArgumentText(const char* commandLine);

// Sets g_host.is95Family: 1 on the 95/98/ME family, 0 on every other system
// and when the version query fails.
void TestSystemFamily();
