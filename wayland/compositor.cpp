// The registry, the seat and the loop that waits on the compositor and on
// the ending signals. An output's picture is made as the output is bound,
// shown once the shells are known, and goes with its output; input of any
// kind ends the saver, except the pointer's small moves. A lost connection
// ends the saver without a word: the compositor's end is the session's.
#include "wayland/compositor.h"
#include <poll.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>
#include "linux/ending_signals.h"
#include "wayland/pointer_travel.h"
#include "xdg-shell-client-protocol.h"
// The generated header names a parameter "namespace", which C++ reserves.
#define namespace namespace_
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace

const char WaylandSaverName[] = "lumivane-wayland";

namespace {

const int ExitNoPicture = 1;
const int64_t MicrosecondsPerMillisecond = 1000;
// The versions used: damage in buffer pixels (compositor 4), the seat's
// events up to 5, the layer shell as KWin 5.27 (3) and sway 1.7 (4) offer
// it, and xdg_wm_base and wl_output at 2, which give all the saver needs.
const uint32_t CompositorVersion = 4;
const uint32_t SeatVersion = 5;
const uint32_t LayerShellVersion = 4;
const uint32_t WmBaseVersion = 2;
const uint32_t OutputVersion = 2;
const uint32_t FirstReleaseVersion = 3;

wl_display* g_display = nullptr;
wl_registry* g_registry = nullptr;
Shells g_shells = {};
bool g_xdgShellOnly = false;
wl_seat* g_seat = nullptr;
uint32_t g_seatVersion = 0;
wl_keyboard* g_keyboard = nullptr;
wl_pointer* g_pointer = nullptr;
PointerAnchor g_anchor = {false, 0, 0};
bool g_inputEnds = false;
const PictureSettings* g_settings = nullptr;  // set once the pictures are shown
std::vector<OutputPicture*> g_pictures;
uint32_t g_outputsSeen = 0;
bool g_outOfMemory = false;                   // a picture could not be made

uint32_t Lower(uint32_t offered, uint32_t wanted)
{
    return std::min(offered, wanted);
}

// A picture for each output as it is bound; shown at once when the pictures
// run, else when they start.
void AddPicture(wl_output* output, uint32_t name)
{
    OutputPicture* picture = AddOutputPicture(output, name, g_outputsSeen++);
    if (picture == nullptr) {
        wl_output_destroy(output);
        g_outOfMemory = true;
        return;
    }
    g_pictures.push_back(picture);
    if (g_settings != nullptr)
        ShowOutputPicture(picture, g_shells);
}

// --- Input: anything but a small move of the pointer ends the saver. ---

void OnKeymap(void*, wl_keyboard*, uint32_t, int32_t descriptor, uint32_t)
{
    close(descriptor);                  // keys end the saver whatever they mean
}

void OnKeyboardEnter(void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {}
void OnKeyboardLeave(void*, wl_keyboard*, uint32_t, wl_surface*) {}

void OnKey(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t state)
{
    // A key held as the saver starts is let go, not pressed.
    if (state == WL_KEYBOARD_KEY_STATE_PRESSED)
        g_inputEnds = true;
}

void OnModifiers(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {}
void OnRepeatInfo(void*, wl_keyboard*, int32_t, int32_t) {}

const wl_keyboard_listener KeyboardListener = {OnKeymap, OnKeyboardEnter, OnKeyboardLeave,
                                               OnKey,    OnModifiers,     OnRepeatInfo};

void OnPointerEnter(void*, wl_pointer* pointer, uint32_t serial, wl_surface*, wl_fixed_t x, wl_fixed_t y)
{
    wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);  // no cursor over the saver
    AnchorPointer(&g_anchor, wl_fixed_to_double(x), wl_fixed_to_double(y));
}

void OnPointerLeave(void*, wl_pointer*, uint32_t, wl_surface*)
{
    DropPointerAnchor(&g_anchor);
}

void OnMotion(void*, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y)
{
    if (PointerTravelledTooFar(&g_anchor, wl_fixed_to_double(x), wl_fixed_to_double(y)))
        g_inputEnds = true;
}

void OnButton(void*, wl_pointer*, uint32_t, uint32_t, uint32_t, uint32_t state)
{
    if (state == WL_POINTER_BUTTON_STATE_PRESSED)
        g_inputEnds = true;
}

void OnAxis(void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t)
{
    g_inputEnds = true;
}

void OnPointerFrame(void*, wl_pointer*) {}
void OnAxisSource(void*, wl_pointer*, uint32_t) {}
void OnAxisStop(void*, wl_pointer*, uint32_t, uint32_t) {}
void OnAxisDiscrete(void*, wl_pointer*, uint32_t, int32_t) {}
void OnAxisValue120(void*, wl_pointer*, uint32_t, int32_t) {}

const wl_pointer_listener PointerListener = {OnPointerEnter, OnPointerLeave, OnMotion,       OnButton,
                                             OnAxis,         OnPointerFrame, OnAxisSource,   OnAxisStop,
                                             OnAxisDiscrete, OnAxisValue120};

void OnCapabilities(void*, wl_seat* seat, uint32_t capabilities)
{
    const bool keyboard = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
    const bool pointer = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
    if (keyboard && g_keyboard == nullptr) {
        g_keyboard = wl_seat_get_keyboard(seat);
        wl_keyboard_add_listener(g_keyboard, &KeyboardListener, nullptr);
    } else if (!keyboard && g_keyboard != nullptr) {
        g_seatVersion >= FirstReleaseVersion ? wl_keyboard_release(g_keyboard) : wl_keyboard_destroy(g_keyboard);
        g_keyboard = nullptr;
    }
    if (pointer && g_pointer == nullptr) {
        g_pointer = wl_seat_get_pointer(seat);
        wl_pointer_add_listener(g_pointer, &PointerListener, nullptr);
    } else if (!pointer && g_pointer != nullptr) {
        g_seatVersion >= FirstReleaseVersion ? wl_pointer_release(g_pointer) : wl_pointer_destroy(g_pointer);
        g_pointer = nullptr;
        DropPointerAnchor(&g_anchor);
    }
}

void OnSeatName(void*, wl_seat*, const char*) {}

const wl_seat_listener SeatListener = {OnCapabilities, OnSeatName};

void OnPing(void*, xdg_wm_base* base, uint32_t serial)
{
    xdg_wm_base_pong(base, serial);
}

const xdg_wm_base_listener WmBaseListener = {OnPing};

// --- The registry: globals as they come and go. ---

void OnGlobal(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t version)
{
    const std::string which = interface;
    if (which == wl_compositor_interface.name) {
        g_shells.compositorVersion = Lower(version, CompositorVersion);
        g_shells.compositor = static_cast<wl_compositor*>(
            wl_registry_bind(registry, name, &wl_compositor_interface, g_shells.compositorVersion));
    } else if (which == wl_shm_interface.name) {
        g_shells.shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    } else if (which == zwlr_layer_shell_v1_interface.name && !g_xdgShellOnly) {
        g_shells.layerShell = static_cast<zwlr_layer_shell_v1*>(
            wl_registry_bind(registry, name, &zwlr_layer_shell_v1_interface, Lower(version, LayerShellVersion)));
    } else if (which == xdg_wm_base_interface.name) {
        g_shells.wmBase = static_cast<xdg_wm_base*>(
            wl_registry_bind(registry, name, &xdg_wm_base_interface, Lower(version, WmBaseVersion)));
        xdg_wm_base_add_listener(g_shells.wmBase, &WmBaseListener, nullptr);
    } else if (which == wl_seat_interface.name && g_seat == nullptr) {
        g_seatVersion = Lower(version, SeatVersion);
        g_seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, g_seatVersion));
        wl_seat_add_listener(g_seat, &SeatListener, nullptr);
    } else if (which == wl_output_interface.name) {
        AddPicture(static_cast<wl_output*>(
                       wl_registry_bind(registry, name, &wl_output_interface, Lower(version, OutputVersion))),
                   name);
    }
}

void OnGlobalRemove(void*, wl_registry*, uint32_t name)
{
    for (size_t i = 0; i < g_pictures.size(); ++i) {
        if (g_pictures[i]->name == name) {
            RemoveOutputPicture(g_pictures[i]);
            g_pictures.erase(g_pictures.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
    }
}

const wl_registry_listener RegistryListener = {OnGlobal, OnGlobalRemove};

// Removes the pictures whose surfaces the compositor closed (their output
// went); true when one asks the saver to end.
bool TidyPictures()
{
    bool end = false;
    for (size_t i = g_pictures.size(); i-- > 0;) {
        end = end || g_pictures[i]->asksToEnd;
        if (g_pictures[i]->closed) {
            RemoveOutputPicture(g_pictures[i]);
            g_pictures.erase(g_pictures.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
    return end;
}

// Draws what is due on every output; the microseconds until one wants to be
// asked again, -1 when all wait for the compositor. False in *ok, with the
// reason, when one cannot draw.
int64_t DrawDuePictures(bool* ok, std::string* why)
{
    int64_t wait = -1;
    const int64_t now = ClockNow();
    for (OutputPicture* picture : g_pictures) {
        const int64_t next = DrawDuePicture(picture, *g_settings, now, ok, why);
        if (!*ok)
            return -1;
        if (next >= 0 && (wait < 0 || next < wait))
            wait = next;
    }
    return wait;
}

// The compositor's error when it is a protocol error (a fault of ours, to be
// said), else empty: a lost connection is the session's end.
std::string ProtocolError()
{
    if (wl_display_get_error(g_display) != EPROTO)
        return "";
    const wl_interface* interface = nullptr;
    uint32_t id = 0;
    const uint32_t code = wl_display_get_protocol_error(g_display, &interface, &id);
    return std::string("protocol error ") + std::to_string(code) + " on " +
           (interface != nullptr ? interface->name : "an object");
}

}  // namespace

bool ConnectCompositor(bool xdgShellOnly, std::string* error)
{
    g_xdgShellOnly = xdgShellOnly;
    g_display = wl_display_connect(nullptr);
    if (g_display == nullptr) {
        const char* name = std::getenv("WAYLAND_DISPLAY");
        *error = std::string("cannot connect to the Wayland compositor \"") + (name != nullptr ? name : "wayland-0") +
                 "\": " + std::strerror(errno);
        return false;
    }
    g_registry = wl_display_get_registry(g_display);
    wl_registry_add_listener(g_registry, &RegistryListener, nullptr);
    // The globals, then what binding them brought (the outputs' modes, the seat).
    if (wl_display_roundtrip(g_display) < 0 || wl_display_roundtrip(g_display) < 0) {
        *error = "the compositor closed the connection";
        return false;
    }
    if (g_shells.compositor == nullptr || g_shells.shm == nullptr) {
        *error = "the compositor offers no surfaces with shared memory";
        return false;
    }
    if (g_shells.layerShell == nullptr && g_shells.wmBase == nullptr) {
        *error = "the compositor offers neither the layer shell nor xdg-shell";
        return false;
    }
    return true;
}

SaverEnd RunOutputPictures(const PictureSettings& settings, int signals)
{
    SaverEnd end = {0, 0};
    g_settings = &settings;
    for (OutputPicture* picture : g_pictures)
        ShowOutputPicture(picture, g_shells);
    std::string why = "out of memory";
    for (;;) {
        bool ok = !g_outOfMemory;
        const int64_t wait = ok ? DrawDuePictures(&ok, &why) : -1;
        if (!ok) {
            std::fprintf(stderr, "%s: %s\n", WaylandSaverName, why.c_str());
            end.exitCode = ExitNoPicture;
            break;
        }
        if (g_inputEnds || TidyPictures())
            break;
        // Events already read are handled first: what they bring may want
        // drawing, or end the saver.
        if (wl_display_prepare_read(g_display) != 0) {
            if (wl_display_dispatch_pending(g_display) < 0)
                break;
            continue;
        }
        // What cannot be sent now waits for the socket to take it.
        const bool flushed = wl_display_flush(g_display) >= 0 || errno != EAGAIN;
        // poll counts whole milliseconds: round up, or it wakes early and spins.
        const int timeout = wait < 0 ? -1 : static_cast<int>((wait + MicrosecondsPerMillisecond - 1) /
                                                            MicrosecondsPerMillisecond);
        pollfd watched[2] = {{wl_display_get_fd(g_display), static_cast<short>(POLLIN | (flushed ? 0 : POLLOUT)), 0},
                             {signals, POLLIN, 0}};
        if (poll(watched, 2, timeout) < 0 && errno != EINTR) {
            std::fprintf(stderr, "%s: cannot wait for the compositor: %s\n", WaylandSaverName, std::strerror(errno));
            wl_display_cancel_read(g_display);
            end.exitCode = ExitNoPicture;
            break;
        }
        if ((watched[0].revents & POLLIN) != 0) {
            if (wl_display_read_events(g_display) < 0)
                break;
        } else {
            wl_display_cancel_read(g_display);
        }
        if ((watched[1].revents & POLLIN) != 0 && (end.signal = TakeEndingSignal(signals)) != 0)
            break;
        if (wl_display_dispatch_pending(g_display) < 0 || (watched[0].revents & (POLLERR | POLLHUP)) != 0)
            break;
    }
    const std::string fault = ProtocolError();
    if (!fault.empty()) {
        std::fprintf(stderr, "%s: %s\n", WaylandSaverName, fault.c_str());
        end.exitCode = ExitNoPicture;
    }
    return end;
}

void DisconnectCompositor()
{
    if (g_display == nullptr)
        return;
    for (OutputPicture* picture : g_pictures)
        RemoveOutputPicture(picture);
    g_pictures.clear();
    wl_display_disconnect(g_display);
    g_display = nullptr;
}
