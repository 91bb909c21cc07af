#include "cad/Transform.h"

#include "cad/Geometry.h"

#include <cmath>
#include <functional>
#include <numbers>

namespace cad {

namespace {

void eachPoint(Entity &e, const std::function<Point(Point)> &f)
{
    e.a = f(e.a);
    e.b = f(e.b);
    e.centre = f(e.centre);
    e.insert = f(e.insert);
    for (Point &v : e.vertices)
        v = f(v);
}

} // namespace

Entity moved(Entity e, double dx, double dy)
{
    eachPoint(e, [=](Point p) { return Point{p.x + dx, p.y + dy}; });
    return e;
}

Entity rotated(Entity e, Point base, double degrees)
{
    const double r = normalizedDegrees(degrees);
    // Exact on quarter turns, as the forms' turned cases are.
    const auto turn = [r](Point v) {
        if (r == 0) return v;
        if (r == 90) return Point{-v.y, v.x};
        if (r == 180) return Point{-v.x, -v.y};
        if (r == 270) return Point{v.y, -v.x};
        const double c = std::cos(r * std::numbers::pi / 180), s = std::sin(r * std::numbers::pi / 180);
        return Point{v.x * c - v.y * s, v.x * s + v.y * c};
    };
    eachPoint(e, [&](Point p) {
        const Point v = turn({p.x - base.x, p.y - base.y});
        return Point{base.x + v.x, base.y + v.y};
    });
    e.majorAxis = turn(e.majorAxis);
    e.startAngle = normalizedDegrees(e.startAngle + r);
    e.endAngle = normalizedDegrees(e.endAngle + r);
    e.rotation = normalizedDegrees(e.rotation + r);
    return e;
}

Entity scaled(Entity e, Point base, double factor)
{
    eachPoint(e, [=](Point p) { return Point{base.x + (p.x - base.x) * factor, base.y + (p.y - base.y) * factor}; });
    e.radius *= factor;
    e.majorAxis = {e.majorAxis.x * factor, e.majorAxis.y * factor};
    e.height *= factor;
    e.startWidth *= factor;
    e.endWidth *= factor;
    return e;
}

Entity mirrored(Entity e, Point a, Point b)
{
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    if (len2 == 0) return e;
    const auto reflect = [&](Point p) {
        const double t = ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2;
        const Point foot{a.x + t * dx, a.y + t * dy};
        return Point{2 * foot.x - p.x, 2 * foot.y - p.y};
    };
    const auto reflectVector = [&](Point v) {
        const Point o = reflect({0, 0}), q = reflect(v);
        return Point{q.x - o.x, q.y - o.y};
    };
    eachPoint(e, reflect);
    const double axis = angleOf(a, b);
    if (e.type == Entity::Type::Arc) {
        // Mirrored, the arc runs the other way: its old end is its new start.
        const double start = normalizedDegrees(2 * axis - e.endAngle);
        const double end = normalizedDegrees(2 * axis - e.startAngle);
        e.startAngle = start;
        e.endAngle = end;
    }
    e.majorAxis = reflectVector(e.majorAxis);
    return e;
}

} // namespace cad
