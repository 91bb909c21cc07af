#include "cad/model/Describe.h"

#include <cmath>
#include <cstdio>

namespace cad {

namespace {

std::string num(double v)
{
    double r = std::round(v * 1e6) / 1e6;
    if (r == 0) r = 0; // no "-0"
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", r);
    return buffer;
}

std::string pt(Point p, Point o)
{
    return num(p.x - o.x) + "," + num(p.y - o.y);
}

} // namespace

std::string describe(const Entity &e, Point o)
{
    std::string s;
    switch (e.type) {
    case Entity::Type::Line:
        s = "L " + pt(e.a, o) + " " + pt(e.b, o);
        break;
    case Entity::Type::Arc:
        s = "A " + pt(e.centre, o) + " " + num(e.radius) + " " + num(e.startAngle) + ".." + num(e.endAngle);
        break;
    case Entity::Type::Circle:
        s = "C " + pt(e.centre, o) + " " + num(e.radius);
        break;
    case Entity::Type::Ellipse:
        s = "E " + pt(e.centre, o) + " " + pt(e.majorAxis, {}) + " " + num(e.ratio);
        break;
    case Entity::Type::Text:
        s = "T " + pt(e.insert, o) + " " + num(e.height) + " " + num(e.rotation) + " " + e.text;
        if (e.mirrored) s += " mirrored";
        break;
    case Entity::Type::Polyline:
        s = "P";
        for (const Point &p : e.vertices)
            s += " " + pt(p, o);
        if (e.startWidth != 0 || e.endWidth != 0) s += " w " + num(e.startWidth) + "/" + num(e.endWidth);
        if (e.closed) s += " closed";
        break;
    case Entity::Type::Fill:
        s = "F";
        for (const Point &p : e.vertices)
            s += " " + pt(p, o);
        break;
    case Entity::Type::Ray:
        s = std::string(e.closed ? "X " : "R ") + pt(e.a, o) + " " + pt(e.b, o);
        break;
    }
    if (!e.dashes.empty()) {
        s += " dashes";
        for (std::size_t i = 0; i < e.dashes.size(); ++i)
            s += (i == 0 ? " " : "/") + num(e.dashes[i]);
    }
    if (e.color == colorBackground)
        s += " mask";
    else if (e.color != colorByLayer)
        s += " #" + std::to_string(e.color);
    return s;
}

std::vector<std::string> describe(const Drawing &d, Point origin)
{
    std::vector<std::string> out;
    out.reserve(d.size());
    for (std::size_t i = 0; i < d.size(); ++i) {
        if (!d.visible(i)) continue;
        Entity e = d.at(i);
        if (e.color == colorByLayer && d.shownColor(i) != 7) e.color = d.shownColor(i);
        out.push_back(describe(e, origin));
    }
    return out;
}

} // namespace cad
