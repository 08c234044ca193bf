// The two buffers' bookkeeping of an output: what each still lacks, what is
// copied into it and reported as changed when it is given, and which one is
// free, over sequences of changes, gives and releases.
#include <gtest/gtest.h>
#include <vector>
#include "wayland/buffer_ledger.h"

namespace {

const RECT Whole = {0, 0, 100, 50};
const RECT A = {10, 10, 20, 20};
const RECT B = {40, 5, 60, 8};
const RECT AandB = {10, 5, 60, 20};
const RECT None = {0, 0, 0, 0};

enum Operation { Change, Give, Release, NoneFree };

struct Step {
    Operation operation;
    RECT box;                           // Change: what changed
    int buffer;                         // Give: the buffer expected free; Release: the one released
    RECT copy;                          // Give: what it is filled with
    RECT damage;                        // Give: what is reported
};

Step Changed(const RECT& box)
{
    return {Change, box, -1, None, None};
}

// The buffer expected free, filled with copy and reported as damage.
Step Given(int buffer, const RECT& copy, const RECT& damage)
{
    return {Give, None, buffer, copy, damage};
}

Step Released(int buffer)
{
    return {Release, None, buffer, None, None};
}

const Step BothHeld = {NoneFree, None, -1, None, None};

bool Same(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

TEST(BufferLedger, EachBufferGetsEveryChangeSinceItWasLastFilledAndTheSurfaceOnlyTheNewOnes)
{
    const struct {
        const char* what;
        std::vector<Step> steps;
    } cases[] = {
        {"the first buffer is filled with the whole picture", {Given(0, Whole, Whole)}},
        {"the second, never filled, gets the whole picture but reports only the change",
         {Given(0, Whole, Whole), Changed(A), Given(1, Whole, A)}},
        {"a released buffer gets every change since it was filled, and reports the last",
         {Given(0, Whole, Whole),
          Changed(A),
          Given(1, Whole, A),
          Released(0),
          Changed(B),
          Given(0, AandB, B)}},
        {"while the compositor holds both none is free; the changes wait for the one released",
         {Given(0, Whole, Whole),
          Changed(A),
          Given(1, Whole, A),
          BothHeld,
          Changed(B),
          Released(1),
          Given(1, B, B)}},
        {"with nothing changed a buffer lacks nothing and nothing is reported",
         {Given(0, Whole, Whole), Released(0), Given(0, None, None)}},
        {"changes before the first give are in the whole picture",
         {Changed(A), Changed(B), Given(0, Whole, Whole)}},
    };
    for (const auto& c : cases) {
        BufferLedger ledger;
        StartLedger(&ledger, Whole);
        for (size_t i = 0; i < c.steps.size(); ++i) {
            const Step& step = c.steps[i];
            if (step.operation == Change) {
                NoteChange(&ledger, step.box);
            } else if (step.operation == Release) {
                NoteRelease(&ledger, step.buffer);
            } else if (step.operation == NoneFree) {
                EXPECT_EQ(-1, FreeBuffer(&ledger)) << c.what << ", step " << i;
            } else {
                const int buffer = FreeBuffer(&ledger);
                ASSERT_EQ(step.buffer, buffer) << c.what << ", step " << i;
                const BufferFill fill = GiveBuffer(&ledger, buffer);
                EXPECT_TRUE(Same(step.copy, fill.copy)) << c.what << ", step " << i << ": copy";
                EXPECT_TRUE(Same(step.damage, fill.damage)) << c.what << ", step " << i << ": damage";
            }
        }
    }
}
