// What each of an output's two shared-memory buffers still lacks of the
// picture. The frames are drawn on a canvas of our own, and only the box
// that changed is copied into a buffer; the compositor holds a buffer it
// was given until it releases it (sway only at the next commit), so the two
// take turns, and each must receive every change made since it was last
// filled before it is shown again. Pure logic: boxes in, boxes out.
#pragma once
#include "animation/geometry.h"

const int BufferCount = 2;

struct BufferLedger {
    RECT lacking[BufferCount];          // the box of the picture each buffer lacks
    bool held[BufferCount];             // given to the compositor and not yet released
    RECT unshown;                       // changed since a buffer was last given
};

// What to do with a buffer before giving it to the compositor.
struct BufferFill {
    RECT copy;                          // the box to copy into it from the canvas
    RECT damage;                        // the box to report as changed on the surface
};

// New buffers for a picture of bounds: each lacks all of it, all unshown.
void StartLedger(BufferLedger* ledger, const RECT& bounds);
// The canvas changed within box: every buffer lacks it.
void NoteChange(BufferLedger* ledger, const RECT& box);
// The buffer to fill next: a free one, the first of them; -1 while the
// compositor holds both.
int FreeBuffer(const BufferLedger* ledger);
// Fills buffer (a free one) and gives it: returns what to copy and report,
// after which the buffer lacks nothing and is held.
BufferFill GiveBuffer(BufferLedger* ledger, int buffer);
// The compositor released buffer.
void NoteRelease(BufferLedger* ledger, int buffer);
