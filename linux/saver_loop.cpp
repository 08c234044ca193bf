// The frame loop of the native saver. Frames are drawn off screen, on an
// image, and only the box that changed is copied to the window, so the
// window never shows a half-drawn frame: nothing flickers. The X connection
// is synchronised after each copy, which keeps the saver from running ahead
// of the display server and brings an error about a vanished window back at
// once.
#include "linux/saver_loop.h"
#include <cairo-xlib.h>
#include <poll.h>
#include <chrono>
#include "animation/frame.h"
#include "animation/surface_cairo.h"
#include "linux/ending_signals.h"

namespace {

// Ordered: a later kind of news outweighs an earlier one.
enum WindowNews { NothingNew, RestartFrames, SaverDone };

// The window's own picture and the image the frames are drawn on.
struct WindowPicture {
    cairo_surface_t* window;
    cairo_t* painter;
    Surface canvas;
};

uint32_t NextSeed(const SeedChoice& seeds)
{
    if (seeds.fixed)
        return seeds.seed;
    auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void Present(WindowPicture* picture, const RECT& box)
{
    if (box.left >= box.right || box.top >= box.bottom)
        return;
    cairo_set_source_surface(picture->painter, SurfaceImage(picture->canvas), 0, 0);
    cairo_rectangle(picture->painter, box.left, box.top, box.right - box.left, box.bottom - box.top);
    cairo_fill(picture->painter);
    cairo_surface_flush(picture->window);
}

// A new image the window's size, the frames started on it, and all of it shown.
void StartWindowFrames(WindowPicture* picture, SaverWindow* saver, Animation* animation, const SaverState* state,
                       SeedChoice seeds)
{
    DestroyImageSurface(picture->canvas);
    cairo_xlib_surface_set_size(picture->window, saver->width, saver->height);
    // An image like the window: where the display shares memory with us,
    // cairo makes it in that memory, and a copy to the window is the
    // display's work alone.
    cairo_surface_t* image = cairo_surface_create_similar_image(picture->window, CAIRO_FORMAT_RGB24,
                                                                saver->width, saver->height);
    picture->canvas = CreateSurfaceOnImage(image);
    cairo_surface_destroy(image);
    if (picture->canvas == NULL)
        picture->canvas = CreateImageSurface(saver->width, saver->height);
    const RECT bounds = {0, 0, saver->width, saver->height};
    StartFrames(animation, state, picture->canvas, bounds, NextSeed(seeds));
    Present(picture, TakeSurfaceDamage(picture->canvas));
}

WindowNews ReadEvent(SaverWindow* saver, const XEvent& event)
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
        return event.xexpose.count == 0 ? RestartFrames : NothingNew;
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

// The frame's pause: returns after FrameSleepMilliseconds, or as soon as an
// ending signal arrives (its number goes to *signal) or the window's events
// end or restart the frames.
WindowNews Pause(SaverWindow* saver, int signals, int* signal)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(FrameSleepMilliseconds);
    WindowNews news = NothingNew;
    for (;;) {
        while (XPending(saver->display) > 0) {
            XEvent event;
            XNextEvent(saver->display, &event);
            WindowNews next = ReadEvent(saver, event);
            if (next > news)
                news = next;
        }
        if (news == SaverDone || SaverWindowGone())
            return SaverDone;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return news;
        pollfd watched[2] = {{ConnectionNumber(saver->display), POLLIN, 0}, {signals, POLLIN, 0}};
        poll(watched, 2, static_cast<int>(left.count()));
        if ((watched[1].revents & POLLIN) != 0 && (*signal = TakeEndingSignal(signals)) != 0)
            return SaverDone;
    }
}

}  // namespace

int RunSaverFrames(SaverWindow* saver, const SaverState* state, SeedChoice seeds)
{
    const int signals = WatchEndingSignals();
    WindowPicture picture;
    picture.window = cairo_xlib_surface_create(saver->display, saver->window, saver->visual, saver->width,
                                              saver->height);
    picture.painter = cairo_create(picture.window);
    picture.canvas = NULL;
    static Animation animation;         // about 40 KB
    StartWindowFrames(&picture, saver, &animation, state, seeds);
    int signal = 0;
    for (;;) {
        DrawFrame(&animation, state, picture.canvas);
        Present(&picture, TakeSurfaceDamage(picture.canvas));
        XSync(saver->display, False);
        WindowNews news = SaverWindowGone() ? SaverDone : Pause(saver, signals, &signal);
        if (news == SaverDone)
            break;
        if (news == RestartFrames) {
            EndFrames(&animation);
            StartWindowFrames(&picture, saver, &animation, state, seeds);
        }
    }
    EndFrames(&animation);
    DestroyImageSurface(picture.canvas);
    cairo_destroy(picture.painter);
    cairo_surface_destroy(picture.window);
    return signal;
}
