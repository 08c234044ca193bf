// A pointer for the Wayland saver's tests: headless sway has no input
// devices, so this client makes one with the virtual-pointer protocol and
// plays its arguments on it, in order, then goes:
//   move DX DY    a relative move, in pixels
//   click         the left button pressed and let go
//   scroll        one step of the wheel
//   pause MS      a wait, the device kept
// Usage: virtual_pointer ACTION... (exit status 1 when the compositor
// offers no virtual pointers, 2 for a bad action).
#include <wayland-client.h>
#include <linux/input-event-codes.h>
#include <time.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

namespace {

const int WheelStep = 15;
const useconds_t MicrosecondsPerMillisecond = 1000;

zwlr_virtual_pointer_manager_v1* g_manager = nullptr;
wl_seat* g_seat = nullptr;

void OnGlobal(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t)
{
    if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        g_manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    else if (std::strcmp(interface, wl_seat_interface.name) == 0 && g_seat == nullptr)
        g_seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
}

void OnGlobalRemove(void*, wl_registry*, uint32_t) {}

const wl_registry_listener RegistryListener = {OnGlobal, OnGlobalRemove};

uint32_t Milliseconds()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint32_t>(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

bool Number(const char* text, long* value)
{
    char* end = nullptr;
    *value = std::strtol(text, &end, 10);
    return text[0] != '\0' && *end == '\0';
}

}  // namespace

int main(int argc, char** argv)
{
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "virtual_pointer: no compositor\n");
        return 1;
    }
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &RegistryListener, nullptr);
    wl_display_roundtrip(display);
    if (g_manager == nullptr) {
        std::fprintf(stderr, "virtual_pointer: the compositor offers no virtual pointers\n");
        return 1;
    }
    zwlr_virtual_pointer_v1* pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(g_manager, g_seat);
    wl_display_roundtrip(display);
    for (int i = 1; i < argc; ++i) {
        const std::string action = argv[i];
        long x = 0, y = 0;
        if (action == "move" && i + 2 < argc && Number(argv[i + 1], &x) && Number(argv[i + 2], &y)) {
            zwlr_virtual_pointer_v1_motion(pointer, Milliseconds(), wl_fixed_from_int(x), wl_fixed_from_int(y));
            i += 2;
        } else if (action == "click") {
            zwlr_virtual_pointer_v1_button(pointer, Milliseconds(), BTN_LEFT, WL_POINTER_BUTTON_STATE_PRESSED);
            zwlr_virtual_pointer_v1_frame(pointer);
            zwlr_virtual_pointer_v1_button(pointer, Milliseconds(), BTN_LEFT, WL_POINTER_BUTTON_STATE_RELEASED);
        } else if (action == "scroll") {
            zwlr_virtual_pointer_v1_axis(pointer, Milliseconds(), WL_POINTER_AXIS_VERTICAL_SCROLL,
                                         wl_fixed_from_int(WheelStep));
        } else if (action == "pause" && i + 1 < argc && Number(argv[i + 1], &x)) {
            usleep(static_cast<useconds_t>(x) * MicrosecondsPerMillisecond);
            ++i;
            continue;
        } else {
            std::fprintf(stderr, "virtual_pointer: bad action \"%s\"\n", action.c_str());
            return 2;
        }
        zwlr_virtual_pointer_v1_frame(pointer);
        wl_display_roundtrip(display);
    }
    zwlr_virtual_pointer_v1_destroy(pointer);
    zwlr_virtual_pointer_manager_v1_destroy(g_manager);
    if (g_seat != nullptr)
        wl_seat_destroy(g_seat);
    wl_registry_destroy(registry);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
