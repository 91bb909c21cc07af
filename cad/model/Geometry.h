#pragma once

#include "cad/model/Box.h"
#include "cad/model/Drawing.h"
#include "cad/model/Entity.h"
#include "cad/model/EntityView.h"

#include <array>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace cad {

double distance(Point a, Point b);
// Direction from a to b in degrees in [0, 360); exact on the axes.
double angleOf(Point a, Point b);
double normalizedDegrees(double degrees);
// The end of a sweep counter-clockwise from `start` (radians): `end` where it lies after start,
// else moved on by whole turns to within one turn after it (a full turn when they are equal).
double sweepEnd(double start, double end);
Point polar(Point from, double length, double degrees);
// Centre of the circle through three points; none when they lie on one line.
std::optional<Point> circumcentre(Point p1, Point p2, Point p3);
// Whether the counter-clockwise sweep from `start` to `end` (degrees; a full turn when they are
// equal) passes the direction `degrees`, or misses it by no more than `tolerance`.
bool sweepPasses(double start, double end, double degrees, double tolerance = 0);
// Directions this near the ends of an arc, in degrees, still count as on it where a point's
// direction is computed.
inline constexpr double sweepTolerance = 1e-7;
// Half way from a to b.
constexpr Point midpoint(Point a, Point b)
{
    return {(a.x + b.x) / 2, (a.y + b.y) / 2};
}
// The box of the points, each grown by `half` on every side.
Box vertexBox(std::span<const Point> vertices, double half = 0);
// The line through a and b shifted by d to its left (d < 0: to its right); a and b must differ.
std::pair<Point, Point> shiftedLine(Point a, Point b, double d);
// Positive when p lies left of the line from a to b, negative right of it, 0 on it.
double sideOf(Point a, Point b, Point p);
// Where the lines through two pairs of points meet; none when they are parallel.
std::optional<Point> lineCrossing(std::pair<Point, Point> l, std::pair<Point, Point> m);
// The corners of a wide segment from a (width w0) to b (width w1), in order round it; a and b
// must differ.
std::array<Point, 4> band(Point a, Point b, double w0, double w1);
// End points of an arc.
Point arcStart(const EntityView &arc);
Point arcEnd(const EntityView &arc);

// The loops of a fill's vertices, each from its first point on to where it comes back to it
// (that point repeated last); a last loop that does not come back is closed as it stands.
std::vector<std::span<const Point>> fillLoops(std::span<const Point> vertices);

// The box an entity covers; text is estimated from its height and length; rays (without end)
// none.
Box bounds(const Entity &e);
Box bounds(const EntityView &e);
// The box all entities cover; empty for an empty drawing.
Box extents(const Drawing &drawing);
Box extents(const std::vector<Entity> &entities);

} // namespace cad
