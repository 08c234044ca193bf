// The frame benchmark in a browser: the image surface on pixels in memory in
// the layout a canvas takes, as the page draws, with the default face
// preloaded where the page's module would have it fetched. The copy to the
// canvas is a display frame's work, not a step's, and is not timed here.
#include "animation/surface_image.h"
#include "tools/frame_bench/frame_bench.h"
#include "web/face_files.h"

namespace {

const char BenchFace[] = "/faces/LiberationSans-Regular.ttf";

// The cases open their fonts before their surfaces: the face is chosen
// before main.
const bool g_faceChosen = (ChooseFace(BenchFace, 0), true);

}  // namespace

Surface OpenBenchSurface(bool)
{
    void* pixels = AllocateZeroedBlock(static_cast<size_t>(BenchWidth) * BenchHeight * sizeof(uint32_t));
    if (pixels == NULL)
        return NULL;
    return CreatePixelSurface(static_cast<uint32_t*>(pixels), BenchWidth, BenchHeight, BenchWidth, PixelsRgba, pixels);
}

void CloseBenchSurface(Surface surface)
{
    if (surface == NULL)
        return;
    FreeBlock(PixelSurfaceOwner(surface));
    DestroyPixelSurface(surface);
}

// Drawing goes straight into memory: done when the call returns.
void FinishDrawing(Surface)
{
}

bool MeasureWithSleep(Animation*, SaverState*, Surface, double*, double*)
{
    return false;
}
