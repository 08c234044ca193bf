// The two beams the text is stretched between, and how they move. Pure logic:
// no window or graphics call; the random draws come from animation/random,
// which the frame seeds when the frames start.
#pragma once
#include <cstdint>
#include "animation/geometry.h"
#include "animation/random.h"

const int BeamLength = 500;

// Position in client pixels (x to the right, y downward) and velocity in
// pixels per unit of simulated time. Every point has its own velocity.
struct BeamPoint { double x, y, vx, vy; };
// Indices 0 and BeamLength - 1 are the ends, the rest the interior.
struct Beam { BeamPoint point[BeamLength]; };

// 1 FlexBeam, 2 StraightBeam, every other value Lumivane.
typedef int32_t DrawMethod;
const DrawMethod MethodLumivane = 0, MethodFlexBeam = 1, MethodStraightBeam = 2;

// r/32767 * (a - b): 0 to a - b, both included; b is not added back.
double RandomSpan(double a, double b);
// (r - 16383)/32767 * s: about -s/2 to +s/2, exactly 0 at r = 16383.
double RandomSigned(double s);
// Four draws in this order: x over the width, y over the height, vx, vy.
void RandomizePoint(BeamPoint* point, const RECT& bounds, double speed);

// One step of dt, then a velocity component that carries the point past an
// edge (strictly) is turned to point back inside; the position stays.
void MoveAndTurn(BeamPoint* point, const RECT& bounds, double dt);
// One step of dt, then a point on or past an edge is mirrored at it with that
// velocity component negated; the point always ends within the bounds.
void MoveAndReflect(BeamPoint* point, const RECT& bounds, double dt);

// Points 1..498 of both beams on the straight line between their ends, at
// i/500 of the way, truncated toward zero to whole numbers; ends and all
// velocities unchanged.
void InterpolateInterior(Beam* top, Beam* bottom);
// Points 1..499 take point 0's velocity.
void ShareVelocity(Beam* beam);

// A nonzero initialise starts both beams with value as the speed; zero
// advances them by one step of length value. StraightBeamMethod's start reads
// the text's width and height from top->point[0].x and .y.
typedef void BeamMethod(int initialise, const RECT& bounds, double value, Beam* top, Beam* bottom);
BeamMethod LumivaneMethod, FlexBeamMethod, StraightBeamMethod;
// The one place that maps a method number to its operation.
BeamMethod* MethodFor(DrawMethod method);
