// A window for a preview to sit in, as the display settings give one: a
// visible top-level window of this thread. It answers help and context-menu
// messages itself and keeps what reached it, with a copy of the help record
// taken while the message was being handled.
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
