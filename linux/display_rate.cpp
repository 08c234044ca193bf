// The rate comes from the mode's timings: the pixel clock over the pixels of
// one whole frame, blanking included, as XRandR's own tools compute it.
#include "linux/display_rate.h"
#include <X11/extensions/Xrandr.h>

namespace {

// The rate of a mode, 0 when it has no timings.
double ModeRate(const XRRScreenResources* resources, RRMode id)
{
    for (int m = 0; m < resources->nmode; ++m) {
        const XRRModeInfo& mode = resources->modes[m];
        if (mode.id == id && mode.hTotal != 0 && mode.vTotal != 0)
            return static_cast<double>(mode.dotClock) / (static_cast<double>(mode.hTotal) * mode.vTotal);
    }
    return 0;
}

}  // namespace

double WindowRefreshRate(Display* display, Window window)
{
    int eventBase = 0, errorBase = 0;
    XWindowAttributes attributes;
    if (!XRRQueryExtension(display, &eventBase, &errorBase) || XGetWindowAttributes(display, window, &attributes) == 0)
        return FallbackRefreshRate;
    int x = 0, y = 0;
    Window child;
    if (!XTranslateCoordinates(display, window, attributes.root, attributes.width / 2, attributes.height / 2, &x, &y,
                               &child))
        return FallbackRefreshRate;
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, attributes.root);
    if (resources == nullptr)
        return FallbackRefreshRate;
    double rate = 0;
    for (int c = 0; c < resources->ncrtc && rate == 0; ++c) {
        XRRCrtcInfo* crtc = XRRGetCrtcInfo(display, resources, resources->crtcs[c]);
        if (crtc == nullptr)
            continue;
        const bool holds = crtc->mode != None && x >= crtc->x && y >= crtc->y &&
                           x < crtc->x + static_cast<int>(crtc->width) && y < crtc->y + static_cast<int>(crtc->height);
        if (holds)
            rate = ModeRate(resources, crtc->mode);
        XRRFreeCrtcInfo(crtc);
    }
    XRRFreeScreenResources(resources);
    return rate > 0 ? rate : FallbackRefreshRate;
}
