// The frame loop of the native saver. Frames are drawn off screen, on an
// image, and only the box that changed is copied to the window, so the
// window never shows a half-drawn frame: nothing flickers. The X connection
// is synchronised after each copy, which keeps the saver from running ahead
// of the display server and brings an error about a vanished window back at
// once.
//
// Every allocation on the way can fail (the image above all, in a host's
// memory limit): then nothing is drawn. By hand the saver says why and
// ends; under a host it says why, keeps the window black and tries again
// when the window's size changes, since a hack that exits is started again
// at once and would only loop.
#include "linux/saver_loop.h"
#include <cairo-xlib.h>
#include <poll.h>
#include <algorithm>
#include <cstdio>
#include <new>
#include <vector>
#include "animation/surface_cairo.h"
#include "linux/display_rate.h"
#include "linux/ending_signals.h"

namespace {

const int ExitNoPicture = 1;
const double MicrosecondsPerSecond = 1e6;
const int64_t MicrosecondsPerMillisecond = 1000;
const int64_t NoDeadline = -1;

// Ordered: a later kind of news outweighs an earlier one.
enum WindowNews { NothingNew, ShowExposed, RestartFrames, SaverDone };

// The window's own picture and the image the frames are drawn on, which
// covers the window up to LargestImageSide each way; all null, and an empty
// image, while nothing can be drawn.
struct WindowPicture {
    cairo_surface_t* window;
    cairo_t* painter;
    Surface canvas;
    int width;
    int height;
    std::vector<RECT> changed;          // the areas the last frame drew, kept to save allocating them
};

// Shows areas of the window, in one copy: the parts on the image are copied
// from it, the rest (beyond the largest image, or all of it without an
// image) is black.
void Show(SaverWindow* saver, WindowPicture* picture, const std::vector<RECT>& areas)
{
    bool copying = false;
    for (const RECT& area : areas) {
        const int32_t imageRight = std::min(area.right, picture->width);
        const int32_t imageBottom = std::min(area.bottom, picture->height);
        if (area.left < imageRight && area.top < imageBottom) {
            cairo_rectangle(picture->painter, area.left, area.top, imageRight - area.left, imageBottom - area.top);
            copying = true;
        }
        const int32_t beyondLeft = std::max(area.left, picture->width);
        ClearToBlack(saver, beyondLeft, area.top, area.right - beyondLeft, area.bottom - area.top);
        const int32_t belowTop = std::max(area.top, picture->height);
        ClearToBlack(saver, area.left, belowTop, imageRight - area.left, area.bottom - belowTop);
    }
    if (copying) {
        cairo_set_source_surface(picture->painter, SurfaceImage(picture->canvas), 0, 0);
        cairo_fill(picture->painter);
        cairo_surface_flush(picture->window);
    }
}

void DropPicture(WindowPicture* picture)
{
    DestroyImageSurface(picture->canvas);
    if (picture->painter != NULL)
        cairo_destroy(picture->painter);
    if (picture->window != NULL)
        cairo_surface_destroy(picture->window);
    picture->window = NULL;
    picture->painter = NULL;
    picture->canvas = NULL;
    picture->width = 0;
    picture->height = 0;
}

// The window's cairo surface and an image to draw on; false, with the
// reason, when either cannot be made.
bool MakePicture(SaverWindow* saver, WindowPicture* picture, std::string* why)
{
    const int width = std::min(saver->width, LargestImageSide);
    const int height = std::min(saver->height, LargestImageSide);
    picture->window = cairo_xlib_surface_create(saver->display, saver->window, saver->visual, saver->width,
                                                saver->height);
    picture->painter = cairo_create(picture->window);
    if (cairo_status(picture->painter) != CAIRO_STATUS_SUCCESS) {
        *why = std::string("cannot draw on the window: ") + cairo_status_to_string(cairo_status(picture->painter));
        return false;
    }
    // An image like the window: where the display shares memory with us,
    // cairo makes it in that memory, and a copy to the window is the
    // display's work alone.
    cairo_surface_t* image = cairo_surface_create_similar_image(picture->window, CAIRO_FORMAT_RGB24, width, height);
    picture->canvas = CreateSurfaceOnImage(image);
    cairo_surface_destroy(image);
    if (picture->canvas == NULL)
        picture->canvas = CreateImageSurface(width, height);
    if (picture->canvas == NULL) {
        *why = "no memory for a picture of " + std::to_string(width) + " by " + std::to_string(height) + " pixels";
        return false;
    }
    picture->width = width;
    picture->height = height;
    return true;
}

// Says why nothing can be drawn and shows the window black. True when the
// saver waits for a resize, false when it must end.
bool GiveUp(SaverWindow* saver, WindowPicture* picture, FrameRun* run, const std::string& why)
{
    std::fprintf(stderr, "%s: %s%s\n", SaverName, why.c_str(),
                 saver->hosted ? "; black until the window is resized" : "");
    EndFrameRun(run);
    DropPicture(picture);
    ClearToBlack(saver, 0, 0, saver->width, saver->height);
    return saver->hosted;
}

// True, with the reason, once copying to the window has failed: a cairo
// context that failed stays failed.
bool CopyFailed(const WindowPicture* picture, std::string* why)
{
    const cairo_status_t status = cairo_status(picture->painter);
    if (status == CAIRO_STATUS_SUCCESS)
        return false;
    *why = std::string("cannot copy the picture to the window: ") + cairo_status_to_string(status);
    return true;
}

// A new picture the window's size, the frames started on it, and all of it
// shown. Without a font there is nothing to draw (the caller has said so):
// the window stays black. False when nothing can be drawn, with the reason
// when there is one to say.
bool StartWindowFrames(WindowPicture* picture, SaverWindow* saver, FrameRun* run, const SaverState* state,
                       SeedChoice seeds, int64_t frames, std::string* why)
{
    // Making a large image takes longer than a frame: an ending signal
    // meanwhile ends the saver at once.
    EndAtOnceOnSignal(true);
    DropPicture(picture);
    bool drawing = false;
    try {
        drawing = state->font != NULL && MakePicture(saver, picture, why);
        if (drawing) {
            const RECT bounds = {0, 0, picture->width, picture->height};
            StartFrameRun(run, state, picture->canvas, bounds, ChooseSeed(seeds, 0), frames, ClockNow());
            TakeSurfaceDamage(picture->canvas);
        }
    } catch (const std::bad_alloc&) {
        drawing = false;
        *why = "out of memory";
    }
    if (!drawing)
        DropPicture(picture);
    Show(saver, picture, {{0, 0, saver->width, saver->height}});
    XSync(saver->display, False);
    EndAtOnceOnSignal(false);
    return drawing && !CopyFailed(picture, why);
}

// The steps that are due taken, the frame they reach drawn and what changed
// shown; false, with the reason, on failure.
bool StepAndShow(SaverWindow* saver, WindowPicture* picture, FrameRun* run, const SaverState* state,
                 std::string* why)
{
    try {
        if (!StepDueFrames(run, state, picture->canvas, ClockNow()))
            return true;
        TakeSurfaceDamageAreas(picture->canvas, &picture->changed);
        Show(saver, picture, picture->changed);
    } catch (const std::bad_alloc&) {
        *why = "out of memory";
        return false;
    }
    return !CopyFailed(picture, why);
}

WindowNews ReadEvent(SaverWindow* saver, const XEvent& event, RECT* exposed)
{
    switch (event.type) {
    case ConfigureNotify:
        if (event.xconfigure.window != saver->window ||
            (event.xconfigure.width == saver->width && event.xconfigure.height == saver->height))
            return NothingNew;
        saver->width = event.xconfigure.width;
        saver->height = event.xconfigure.height;
        return RestartFrames;
    case Expose:
        *exposed = BoxUnion(*exposed, {event.xexpose.x, event.xexpose.y, event.xexpose.x + event.xexpose.width,
                                       event.xexpose.y + event.xexpose.height});
        return ShowExposed;
    case DestroyNotify:
        return event.xdestroywindow.window == saver->window ? SaverDone : NothingNew;
    case KeyPress:
        return saver->own && IsClosingKey(event.xkey) ? SaverDone : NothingNew;
    case ClientMessage:
        return saver->own && static_cast<Atom>(event.xclient.data.l[0]) == saver->deleteWindow ? SaverDone
                                                                                              : NothingNew;
    default:
        return NothingNew;
    }
}

// The wait for the next picture: returns at deadline (microseconds of ClockNow(),
// or never for NoDeadline), or as soon as an ending signal arrives (its
// number goes to *signal) or the window's events end or restart the frames.
// What they exposed goes into *exposed.
WindowNews Pause(SaverWindow* saver, int signals, int64_t deadline, int* signal, RECT* exposed)
{
    WindowNews news = NothingNew;
    for (;;) {
        while (XPending(saver->display) > 0) {
            XEvent event;
            XNextEvent(saver->display, &event);
            WindowNews next = ReadEvent(saver, event, exposed);
            if (next > news)
                news = next;
        }
        if (news == SaverDone || SaverWindowGone())
            return SaverDone;
        // Without pictures to draw, the news is all there is to wait for.
        if (deadline == NoDeadline && news != NothingNew)
            return news;
        const int64_t left = deadline == NoDeadline ? NoDeadline : deadline - ClockNow();
        if (deadline != NoDeadline && left <= 0)
            return news;
        // poll counts whole milliseconds: round up, or it wakes early and spins.
        const int timeout = left == NoDeadline ? -1
                                               : static_cast<int>((left + MicrosecondsPerMillisecond - 1) /
                                                                  MicrosecondsPerMillisecond);
        pollfd watched[2] = {{ConnectionNumber(saver->display), POLLIN, 0}, {signals, POLLIN, 0}};
        poll(watched, 2, timeout);
        if ((watched[1].revents & POLLIN) != 0 && (*signal = TakeEndingSignal(signals)) != 0)
            return SaverDone;
    }
}

}  // namespace

SaverEnd RunSaverFrames(SaverWindow* saver, const SaverState* state, SeedChoice seeds, int picturesPerSecond,
                        int64_t frames)
{
    const int signals = WatchEndingSignals();
    WindowPicture picture = {NULL, NULL, NULL, 0, 0, {}};
    static FrameRun run;
    SaverEnd end = {0, 0};
    std::string why;
    const double rate = picturesPerSecond > 0 ? picturesPerSecond : WindowRefreshRate(saver->display, saver->window);
    const int64_t pictureInterval = static_cast<int64_t>(MicrosecondsPerSecond / rate);
    bool drawing = StartWindowFrames(&picture, saver, &run, state, seeds, frames, &why);
    int64_t nextPicture = ClockNow();
    for (;;) {
        if (!why.empty()) {
            drawing = false;
            if (!GiveUp(saver, &picture, &run, why)) {
                end.exitCode = ExitNoPicture;
                break;
            }
            why.clear();
        }
        if (drawing && !StepAndShow(saver, &picture, &run, state, &why))
            continue;
        XSync(saver->display, False);
        // While nothing is drawn, an error comes of painting black: the
        // failure has been said.
        std::string error;
        if (TakeXError(saver, &error) && drawing) {
            why = error;
            continue;
        }
        // Pictures fall on a grid of the display's interval; after a stall
        // the grid starts again from now rather than racing to catch up.
        nextPicture += pictureInterval;
        if (nextPicture < ClockNow())
            nextPicture = ClockNow() + pictureInterval;
        RECT exposed = {0, 0, 0, 0};
        // A still that is complete waits for news alone.
        const bool waitsForPicture = drawing && !FrameRunHolds(&run);
        WindowNews news = SaverWindowGone() ? SaverDone
                                            : Pause(saver, signals, waitsForPicture ? nextPicture : NoDeadline,
                                                    &end.signal, &exposed);
        if (news == SaverDone)
            break;
        if (news == RestartFrames) {
            EndFrameRun(&run);
            drawing = StartWindowFrames(&picture, saver, &run, state, seeds, frames, &why);
            nextPicture = ClockNow();
        } else if (news == ShowExposed) {
            Show(saver, &picture, {exposed});
        }
    }
    EndFrameRun(&run);
    DropPicture(&picture);
    return end;
}
