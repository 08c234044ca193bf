// The floating-point model in which the beams are computed. The shipped
// 32-bit program does double arithmetic on the x87 unit, whose precision is
// a setting of each thread: the MinGW runtime starts the main thread at 64
// bits, CreateThread starts a thread at the system's default. A 64-bit
// build computes on SSE2, at 53 bits always.
#pragma once

// Rounds every result of the calling thread to double precision (53 bits),
// as SSE2 does. The x87's wider exponent range stays: where SSE2 underflows
// to zero, the x87 may not. Nothing to do where doubles are computed on SSE2.
// Every thread that computes beams calls it first.
void UseDoublePrecision();
