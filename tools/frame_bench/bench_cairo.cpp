// The frame benchmark over cairo: an image in memory, which is where the
// native saver draws too before it shows what changed. The run with the
// sleep belongs to the saver on its window, not to this program.
#include "animation/surface_cairo.h"
#include "tools/frame_bench/frame_bench.h"

Surface OpenBenchSurface(bool)
{
    return CreateImageSurface(BenchWidth, BenchHeight);
}

void CloseBenchSurface(Surface surface)
{
    DestroyImageSurface(surface);
}

// Drawing goes straight into the image's memory: done when the call returns.
void FinishDrawing(Surface)
{
}

bool MeasureWithSleep(Animation*, SaverState*, Surface, double*, double*)
{
    return false;
}
