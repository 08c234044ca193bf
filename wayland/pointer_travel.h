// When the pointer has moved far enough to end the saver: more than
// MostPointerTravel pixels, horizontal plus vertical, from where it was
// first seen on the saver's surfaces, as on Windows (host/closing_policy.h).
// A small nudge of the desk leaves the saver running. Pure logic.
#pragma once

const double MostPointerTravel = 4;

struct PointerAnchor {
    bool set;                           // a position has been seen since the pointer entered
    double x;
    double y;
};

// The pointer entered a surface at x, y (surface pixels): the new anchor,
// since positions on another output's surface do not compare.
void AnchorPointer(PointerAnchor* anchor, double x, double y);
// The pointer moved to x, y: true when that is too far from the anchor. A
// motion without an anchor (no entry seen) anchors there.
bool PointerTravelledTooFar(PointerAnchor* anchor, double x, double y);
// The pointer left the surfaces, or the seat lost it.
void DropPointerAnchor(PointerAnchor* anchor);
