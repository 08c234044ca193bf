// The random generator the beams draw from: the classic C-runtime formula,
// kept here so that one seed lays out and moves the same beams on every
// system. Pure logic; one generator per process, as rand's was.
#pragma once
#include <cstdint>

// Every draw lies in 0..RandomMax.
const int RandomMax = 32767;

// Starts the sequence again from seed.
void SeedRandom(uint32_t seed);

// The next draw: state = state * 214013 + 2531011 (32-bit wrap), then bits
// 16..30 of the state.
int RandomInteger();
