#include "cad/model/Transform.h"

#include "cad/model/Angle.h"
#include "cad/model/Geometry.h"
#include "cad/model/kinds/Kinds.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>
#include <vector>

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

// A piece of an opened file keeps account of what was done to it.
void place(Entity &e, const Affine &m)
{
    if (e.origin.entity != 0) e.origin.placed = e.origin.placed.then(m);
}

} // namespace

Entity moved(Entity e, double dx, double dy)
{
    eachPoint(e, [=](Point p) { return Point{p.x + dx, p.y + dy}; });
    place(e, {1, 0, 0, 1, dx, dy});
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
        const double c = std::cos(radians(r)), s = std::sin(radians(r));
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
    const Point x = turn({1, 0}), y = turn({0, 1}), o = turn(base);
    place(e, {x.x, y.x, x.y, y.y, base.x - o.x, base.y - o.y});
    return e;
}

Entity scaled(Entity e, Point base, double factor)
{
    eachPoint(e, [=](Point p) { return base + (p - base) * factor; });
    e.radius *= factor;
    e.majorAxis = {e.majorAxis.x * factor, e.majorAxis.y * factor};
    e.height *= factor;
    e.startWidth *= factor;
    e.endWidth *= factor;
    for (double &d : e.dashes)
        d *= std::fabs(factor);
    place(e, {factor, 0, 0, factor, base.x * (1 - factor), base.y * (1 - factor)});
    return e;
}

Entity mirrored(Entity e, Point a, Point b)
{
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    if (len2 == 0) return e;
    const auto reflect = [&](Point p) {
        const double t = ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2;
        const Point foot = lerp(a, b, t);
        return Point{2 * foot.x - p.x, 2 * foot.y - p.y};
    };
    const auto reflectVector = [&](Point v) {
        const Point o = reflect({0, 0}), q = reflect(v);
        return Point{q.x - o.x, q.y - o.y};
    };
    eachPoint(e, reflect);
    const double axis = angleOf(a, b);
    visitKind(e.type, [&](auto kind) {
        if constexpr (requires { decltype(kind)::mirror(e, axis); }) decltype(kind)::mirror(e, axis);
    });
    e.majorAxis = reflectVector(e.majorAxis);
    const Point x = reflectVector({1, 0}), y = reflectVector({0, 1}), o = reflect({0, 0});
    place(e, {x.x, y.x, x.y, y.y, o.x, o.y});
    return e;
}

std::optional<Entity> offset(Entity e, double d, Point p)
{
    if (!(d > 0)) return std::nullopt;
    // A parallel copy is drawn here, whatever its source.
    e.origin = {};
    return visitKind(e.type, [&](auto kind) -> std::optional<Entity> {
        if constexpr (requires { decltype(kind)::offset(e, d, p); })
            return decltype(kind)::offset(std::move(e), d, p);
        else
            return std::nullopt;
    });
}

} // namespace cad
