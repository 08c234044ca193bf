// The beam model: random starts, the two bounce rules, the shared shaping
// steps and the three drawing methods that initialise or step both beams.
// Everything works in place on the caller's fixed beams; nothing allocates.
#include "animation/beams.h"
#include <algorithm>
#include <cmath>
#include "animation/random.h"

const double RandomScale = 1.0 / RandomMax;
const int RandomCentre = 16383;
const double InterpolationFactor = 0.002;       // 1/500: point 498 sits at 0.996
const int LastPoint = BeamLength - 1;

double RandomSpan(double a, double b)
{
    return (RandomInteger() * RandomScale) * (a - b);
}

double RandomSigned(double s)
{
    return ((RandomInteger() - RandomCentre) * RandomScale) * s;
}

void RandomizePoint(BeamPoint* point, const RECT& bounds, double speed)
{
    point->x = RandomSpan(bounds.right, bounds.left);
    point->y = RandomSpan(bounds.bottom, bounds.top);
    point->vx = RandomSigned(speed);
    point->vy = RandomSigned(speed);
}

static void Move(BeamPoint* point, double dt)
{
    point->x += dt * point->vx;
    point->y += dt * point->vy;
}

// Only the velocity turns; an end past an edge comes back on the next step.
static void TurnAxis(double position, double* velocity, double low, double high)
{
    if (position > high)
        *velocity = -std::fabs(*velocity);
    if (position < low)
        *velocity = std::fabs(*velocity);
}

void MoveAndTurn(BeamPoint* point, const RECT& bounds, double dt)
{
    Move(point, dt);
    TurnAxis(point->x, &point->vx, bounds.left, bounds.right);
    TurnAxis(point->y, &point->vy, bounds.top, bounds.bottom);
}

// A step longer than the bounds, or a point that started far outside, is
// still outside after the two reflections. Carrying the reflections on is a
// mirror with period twice the extent; one more reflection on the way turns
// the velocity once more. Bounds without room hold the point at their edge.
static void FoldInside(double* position, double* velocity, double low, double high)
{
    if (*position >= low && *position <= high)
        return;
    double extent = high - low;
    if (!(extent > 0)) {
        *position = low;
        return;
    }
    double period = 2 * extent;
    double phase = std::fmod(*position - low, period);
    if (phase < 0)
        phase += period;
    if (phase > extent) {
        *position = high - (phase - extent);
        *velocity = -*velocity;
    } else {
        *position = low + phase;
    }
}

static void ReflectAxis(double* position, double* velocity, double low, double high)
{
    if (*position >= high) {
        *velocity = -*velocity;
        *position = *position - 2 * (*position - high);
    }
    if (*position <= low) {
        *velocity = -*velocity;
        *position = *position - 2 * (*position - low);
    }
    FoldInside(position, velocity, low, high);
}

void MoveAndReflect(BeamPoint* point, const RECT& bounds, double dt)
{
    Move(point, dt);
    ReflectAxis(&point->x, &point->vx, bounds.left, bounds.right);
    ReflectAxis(&point->y, &point->vy, bounds.top, bounds.bottom);
}

static double InterpolatedCoordinate(double first, double last, int i)
{
    return std::trunc(first + ((last - first) * i) * InterpolationFactor);
}

static void InterpolatePoint(Beam* beam, int i)
{
    const BeamPoint& first = beam->point[0];
    const BeamPoint& last = beam->point[LastPoint];
    beam->point[i].x = InterpolatedCoordinate(first.x, last.x, i);
    beam->point[i].y = InterpolatedCoordinate(first.y, last.y, i);
}

void InterpolateInterior(Beam* top, Beam* bottom)
{
    for (int i = 1; i < LastPoint; i++) {
        InterpolatePoint(top, i);
        InterpolatePoint(bottom, i);
    }
}

void ShareVelocity(Beam* beam)
{
    for (int i = 1; i < BeamLength; i++) {
        beam->point[i].vx = beam->point[0].vx;
        beam->point[i].vy = beam->point[0].vy;
    }
}

// The four ends at random, the interior on the lines between them.
static void RandomizeEnds(const RECT& bounds, double speed, Beam* top, Beam* bottom)
{
    RandomizePoint(&top->point[0], bounds, speed);
    RandomizePoint(&top->point[LastPoint], bounds, speed);
    RandomizePoint(&bottom->point[0], bounds, speed);
    RandomizePoint(&bottom->point[LastPoint], bounds, speed);
    InterpolateInterior(top, bottom);
}

static void ReflectAll(const RECT& bounds, double dt, Beam* top, Beam* bottom)
{
    for (int k = 0; k < BeamLength; k++) {
        MoveAndReflect(&top->point[k], bounds, dt);
        MoveAndReflect(&bottom->point[k], bounds, dt);
    }
}

void LumivaneMethod(int initialise, const RECT& bounds, double value, Beam* top, Beam* bottom)
{
    if (initialise) {
        RandomizeEnds(bounds, value, top, bottom);
        return;
    }
    MoveAndTurn(&top->point[0], bounds, value);
    MoveAndTurn(&top->point[LastPoint], bounds, value);
    MoveAndTurn(&bottom->point[0], bounds, value);
    MoveAndTurn(&bottom->point[LastPoint], bounds, value);
    InterpolateInterior(top, bottom);
}

void FlexBeamMethod(int initialise, const RECT& bounds, double value, Beam* top, Beam* bottom)
{
    if (!initialise) {
        ReflectAll(bounds, value, top, bottom);
        return;
    }
    RandomizeEnds(bounds, value, top, bottom);
    ShareVelocity(top);
    ShareVelocity(bottom);
}

// A rectangle of the text's size (width and height waiting in top[0]) laid
// along top[0]'s random direction: top[0] leads, top[499] trails a width
// behind, the bottom beam lies a height to the side along (-uy, ux).
void StraightBeamMethod(int initialise, const RECT& bounds, double value, Beam* top, Beam* bottom)
{
    if (!initialise) {
        ReflectAll(bounds, value, top, bottom);
        return;
    }
    BeamPoint* lead = &top->point[0];
    BeamPoint* trail = &top->point[LastPoint];
    BeamPoint* side = &bottom->point[0];
    BeamPoint* corner = &bottom->point[LastPoint];
    const double width = lead->x;
    const double height = lead->y;
    RandomizePoint(lead, bounds, value);
    // Without a velocity there is no direction (0/0): the rectangle is laid
    // as for motion to the right, and stands still anyway.
    double ux = 1;
    double uy = 0;
    // The velocity is brought to a largest component of 1 before it is
    // squared, so no square underflows or overflows: the direction is the
    // motion's at every speed, whether the arithmetic has the x87's exponent
    // range or SSE2's.
    double largest = std::max(std::fabs(lead->vx), std::fabs(lead->vy));
    if (largest > 0) {
        double sx = lead->vx / largest;
        double sy = lead->vy / largest;
        double length = std::sqrt(sx * sx + sy * sy);
        ux = sx / length;
        uy = sy / length;
    }
    trail->x = lead->x - ux * width;
    trail->y = lead->y - uy * width;
    side->x = lead->x - uy * height;
    side->y = lead->y + ux * height;
    corner->x = side->x - ux * width;
    corner->y = side->y - uy * width;
    side->vx = lead->vx;
    side->vy = lead->vy;
    InterpolateInterior(top, bottom);
    ShareVelocity(top);
    ShareVelocity(bottom);
}

BeamMethod* MethodFor(DrawMethod method)
{
    switch (method) {
    case MethodFlexBeam:
        return FlexBeamMethod;
    case MethodStraightBeam:
        return StraightBeamMethod;
    default:
        return LumivaneMethod;
    }
}
