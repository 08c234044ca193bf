// Frame composition. Once running, the window is never cleared: each frame
// paints black only the part of the old shape that the new shape leaves
// uncovered, then fills the new shape over it, so nothing flickers. All the
// drawing goes through the surface; the beams, point arrays and colour
// cycle are the run's own storage, nothing is allocated per frame.
#include "animation/animation_thread.h"
#include <cstdlib>
#include <cstring>
#include "animation/text_warp.h"
#include "host/float_model.h"

static int TextLength(const SaverState* state)
{
    return static_cast<int>(std::strlen(state->text));
}

void StartFrames(Animation* animation, SaverState* state)
{
    GetClientBounds(state->window, &animation->bounds);
    animation->previous = NULL;

    Surface surface = AcquireWindowSurface(state->window);
    FillSurfaceRect(surface, &animation->bounds, GetBlackBrush());
    // StraightBeam lays its rectangle out from the text's own extent, which
    // it reads from the top beam's first point.
    SurfaceFont previousFont = SelectSurfaceFont(surface, state->font);
    SIZE extent;
    MeasureText(surface, state->text, TextLength(state), &extent);
    animation->top.point[0].x = extent.cx;
    animation->top.point[0].y = extent.cy;
    SelectSurfaceFont(surface, previousFont);
    ReleaseWindowSurface(state->window, surface);

    srand(GetTickCount());
    MethodFor(state->method)(1, animation->bounds, static_cast<double>(state->speed),
                             &animation->top, &animation->bottom);
    StartColorCycle(&animation->colors, state->color);
}

void StepBeams(Animation* animation, SaverState* state)
{
    MethodFor(state->method)(0, animation->bounds, StepLength, &animation->top, &animation->bottom);
    for (int i = 0; i < BeamLength; ++i) {
        const BeamPoint& top = animation->top.point[i];
        const BeamPoint& bottom = animation->bottom.point[i];
        animation->topBeam[i].x = TruncateToPixel(top.x);
        animation->topBeam[i].y = TruncateToPixel(top.y);
        animation->bottomBeam[i].x = TruncateToPixel(bottom.x);
        animation->bottomBeam[i].y = TruncateToPixel(bottom.y);
    }
}

Region WarpFrame(Animation* animation, SaverState* state, Surface surface)
{
    SurfaceFont previousFont = SelectSurfaceFont(surface, state->font);
    Region region = WarpTextRegion(surface, animation->topBeam, animation->bottomBeam,
                                   BeamLength, BeamLength, state->text);
    SelectSurfaceFont(surface, previousFont);
    return region;
}

// A frame without a region erases nothing, but the previous region is let
// go all the same: the old shape stays until later frames paint over it.
void EraseUncovered(Animation* animation, Surface surface, Region current)
{
    if (animation->previous == NULL)
        return;
    if (current != NULL) {
        Region uncovered = CreateEmptyRegion();
        SubtractRegion(uncovered, animation->previous, current);
        FillSurfaceRegion(surface, uncovered, GetBlackBrush());
        DeleteRegion(uncovered);
    }
    DeleteRegion(animation->previous);
    animation->previous = NULL;
}

// The colour cycle moves on every frame, drawn or not.
void FillFrame(Animation* animation, SaverState* state, Surface surface, Region current)
{
    if (state->cycle != 0) {
        AdvanceColorCycle(&animation->colors);
        if (current != NULL) {
            SurfaceBrush brush = CreateColorBrush(ColorCycleColor(&animation->colors));
            FillSurfaceRegion(surface, current, brush);
            DeleteSurfaceBrush(brush);
        }
    } else if (current != NULL) {
        FillSurfaceRegion(surface, current, state->brush);
    }
    animation->previous = current;
}

void DrawFrame(Animation* animation, SaverState* state)
{
    StepBeams(animation, state);
    Surface surface = AcquireWindowSurface(state->window);
    Region current = WarpFrame(animation, state, surface);
    EraseUncovered(animation, surface, current);
    FillFrame(animation, state, surface, current);
    ReleaseWindowSurface(state->window, surface);
}

void EndFrames(Animation* animation)
{
    if (animation->previous != NULL)
        DeleteRegion(animation->previous);
    animation->previous = NULL;
}

DWORD WINAPI AnimationThread(void* parameter)
{
    SaverState* state = static_cast<SaverState*>(parameter);
    UseDoublePrecision();
    // About 40 KB: the thread's default stack holds it for the run's life.
    Animation animation;
    StartFrames(&animation, state);
    do {
        DrawFrame(&animation, state);
        Sleep(FrameSleep);
    } while (ReadStopFlag(state) == 0);
    EndFrames(&animation);
    return AnimationExitCode;
}
