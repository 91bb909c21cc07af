#include "cad/model/Transform.h"

#include "cad/model/Angle.h"
#include "cad/model/Geometry.h"

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
    if (e.type == Entity::Type::Arc) {
        // Mirrored, the arc runs the other way: its old end is its new start.
        const double start = normalizedDegrees(2 * axis - e.endAngle);
        const double end = normalizedDegrees(2 * axis - e.startAngle);
        e.startAngle = start;
        e.endAngle = end;
    }
    e.majorAxis = reflectVector(e.majorAxis);
    const Point x = reflectVector({1, 0}), y = reflectVector({0, 1}), o = reflect({0, 0});
    place(e, {x.x, y.x, x.y, y.y, o.x, o.y});
    return e;
}

namespace {

// The line through a and b shifted by d to its left (d < 0: to its right).
std::pair<Point, Point> shifted(Point a, Point b, double d)
{
    const double len = distance(a, b);
    const Point n{-(b.y - a.y) / len * d, (b.x - a.x) / len * d};
    return {{a.x + n.x, a.y + n.y}, {b.x + n.x, b.y + n.y}};
}

double side(Point a, Point b, Point p)
{
    return (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
}

std::optional<Point> meet(std::pair<Point, Point> l, std::pair<Point, Point> m)
{
    const double dx1 = l.second.x - l.first.x, dy1 = l.second.y - l.first.y;
    const double dx2 = m.second.x - m.first.x, dy2 = m.second.y - m.first.y;
    const double den = dx1 * dy2 - dy1 * dx2;
    if (std::abs(den) < 1e-12 * std::hypot(dx1, dy1) * std::hypot(dx2, dy2)) return std::nullopt;
    const double t = ((m.first.x - l.first.x) * dy2 - (m.first.y - l.first.y) * dx2) / den;
    return lerp(l.first, l.second, t);
}

} // namespace

std::optional<Entity> offset(Entity e, double d, Point p)
{
    if (!(d > 0)) return std::nullopt;
    // A parallel copy is drawn here, whatever its source.
    e.origin = {};
    switch (e.type) {
    case Entity::Type::Line: {
        if (e.a == e.b) return std::nullopt;
        const auto l = shifted(e.a, e.b, side(e.a, e.b, p) >= 0 ? d : -d);
        e.a = l.first;
        e.b = l.second;
        return e;
    }
    case Entity::Type::Arc:
    case Entity::Type::Circle: {
        const double r = distance(e.centre, p) > e.radius ? e.radius + d : e.radius - d;
        if (r <= 0) return std::nullopt;
        e.radius = r;
        return e;
    }
    case Entity::Type::Polyline: {
        // Drop repeated points, then take the side from the segment nearest to p.
        std::vector<Point> v;
        for (Point q : e.vertices)
            if (v.empty() || !(v.back() == q)) v.push_back(q);
        if (e.closed && v.size() > 1 && v.front() == v.back()) v.pop_back();
        const std::size_t n = v.size();
        if (n < 2) return std::nullopt;
        const std::size_t segments = e.closed && n > 2 ? n : n - 1;
        std::size_t nearest = 0;
        double best = INFINITY;
        for (std::size_t i = 0; i < segments; ++i) {
            const Point a = v[i], b = v[(i + 1) % n];
            const double len2 = (b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y);
            const double t =
                std::clamp(((p.x - a.x) * (b.x - a.x) + (p.y - a.y) * (b.y - a.y)) / len2, 0.0, 1.0);
            const double dist = distance(p, lerp(a, b, t));
            if (dist < best) best = dist, nearest = i;
        }
        const double signedD = side(v[nearest], v[(nearest + 1) % n], p) >= 0 ? d : -d;
        std::vector<std::pair<Point, Point>> lines;
        for (std::size_t i = 0; i < segments; ++i)
            lines.push_back(shifted(v[i], v[(i + 1) % n], signedD));
        std::vector<Point> out(n);
        for (std::size_t i = 0; i < n; ++i) {
            const bool first = i == 0, last = i == n - 1;
            if (!e.closed && first) {
                out[i] = lines.front().first;
            } else if (!e.closed && last) {
                out[i] = lines.back().second;
            } else {
                // The corner where the segment before and the one after meet, shifted.
                const auto &before = lines[(i + segments - 1) % segments];
                const auto &after = lines[i % segments];
                out[i] = meet(before, after).value_or(after.first);
            }
        }
        e.vertices = out;
        return e;
    }
    default:
        return std::nullopt;
    }
}

} // namespace cad
