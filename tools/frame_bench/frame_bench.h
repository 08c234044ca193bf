// The frame benchmark: the same cases, seeds and stages timed over each
// drawing backend. frame_bench.cpp is the part every system shares; each
// backend supplies the surface and, where it can, the run with the sleep.
#pragma once
#include "animation/frame.h"

const int BenchWidth = 1920;
const int BenchHeight = 1080;

// A 1920x1080 surface: the window's own, or one in memory.
Surface OpenBenchSurface(bool inMemory);
void CloseBenchSurface(Surface surface);
// Returns once everything drawn on surface is done.
void FinishDrawing(Surface surface);
// Frames per second and CPU use (1 is one core) with the frame sleep in
// place, as the saver runs; false where the backend does not measure it.
bool MeasureWithSleep(Animation* animation, SaverState* state, Surface surface, double* framesPerSecond,
                      double* cpu);
