// The surface of one output and its frames. A configure says the size (the
// layer shell's configure, or the toplevel's, which xdg_surface's confirms);
// a new size starts the frames again on a new canvas and new buffers, as a
// resize does on X11. After that each frame callback lets one picture be
// drawn: the steps the clock has made due are taken, and the box that
// changed goes into a free buffer with what that buffer still lacks.
#include "wayland/output_picture.h"
#include <algorithm>
#include <new>
#include "animation/surface_cairo.h"
#include "linux/ending_signals.h"
#include "wayland/compositor.h"
#include "xdg-shell-client-protocol.h"
// The generated header names a parameter "namespace", which C++ reserves.
#define namespace namespace_
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace

namespace {

const char LayerNamespace[] = "lumivane";
const char WindowTitle[] = "Lumivane";
const uint32_t AllEdges = ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                          ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT;
// Not moved for panels: over them, to the very edges.
const int32_t OverEverything = -1;
const uint32_t ExclusiveKeyboard = 1;   // the value of "exclusive" in every version
const uint32_t FirstDamageBufferVersion = 4;
// A strip of the buffers' bookkeeping holds what a band of the canvas drew.
const int32_t StripRows = DamageBandRows;
// A size the compositor leaves to us, on an output whose mode is not known:
// the renderer's default.
const int UnknownSideWidth = 1920;
const int UnknownSideHeight = 1080;

Shells g_shells;

// Its size: what was asked, else the output's mode, else the renderer's
// default; at most the largest image (the rest of a larger output is left
// to the compositor).
void Ask(OutputPicture* picture, int width, int height)
{
    if (width <= 0 || height <= 0) {
        width = picture->modeWidth > 0 ? picture->modeWidth : UnknownSideWidth;
        height = picture->modeHeight > 0 ? picture->modeHeight : UnknownSideHeight;
    }
    picture->askedWidth = std::min(width, LargestImageSide);
    picture->askedHeight = std::min(height, LargestImageSide);
}

void OnLayerConfigure(void* data, zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t width, uint32_t height)
{
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    Ask(static_cast<OutputPicture*>(data), static_cast<int>(width), static_cast<int>(height));
}

void OnLayerClosed(void* data, zwlr_layer_surface_v1*)
{
    static_cast<OutputPicture*>(data)->closed = true;
}

const zwlr_layer_surface_v1_listener LayerListener = {OnLayerConfigure, OnLayerClosed};

void OnToplevelConfigure(void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array*)
{
    OutputPicture* picture = static_cast<OutputPicture*>(data);
    picture->offeredWidth = width;
    picture->offeredHeight = height;
}

void OnToplevelClose(void* data, xdg_toplevel*)
{
    static_cast<OutputPicture*>(data)->asksToEnd = true;
}

void OnToplevelBounds(void*, xdg_toplevel*, int32_t, int32_t) {}
void OnToplevelCapabilities(void*, xdg_toplevel*, wl_array*) {}

const xdg_toplevel_listener ToplevelListener = {OnToplevelConfigure, OnToplevelClose, OnToplevelBounds,
                                                OnToplevelCapabilities};

void OnXdgSurfaceConfigure(void* data, xdg_surface* surface, uint32_t serial)
{
    OutputPicture* picture = static_cast<OutputPicture*>(data);
    xdg_surface_ack_configure(surface, serial);
    Ask(picture, picture->offeredWidth, picture->offeredHeight);
}

const xdg_surface_listener XdgSurfaceListener = {OnXdgSurfaceConfigure};

void OnBufferRelease(void* data, wl_buffer* released)
{
    OutputPicture* picture = static_cast<OutputPicture*>(data);
    for (int buffer = 0; buffer < BufferCount; ++buffer)
        if (picture->buffers.buffers[buffer] == released)
            for (BufferLedger& strip : picture->strips)
                NoteRelease(&strip, buffer);
}

const wl_buffer_listener BufferListener = {OnBufferRelease};

void OnFrameDone(void* data, wl_callback* callback, uint32_t)
{
    wl_callback_destroy(callback);
    static_cast<OutputPicture*>(data)->frameCallback = nullptr;
}

const wl_callback_listener FrameListener = {OnFrameDone};

void OnOutputGeometry(void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*, const char*,
                      int32_t)
{
}

void OnOutputMode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t)
{
    OutputPicture* picture = static_cast<OutputPicture*>(data);
    if ((flags & WL_OUTPUT_MODE_CURRENT) != 0) {
        picture->modeWidth = width;
        picture->modeHeight = height;
    }
}

void OnOutputDone(void*, wl_output*) {}
void OnOutputScale(void*, wl_output*, int32_t) {}
void OnOutputName(void*, wl_output*, const char*) {}
void OnOutputDescription(void*, wl_output*, const char*) {}

const wl_output_listener OutputListener = {OnOutputGeometry, OnOutputMode,  OnOutputDone,
                                           OnOutputScale,    OnOutputName, OnOutputDescription};

void DropFrames(OutputPicture* picture)
{
    if (picture->started)
        EndFrameRun(&picture->run);
    picture->started = false;
    DestroyImageSurface(picture->canvas);
    picture->canvas = nullptr;
    DropShmBuffers(&picture->buffers);
}

// Gives a free buffer, filled with what it lacks, to the compositor, with a
// frame callback for the next picture.
void Present(OutputPicture* picture, int buffer)
{
    // Copied strip by strip, but reported as one box: sway repaints each box
    // reported on its own, and many small ones cost it more than their union.
    RECT d = {0, 0, 0, 0};
    for (BufferLedger& strip : picture->strips) {
        const BufferFill fill = GiveBuffer(&strip, buffer);
        CopyToBuffer(&picture->buffers, buffer, SurfaceImage(picture->canvas), fill.copy);
        d = BoxUnion(d, fill.damage);
    }
    wl_surface_attach(picture->surface, picture->buffers.buffers[buffer], 0, 0);
    if (g_shells.compositorVersion >= FirstDamageBufferVersion)
        wl_surface_damage_buffer(picture->surface, d.left, d.top, d.right - d.left, d.bottom - d.top);
    else
        wl_surface_damage(picture->surface, d.left, d.top, d.right - d.left, d.bottom - d.top);
    picture->frameCallback = wl_surface_frame(picture->surface);
    wl_callback_add_listener(picture->frameCallback, &FrameListener, picture);
    wl_surface_commit(picture->surface);
}

// What the canvas drew since it was last asked, owed to the buffers strip
// by strip.
void NoteChanges(OutputPicture* picture)
{
    TakeSurfaceDamageAreas(picture->canvas, &picture->changed);
    for (const RECT& area : picture->changed)
        for (int32_t strip = area.top / StripRows; strip <= (area.bottom - 1) / StripRows; ++strip)
            NoteChange(&picture->strips[static_cast<size_t>(strip)],
                       BoxIntersection(area, {area.left, strip * StripRows, area.right, (strip + 1) * StripRows}));
}

// New canvas and buffers of the size asked, the frames started on them and
// shown whole. False, with the reason, when the memory cannot be had.
bool StartPictureFrames(OutputPicture* picture, const PictureSettings& settings, std::string* why)
{
    // Making a large picture takes longer than a frame: an ending signal
    // meanwhile ends the saver at once.
    EndAtOnceOnSignal(true);
    DropFrames(picture);
    const int width = picture->askedWidth, height = picture->askedHeight;
    picture->canvas = CreateImageSurface(width, height);
    bool made = picture->canvas != nullptr;
    if (!made)
        *why = "no memory for a picture of " + std::to_string(width) + " by " + std::to_string(height) + " pixels";
    made = made && MakeShmBuffers(g_shells.shm, width, height, &BufferListener, picture, &picture->buffers, why);
    if (made) {
        const RECT bounds = {0, 0, width, height};
        StartFrameRun(&picture->run, settings.state, picture->canvas, bounds,
                      ChooseSeed(settings.seeds, picture->index), settings.frames, ClockNow());
        TakeSurfaceDamage(picture->canvas);
        picture->started = true;
        picture->strips.resize(static_cast<size_t>((height + StripRows - 1) / StripRows));
        for (size_t strip = 0; strip < picture->strips.size(); ++strip) {
            const int32_t top = static_cast<int32_t>(strip) * StripRows;
            StartLedger(&picture->strips[strip], {0, top, width, std::min(top + StripRows, height)});
        }
        // Nothing below shows through: the compositor need not draw it.
        wl_region* opaque = wl_compositor_create_region(g_shells.compositor);
        wl_region_add(opaque, 0, 0, width, height);
        wl_surface_set_opaque_region(picture->surface, opaque);
        wl_region_destroy(opaque);
        if (picture->frameCallback != nullptr)
            wl_callback_destroy(picture->frameCallback);
        Present(picture, FreeBuffer(&picture->strips[0]));
    }
    EndAtOnceOnSignal(false);
    return made;
}

}  // namespace

OutputPicture* AddOutputPicture(wl_output* output, uint32_t name, uint32_t index)
{
    OutputPicture* picture = new (std::nothrow) OutputPicture();
    if (picture == nullptr)
        return nullptr;
    picture->name = name;
    picture->index = index;
    picture->output = output;
    wl_output_add_listener(output, &OutputListener, picture);
    return picture;
}

void ShowOutputPicture(OutputPicture* picture, const Shells& shells)
{
    g_shells = shells;
    wl_output* output = picture->output;
    picture->surface = wl_compositor_create_surface(shells.compositor);
    if (shells.layerShell != nullptr) {
        picture->layerSurface = zwlr_layer_shell_v1_get_layer_surface(
            shells.layerShell, picture->surface, output, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, LayerNamespace);
        zwlr_layer_surface_v1_add_listener(picture->layerSurface, &LayerListener, picture);
        zwlr_layer_surface_v1_set_anchor(picture->layerSurface, AllEdges);
        zwlr_layer_surface_v1_set_exclusive_zone(picture->layerSurface, OverEverything);
        zwlr_layer_surface_v1_set_keyboard_interactivity(picture->layerSurface, ExclusiveKeyboard);
    } else {
        picture->xdgSurface = xdg_wm_base_get_xdg_surface(shells.wmBase, picture->surface);
        xdg_surface_add_listener(picture->xdgSurface, &XdgSurfaceListener, picture);
        picture->toplevel = xdg_surface_get_toplevel(picture->xdgSurface);
        xdg_toplevel_add_listener(picture->toplevel, &ToplevelListener, picture);
        xdg_toplevel_set_title(picture->toplevel, WindowTitle);
        xdg_toplevel_set_app_id(picture->toplevel, WaylandSaverName);
        xdg_toplevel_set_fullscreen(picture->toplevel, output);
    }
    // The first commit, without a buffer, asks for the first configure.
    wl_surface_commit(picture->surface);
}

void RemoveOutputPicture(OutputPicture* picture)
{
    DropFrames(picture);
    if (picture->frameCallback != nullptr)
        wl_callback_destroy(picture->frameCallback);
    if (picture->layerSurface != nullptr)
        zwlr_layer_surface_v1_destroy(picture->layerSurface);
    if (picture->toplevel != nullptr)
        xdg_toplevel_destroy(picture->toplevel);
    if (picture->xdgSurface != nullptr)
        xdg_surface_destroy(picture->xdgSurface);
    if (picture->surface != nullptr)
        wl_surface_destroy(picture->surface);
    wl_output_destroy(picture->output);
    delete picture;
}

int64_t DrawDuePicture(OutputPicture* picture, const PictureSettings& settings, int64_t now, bool* ok,
                       std::string* why)
{
    *ok = true;
    if (picture->closed || picture->askedWidth == 0)
        return -1;                      // gone, or not shown and configured yet
    if (!picture->started || picture->askedWidth != picture->buffers.width ||
        picture->askedHeight != picture->buffers.height) {
        try {
            *ok = StartPictureFrames(picture, settings, why);
        } catch (const std::bad_alloc&) {
            *ok = false;
            *why = "out of memory";
        }
        return -1;
    }
    const int buffer = FreeBuffer(&picture->strips[0]);
    if (picture->frameCallback != nullptr || FrameRunHolds(&picture->run) || buffer < 0)
        return -1;                      // a frame callback or a release will come, or a still holds
    try {
        if (!StepDueFrames(&picture->run, settings.state, picture->canvas, now))
            return TimeToNextStep(&picture->run.pacing, now);
    } catch (const std::bad_alloc&) {
        *ok = false;
        *why = "out of memory";
        return -1;
    }
    NoteChanges(picture);
    Present(picture, buffer);
    return -1;
}
