// The generator of the Windows C runtime's rand, written out: seeded with the
// same value it gives the same draws that rand gave there.
#include "animation/random.h"

const uint32_t RandomMultiplier = 214013;
const uint32_t RandomIncrement = 2531011;
const int RandomShift = 16;

static uint32_t g_randomState = 1;      // rand's sequence before any seed

void SeedRandom(uint32_t seed)
{
    g_randomState = seed;
}

int RandomInteger()
{
    g_randomState = g_randomState * RandomMultiplier + RandomIncrement;
    return static_cast<int>((g_randomState >> RandomShift) & RandomMax);
}
