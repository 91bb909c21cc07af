#include "cad/model/Geometry.h"

#include "cad/model/Angle.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace cad {

namespace {
// Code points of a UTF-8 text, for the estimated width of a text.
std::size_t glyphCount(std::string_view s)
{
    return static_cast<std::size_t>(std::count_if(
        s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xc0) != 0x80; }));
}

// Whether the counter-clockwise sweep of an arc passes the direction `a`.
bool sweeps(const EntityView &arc, double a)
{
    const double span = normalizedDegrees(arc.endAngle - arc.startAngle);
    const double off = normalizedDegrees(a - arc.startAngle);
    return span == 0 || off <= span;
}
} // namespace

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
    Box box;
    switch (e.type) {
    case Entity::Type::Line:
        box.add(e.a);
        box.add(e.b);
        break;
    case Entity::Type::Circle:
        box.add({e.centre.x - e.radius, e.centre.y - e.radius});
        box.add({e.centre.x + e.radius, e.centre.y + e.radius});
        break;
    case Entity::Type::Arc:
        box.add(arcStart(e));
        box.add(arcEnd(e));
        for (double a : {0.0, 90.0, 180.0, 270.0})
            if (sweeps(e, a)) box.add(polar(e.centre, e.radius, a));
        break;
    case Entity::Type::Ellipse: {
        const double ax = e.majorAxis.x, ay = e.majorAxis.y;
        const double hx = std::sqrt(ax * ax + ay * ay * e.ratio * e.ratio);
        const double hy = std::sqrt(ay * ay + ax * ax * e.ratio * e.ratio);
        box.add({e.centre.x - hx, e.centre.y - hy});
        box.add({e.centre.x + hx, e.centre.y + hy});
        break;
    }
    case Entity::Type::Text: {
        const double w = static_cast<double>(glyphCount(e.text)) * e.height * 0.9 / 2;
        const double h = e.height / 2;
        const double c = std::cos(e.rotation * radiansPerDegree), s = std::sin(e.rotation * radiansPerDegree);
        for (const auto &[dx, dy] : {std::pair{-w, -h}, {w, -h}, {w, h}, {-w, h}})
            box.add({e.insert.x + dx * c - dy * s, e.insert.y + dx * s + dy * c});
        break;
    }
    case Entity::Type::Polyline: {
        const double w = std::max(e.startWidth, e.endWidth) / 2;
        for (const Point &p : e.vertices) {
            box.add({p.x - w, p.y - w});
            box.add({p.x + w, p.y + w});
        }
        break;
    }
    case Entity::Type::Fill:
        for (const Point &p : e.vertices)
            box.add(p);
        break;
    case Entity::Type::Ray:
        break;
    }
    return box;
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
