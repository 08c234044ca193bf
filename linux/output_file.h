// lumivane-render's output, written whole or not at all (a FileReplacement),
// whose new file an ending signal removes as well, so that an interrupted
// render leaves nothing behind. A device or pipe named as the output (a
// link to /dev/null, say) is written straight into.
#pragma once
#include <string>
#include "settings/file_replacement.h"

// Creates the new file beside the file path reaches. False, with the
// system's reason, when that cannot be.
bool OpenOutputFile(const std::string& path, FileReplacement* file, std::string* reason);

// Flushes the bytes to disk and gives the file its real name. False, with
// the system's reason, when that cannot be.
bool CommitOutputFile(FileReplacement* file, std::string* reason);

// Removes the new file; safe to call after a commit.
void AbandonOutputFile(FileReplacement* file);
