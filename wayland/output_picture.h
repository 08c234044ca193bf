// One output's picture: a surface that covers the output, on the layer
// shell's overlay layer (anchored to every edge, exclusive zone -1, the
// keyboard exclusively ours), or, where the compositor has no layer shell,
// an xdg-shell toplevel made fullscreen on that output. Its own run of the
// frames, seeded with the seed plus the output's index, is drawn on a canvas
// once per frame callback, and what changed copied into a free one of its
// two buffers (wayland/buffer_ledger, kept strip by strip of rows, so that a
// wide text's narrow changes are copied and reported as such) before the
// surface is committed.
#pragma once
#include <wayland-client.h>
#include <cstdint>
#include <string>
#include <vector>
#include "linux/frame_run.h"
#include "settings/saver_state.h"
#include "wayland/buffer_ledger.h"
#include "wayland/shm_buffers.h"

struct zwlr_layer_shell_v1;
struct zwlr_layer_surface_v1;
struct xdg_wm_base;
struct xdg_surface;
struct xdg_toplevel;

// What every output's picture is made with.
struct PictureSettings {
    const SaverState* state;            // with its font and brush made
    SeedChoice seeds;
    int64_t frames;                     // of a still; 0 runs on
};

// The compositor's globals that the pictures use; layerShell or wmBase may
// be null, not both.
struct Shells {
    wl_compositor* compositor;
    uint32_t compositorVersion;
    wl_shm* shm;
    zwlr_layer_shell_v1* layerShell;
    xdg_wm_base* wmBase;
};

struct OutputPicture {
    uint32_t name;                      // the output's name in the registry
    uint32_t index;                     // outputs counted from 0 as they came
    wl_output* output;
    int modeWidth;                      // the output's current mode, 0 before it is known
    int modeHeight;
    wl_surface* surface;
    zwlr_layer_surface_v1* layerSurface;
    xdg_surface* xdgSurface;
    xdg_toplevel* toplevel;
    int offeredWidth;                   // the toplevel's last configure, 0 for "choose"
    int offeredHeight;
    int askedWidth;                     // the size configured, 0 before the first configure
    int askedHeight;
    bool closed;                        // the compositor took the surface away
    bool asksToEnd;                     // the compositor asked the toplevel to close
    bool started;                       // frames run on canvas and buffers
    Surface canvas;
    ShmBuffers buffers;
    std::vector<BufferLedger> strips;   // one a StripRows rows of the picture, from the top
    std::vector<RECT> changed;          // the areas the last frame drew
    wl_callback* frameCallback;         // the frame callback awaited, null when a picture may be drawn
    FrameRun run;
};

// A picture for the output as soon as it is bound, so that it hears the
// output's mode; null when there is no memory.
OutputPicture* AddOutputPicture(wl_output* output, uint32_t name, uint32_t index);
// Its surface made and committed for its first configure, once the shells
// are known.
void ShowOutputPicture(OutputPicture* picture, const Shells& shells);
void RemoveOutputPicture(OutputPicture* picture);

// Draws the picture when a frame callback (or the first configure) allows
// it and steps are due. Returns how many microseconds from now it wants to
// be asked again, -1 when it waits for the compositor (or holds a still);
// false in *ok, with the reason, when it cannot draw.
int64_t DrawDuePicture(OutputPicture* picture, const PictureSettings& settings, int64_t now, bool* ok,
                       std::string* why);
