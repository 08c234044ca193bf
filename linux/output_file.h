// lumivane-render's output, written whole or not at all (a FileReplacement),
// whose new file an ending signal removes as well, so that an interrupted
// render leaves nothing behind.
#pragma once
#include <string>
#include "settings/file_replacement.h"

// Creates the new file beside path. False, with an error, when the folder
// cannot take it.
bool OpenOutputFile(const std::string& path, FileReplacement* file, std::string* error);

// Flushes the bytes to disk and gives the file its real name.
bool CommitOutputFile(FileReplacement* file, std::string* error);

// Removes the new file; safe to call after a commit.
void AbandonOutputFile(FileReplacement* file);
