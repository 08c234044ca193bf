// A window for a preview to sit in, as the display settings give one: a
// visible top-level window of this thread. It answers help and context-menu
// messages itself and keeps what reached it, with a copy of the help record
// taken while the message was being handled. And a parent as another program
// gives one, on a thread of its own, that can be made to stop answering.
#pragma once
#include <windows.h>
#include <vector>

struct ParentMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    HELPINFO help;                      // WM_HELP only
};

// At (40, 30), 300 by 200 pixels with a border; clears the record.
HWND CreatePreviewParent();
// What reached the parent since it was made.
const std::vector<ParentMessage>& PreviewParentMessages();

// The parent on a thread of its own, made and reading its messages; null on
// failure. One at a time; EndRemotePreviewParent ends it in every case.
HWND StartRemotePreviewParent();
// Returns once the parent's thread has stopped reading its messages; it
// waits until ended, RunWaitLimit at most.
void HangRemotePreviewParent();
// The parent's thread still waits.
bool RemotePreviewParentHung();
// Lets the parent go, closes its window and waits for its thread to end;
// once more, it does nothing.
void EndRemotePreviewParent();
