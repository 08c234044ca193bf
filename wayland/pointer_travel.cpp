// The pointer's distance from its anchor, measured as Windows measures it:
// the horizontal and vertical distances added.
#include "wayland/pointer_travel.h"
#include <cmath>

void AnchorPointer(PointerAnchor* anchor, double x, double y)
{
    *anchor = {true, x, y};
}

bool PointerTravelledTooFar(PointerAnchor* anchor, double x, double y)
{
    if (!anchor->set) {
        AnchorPointer(anchor, x, y);
        return false;
    }
    return std::fabs(x - anchor->x) + std::fabs(y - anchor->y) > MostPointerTravel;
}

void DropPointerAnchor(PointerAnchor* anchor)
{
    anchor->set = false;
}
