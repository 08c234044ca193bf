// The two buffers' bookkeeping: a change is owed to every buffer, and paid
// to one only when that one is filled to be shown.
#include "wayland/buffer_ledger.h"

namespace {

const RECT Nothing = {0, 0, 0, 0};

}  // namespace

void StartLedger(BufferLedger* ledger, const RECT& bounds)
{
    for (int buffer = 0; buffer < BufferCount; ++buffer) {
        ledger->lacking[buffer] = bounds;
        ledger->held[buffer] = false;
    }
    ledger->unshown = bounds;
}

void NoteChange(BufferLedger* ledger, const RECT& box)
{
    for (RECT& lack : ledger->lacking)
        lack = BoxUnion(lack, box);
    ledger->unshown = BoxUnion(ledger->unshown, box);
}

int FreeBuffer(const BufferLedger* ledger)
{
    for (int buffer = 0; buffer < BufferCount; ++buffer)
        if (!ledger->held[buffer])
            return buffer;
    return -1;
}

BufferFill GiveBuffer(BufferLedger* ledger, int buffer)
{
    const BufferFill fill = {ledger->lacking[buffer], ledger->unshown};
    ledger->lacking[buffer] = Nothing;
    ledger->held[buffer] = true;
    ledger->unshown = Nothing;
    return fill;
}

void NoteRelease(BufferLedger* ledger, int buffer)
{
    ledger->held[buffer] = false;
}
