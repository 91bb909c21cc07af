#include "bridge/librecad/Placement.h"

#include "cad/model/Angle.h"
#include "cad/model/Geometry.h"

namespace bridge {

namespace {

// LibreCAD has no polyline widths: a wide segment becomes the outline of its band.
Placement band(cad::Point a, cad::Point b, double w0, double w1, int color)
{
    Placement p;
    p.kind = Placement::Kind::Polyline;
    p.closed = true;
    p.color = color;
    for (const cad::Point &c : cad::band(a, b, w0, w1))
        p.points.push_back(c);
    return p;
}

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
    std::vector<Placement> bands;
    const std::size_t n = e.vertices.size();
    const std::size_t segments = e.closed && n > 2 ? n : (n > 0 ? n - 1 : 0);
    for (std::size_t i = 0; i < segments; ++i) {
        const cad::Point a = e.vertices[i], b = e.vertices[(i + 1) % n];
        if (a == b) continue;
        bands.push_back(band(a, b, e.startWidth, e.endWidth, e.color));
    }
    return bands;
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
