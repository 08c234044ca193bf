// Frame composition. Once running, the surface is never cleared: each frame
// paints black only the part of the old shape that the new shape leaves
// uncovered, then fills the new shape over it, so nothing flickers. All the
// drawing goes through the surface; the beams, point arrays and colour
// cycle are the run's own storage, nothing is allocated per frame.
#include "animation/frame.h"
#include <cstring>
#include "animation/text_warp.h"

static int TextLength(const SaverState* state)
{
    return static_cast<int>(std::strlen(state->text));
}

void StartFrames(Animation* animation, const SaverState* state, Surface surface, const RECT& bounds,
                 uint32_t seed)
{
    animation->bounds = bounds;
    animation->previous = NULL;

    FillSurfaceRect(surface, &animation->bounds, GetBlackBrush());
    // StraightBeam lays its rectangle out from the text's own extent, which
    // it reads from the top beam's first point.
    SurfaceFont previousFont = SelectSurfaceFont(surface, state->font);
    SIZE extent;
    MeasureText(surface, state->text, TextLength(state), &extent);
    animation->top.point[0].x = extent.cx;
    animation->top.point[0].y = extent.cy;
    SelectSurfaceFont(surface, previousFont);

    SeedRandom(seed);
    MethodFor(state->method)(1, animation->bounds, static_cast<double>(state->speed),
                             &animation->top, &animation->bottom);
    StartColorCycle(&animation->colors, state->color);
}

void StepBeams(Animation* animation, const SaverState* state)
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

Region WarpFrame(Animation* animation, const SaverState* state, Surface surface)
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

void FillFrame(Animation* animation, const SaverState* state, Surface surface, Region current)
{
    if (current != NULL && state->cycle != 0) {
        SurfaceBrush brush = CreateColorBrush(ColorCycleColor(&animation->colors));
        FillSurfaceRegion(surface, current, brush);
        DeleteSurfaceBrush(brush);
    } else if (current != NULL) {
        FillSurfaceRegion(surface, current, state->brush);
    }
    animation->previous = current;
}

// The colour cycle moves on every step, drawn or not.
void StepFrame(Animation* animation, const SaverState* state)
{
    StepBeams(animation, state);
    if (state->cycle != 0)
        AdvanceColorCycle(&animation->colors);
}

void ShowFrame(Animation* animation, const SaverState* state, Surface surface)
{
    Region current = WarpFrame(animation, state, surface);
    EraseUncovered(animation, surface, current);
    FillFrame(animation, state, surface, current);
}

void DrawFrame(Animation* animation, const SaverState* state, Surface surface)
{
    StepFrame(animation, state);
    ShowFrame(animation, state, surface);
}

void EndFrames(Animation* animation)
{
    if (animation->previous != NULL)
        DeleteRegion(animation->previous);
    animation->previous = NULL;
}
