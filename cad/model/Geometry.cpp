#include "cad/model/Geometry.h"

#include "cad/model/Angle.h"
#include "cad/model/kinds/Kinds.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace cad {

bool sweepPasses(double start, double end, double degrees, double tolerance)
{
    const double span = normalizedDegrees(end - start);
    const double off = normalizedDegrees(degrees - start);
    // A direction a hair before the start reads as nearly a full turn past it.
    return span == 0 || off <= span + tolerance || (tolerance > 0 && off >= 360 - tolerance);
}

Box vertexBox(std::span<const Point> vertices, double half)
{
    Box box;
    for (const Point &p : vertices) {
        box.add({p.x - half, p.y - half});
        box.add({p.x + half, p.y + half});
    }
    return box;
}

std::pair<Point, Point> shiftedLine(Point a, Point b, double d)
{
    const double len = distance(a, b);
    const Point n{-(b.y - a.y) / len * d, (b.x - a.x) / len * d};
    return {{a.x + n.x, a.y + n.y}, {b.x + n.x, b.y + n.y}};
}

double sideOf(Point a, Point b, Point p)
{
    return (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
}

std::optional<Point> lineCrossing(std::pair<Point, Point> l, std::pair<Point, Point> m)
{
    const double dx1 = l.second.x - l.first.x, dy1 = l.second.y - l.first.y;
    const double dx2 = m.second.x - m.first.x, dy2 = m.second.y - m.first.y;
    const double den = dx1 * dy2 - dy1 * dx2;
    if (std::abs(den) < 1e-12 * std::hypot(dx1, dy1) * std::hypot(dx2, dy2)) return std::nullopt;
    const double t = ((m.first.x - l.first.x) * dy2 - (m.first.y - l.first.y) * dx2) / den;
    return lerp(l.first, l.second, t);
}

double distance(Point a, Point b)
{
    return std::hypot(b.x - a.x, b.y - a.y);
}

double normalizedDegrees(double degrees)
{
    if (!std::isfinite(degrees)) return 0;
    double d = std::fmod(degrees, 360.0);
    if (d < 0) d += 360.0;
    return d >= 360.0 ? 0.0 : d;
}

double sweepEnd(double start, double end)
{
    if (end > start || !std::isfinite(start) || !std::isfinite(end)) return end;
    // In one step: turn by turn, parameters far apart (a file's 1e12) would take for ever.
    constexpr double turn = 2 * std::numbers::pi;
    return start + (std::fmod(end - start, turn) + turn);
}

double angleOf(Point a, Point b)
{
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    if (dy == 0) return dx < 0 ? 180.0 : 0.0;
    if (dx == 0) return dy > 0 ? 90.0 : 270.0;
    return normalizedDegrees(std::atan2(dy, dx) / radiansPerDegree);
}

Point polar(Point from, double length, double degrees)
{
    const double d = normalizedDegrees(degrees);
    if (d == 0) return {from.x + length, from.y};
    if (d == 90) return {from.x, from.y + length};
    if (d == 180) return {from.x - length, from.y};
    if (d == 270) return {from.x, from.y - length};
    return {from.x + length * std::cos(d * radiansPerDegree),
            from.y + length * std::sin(d * radiansPerDegree)};
}

std::array<Point, 4> band(Point a, Point b, double w0, double w1)
{
    const double len = std::hypot(b.x - a.x, b.y - a.y);
    const double nx = -(b.y - a.y) / len, ny = (b.x - a.x) / len;
    return {Point{a.x + nx * w0 / 2, a.y + ny * w0 / 2}, Point{b.x + nx * w1 / 2, b.y + ny * w1 / 2},
            Point{b.x - nx * w1 / 2, b.y - ny * w1 / 2}, Point{a.x - nx * w0 / 2, a.y - ny * w0 / 2}};
}

std::optional<Point> circumcentre(Point p1, Point p2, Point p3)
{
    const double bx = p2.x - p1.x, by = p2.y - p1.y;
    const double cx = p3.x - p1.x, cy = p3.y - p1.y;
    const double d = 2 * (bx * cy - by * cx);
    const double scale = std::max({std::fabs(bx), std::fabs(by), std::fabs(cx), std::fabs(cy)});
    if (scale == 0 || std::fabs(d) <= 1e-12 * scale * scale) return std::nullopt;
    const double b2 = bx * bx + by * by, c2 = cx * cx + cy * cy;
    const Point c{p1.x + (cy * b2 - by * c2) / d, p1.y + (bx * c2 - cx * b2) / d};
    if (!std::isfinite(c.x) || !std::isfinite(c.y)) return std::nullopt;
    return c;
}

Point arcStart(const EntityView &arc)
{
    return polar(arc.centre, arc.radius, arc.startAngle);
}

Point arcEnd(const EntityView &arc)
{
    return polar(arc.centre, arc.radius, arc.endAngle);
}

std::vector<std::span<const Point>> fillLoops(std::span<const Point> vertices)
{
    std::vector<std::span<const Point>> loops;
    std::size_t start = 0;
    while (start < vertices.size()) {
        std::size_t end = start + 1;
        while (end < vertices.size() && !(vertices[end] == vertices[start]))
            ++end;
        const std::size_t last = std::min(end, vertices.size() - 1);
        loops.push_back(vertices.subspan(start, last - start + 1));
        start = last + 1;
    }
    return loops;
}

Box bounds(const EntityView &e)
{
    return visitKind(e.type, [&e](auto kind) { return decltype(kind)::bounds(e); });
}

Box bounds(const Entity &e)
{
    return bounds(view(e));
}

Box extents(const std::vector<Entity> &entities)
{
    Box box;
    for (const Entity &e : entities)
        box.include(bounds(e));
    return box;
}

Box extents(const Drawing &drawing)
{
    return drawing.extents();
}

} // namespace cad
