#include "bridge/librecad/Placement.h"

#include "cad/model/Angle.h"
#include "cad/model/Geometry.h"

#include <cmath>

namespace bridge {

namespace {

Placement outline(std::vector<cad::Point> points, int color)
{
    Placement p;
    p.kind = Placement::Kind::Polyline;
    p.closed = true;
    p.color = color;
    p.points = std::move(points);
    return p;
}

// The vertices with each repeated one (a segment of no length) taken out, the closing one too.
std::vector<cad::Point> distinct(const cad::Entity &e)
{
    std::vector<cad::Point> v;
    for (const cad::Point &p : e.vertices)
        if (v.empty() || !(p == v.back())) v.push_back(p);
    if (e.closed && v.size() > 1 && v.front() == v.back()) v.pop_back();
    return v;
}

// The edge of a band of half-width h on the left of the path through v (on the right for a
// negative h): each corner mitred, where the edges of the two segments meet; a path that turns
// back on itself keeps both edges' ends there. Open: from the first vertex's side to the last's.
std::vector<cad::Point> edge(const std::vector<cad::Point> &v, bool closed, double h)
{
    const std::size_t n = v.size();
    auto normal = [&](std::size_t i) { // left normal of the segment from v[i] to the next vertex
        const cad::Point a = v[i], b = v[(i + 1) % n];
        const double len = std::hypot(b.x - a.x, b.y - a.y);
        return cad::Point{-(b.y - a.y) / len, (b.x - a.x) / len};
    };
    std::vector<cad::Point> out;
    for (std::size_t i = 0; i < n; ++i) {
        const bool first = i == 0 && !closed, last = i == n - 1 && !closed;
        const cad::Point p = v[i];
        const cad::Point in = first ? normal(0) : normal((i + n - 1) % n);
        const cad::Point on = last ? normal(n - 2) : normal(i);
        const double c = 1 + in.x * on.x + in.y * on.y;
        if (c < 1e-9) {
            out.push_back({p.x + in.x * h, p.y + in.y * h});
            out.push_back({p.x + on.x * h, p.y + on.y * h});
            continue;
        }
        out.push_back({p.x + (in.x + on.x) * h / c, p.y + (in.y + on.y) * h / c});
    }
    return out;
}

// LibreCAD has no polyline widths: a wide polyline becomes the outline of its band, one closed
// outline round an open path, the outer and the inner edge of a closed one, corners mitred.
// A tapering polyline is one band per segment.
std::vector<Placement> polyline(const cad::Entity &e)
{
    if (e.startWidth == 0 && e.endWidth == 0) {
        Placement p;
        p.kind = Placement::Kind::Polyline;
        p.points = e.vertices;
        p.closed = e.closed;
        p.color = e.color;
        return {p};
    }
    const std::vector<cad::Point> v = distinct(e);
    const std::size_t n = v.size();
    if (n < 2) return {};
    const bool closed = e.closed && n > 2;
    if (e.startWidth != e.endWidth) {
        std::vector<Placement> bands;
        for (std::size_t i = 0; i < (closed ? n : n - 1); ++i) {
            const auto corners = cad::band(v[i], v[(i + 1) % n], e.startWidth, e.endWidth);
            bands.push_back(outline({corners.begin(), corners.end()}, e.color));
        }
        return bands;
    }
    const double h = e.startWidth / 2;
    std::vector<cad::Point> left = edge(v, closed, h), right = edge(v, closed, -h);
    if (closed) return {outline(std::move(left), e.color), outline(std::move(right), e.color)};
    left.insert(left.end(), right.rbegin(), right.rend());
    return {outline(std::move(left), e.color)};
}

} // namespace

std::vector<Placement> placementsOf(const cad::Entity &e)
{
    Placement p;
    p.color = e.color;
    switch (e.type) {
    case cad::Entity::Type::Line:
        p.kind = Placement::Kind::Line;
        p.points = {e.a, e.b};
        break;
    case cad::Entity::Type::Circle:
    case cad::Entity::Type::Arc:
        p.kind = e.type == cad::Entity::Type::Arc ? Placement::Kind::Arc : Placement::Kind::Circle;
        p.points = {e.centre};
        p.radius = e.radius;
        p.startAngle = e.startAngle;
        p.endAngle = e.endAngle;
        break;
    case cad::Entity::Type::Ellipse:
        p.kind = Placement::Kind::Ellipse;
        p.points = {e.centre, e.majorAxis};
        p.ratio = e.ratio;
        break;
    case cad::Entity::Type::Text:
        p.kind = Placement::Kind::Text;
        p.points = {e.insert};
        p.text = e.text;
        p.height = e.height;
        p.rotation = cad::radians(e.rotation);
        break;
    case cad::Entity::Type::Polyline:
        return polyline(e);
    case cad::Entity::Type::Fill:
    case cad::Entity::Type::Ray:
        // Only read from files; the assistant never draws them.
        return {};
    }
    return {p};
}

} // namespace bridge
