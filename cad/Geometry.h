#pragma once

#include "Drawing.h"
#include "Entity.h"

#include <optional>

namespace cad {

double distance(Point a, Point b);
// Direction from a to b in degrees in [0, 360); exact on the axes.
double angleOf(Point a, Point b);
double normalizedDegrees(double degrees);
Point polar(Point from, double length, double degrees);
// Centre of the circle through three points; none when they lie on one line.
std::optional<Point> circumcentre(Point p1, Point p2, Point p3);
// End points of an arc.
Point arcStart(const Entity &arc);
Point arcEnd(const Entity &arc);

struct Box
{
    Point min{1, 1}, max{-1, -1};
    bool empty() const { return min.x > max.x || min.y > max.y; }
    void add(Point p);
    void include(const Box &b);
    double width() const { return empty() ? 0 : max.x - min.x; }
    double height() const { return empty() ? 0 : max.y - min.y; }
};

// The box an entity covers; text is estimated from its height and length.
Box bounds(const Entity &e);
// The box all entities cover; empty for an empty drawing.
Box extents(const Drawing &drawing);
Box extents(const std::vector<Entity> &entities);

} // namespace cad
