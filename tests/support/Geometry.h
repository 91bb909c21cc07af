#pragma once

// The geometric oracle of the form tests: drawings turned or mirrored about the base point, and
// drawings compared as sets of entities (a line is the same line drawn either way).

#include "cad/command/Replay.h"
#include "cad/model/Drawing.h"
#include "cad/model/Entity.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace geometry {

inline cad::Point turn(cad::Point p, int degrees)
{
    switch (((degrees % 360) + 360) % 360) {
    case 90:
        return {-p.y, p.x};
    case 180:
        return {-p.x, -p.y};
    case 270:
        return {p.y, -p.x};
    default:
        return p;
    }
}

inline cad::Point mirror(cad::Point p)
{
    return {-p.x, p.y};
}

inline double normalAngle(double a)
{
    a = std::fmod(a, 360.0);
    return a < 0 ? a + 360.0 : a;
}

// The entity turned counter-clockwise about the base point (the origin).
inline cad::Entity turned(cad::Entity e, int degrees)
{
    e.a = turn(e.a, degrees);
    e.b = turn(e.b, degrees);
    e.centre = turn(e.centre, degrees);
    e.majorAxis = turn(e.majorAxis, degrees);
    e.insert = turn(e.insert, degrees);
    for (cad::Point &v : e.vertices)
        v = turn(v, degrees);
    e.startAngle = normalAngle(e.startAngle + degrees);
    e.endAngle = normalAngle(e.endAngle + degrees);
    e.rotation = normalAngle(e.rotation + degrees);
    return e;
}

// The entity mirrored in the y axis through the base point; arcs keep running counter-clockwise.
inline cad::Entity mirrored(cad::Entity e)
{
    e.a = mirror(e.a);
    e.b = mirror(e.b);
    e.centre = mirror(e.centre);
    e.majorAxis = mirror(e.majorAxis);
    e.insert = mirror(e.insert);
    for (cad::Point &v : e.vertices)
        v = mirror(v);
    const double start = e.startAngle;
    e.startAngle = normalAngle(180 - e.endAngle);
    e.endAngle = normalAngle(180 - start);
    return e;
}

inline std::vector<cad::Entity> turned(const std::vector<cad::Entity> &all, int degrees)
{
    std::vector<cad::Entity> out;
    for (const cad::Entity &e : all)
        out.push_back(turned(e, degrees));
    return out;
}

inline std::vector<cad::Entity> mirrored(const std::vector<cad::Entity> &all)
{
    std::vector<cad::Entity> out;
    for (const cad::Entity &e : all)
        out.push_back(mirrored(e));
    return out;
}

inline bool near(double a, double b, double tol = 1e-6)
{
    return std::fabs(a - b) <= tol;
}
inline bool near(cad::Point a, cad::Point b, double tol = 1e-6)
{
    return near(a.x, b.x, tol) && near(a.y, b.y, tol);
}
inline bool nearAngle(double a, double b, double tol = 1e-6)
{
    const double d = std::fabs(normalAngle(a) - normalAngle(b));
    return d <= tol || std::fabs(d - 360) <= tol;
}

// Two entities are the same drawn thing: a line either way round, a closed polyline from any
// vertex in the same order or reversed, an ellipse with its axis either way.
inline bool same(const cad::Entity &p, const cad::Entity &q, double tol = 1e-6)
{
    using T = cad::Entity::Type;
    if (p.type != q.type || p.color != q.color) return false;
    switch (p.type) {
    case T::Line:
        return (near(p.a, q.a, tol) && near(p.b, q.b, tol)) || (near(p.a, q.b, tol) && near(p.b, q.a, tol));
    case T::Arc:
        return near(p.centre, q.centre, tol) && near(p.radius, q.radius, tol) &&
               nearAngle(p.startAngle, q.startAngle) && nearAngle(p.endAngle, q.endAngle);
    case T::Circle:
        return near(p.centre, q.centre, tol) && near(p.radius, q.radius, tol);
    case T::Ellipse:
        return near(p.centre, q.centre, tol) && near(p.ratio, q.ratio, tol) &&
               (near(p.majorAxis, q.majorAxis, tol) || near(p.majorAxis, turn(q.majorAxis, 180), tol));
    case T::Text:
        return p.text == q.text && near(p.insert, q.insert, tol) && near(p.height, q.height, tol) &&
               nearAngle(p.rotation, q.rotation);
    case T::Polyline: {
        if (p.closed != q.closed || p.vertices.size() != q.vertices.size() ||
            !near(p.startWidth, q.startWidth, tol) || !near(p.endWidth, q.endWidth, tol))
            return false;
        const size_t n = p.vertices.size();
        if (n == 0) return true;
        for (int dir : {1, -1}) {
            for (size_t shift = 0; shift < (p.closed ? n : 1); ++shift) {
                bool all = true;
                for (size_t i = 0; i < n && all; ++i) {
                    const size_t j = dir == 1 ? (i + shift) % n : (shift + n - i) % n;
                    const size_t k = p.closed ? j : (dir == 1 ? i : n - 1 - i);
                    all = near(p.vertices[i], q.vertices[k], tol);
                }
                if (all) return true;
            }
        }
        return false;
    }
    case T::Fill:
        if (p.vertices.size() != q.vertices.size()) return false;
        for (size_t i = 0; i < p.vertices.size(); ++i)
            if (!near(p.vertices[i], q.vertices[i], tol)) return false;
        return true;
    case T::Ray:
        return p.closed == q.closed && near(p.a, q.a, tol) && near(p.b, q.b, tol);
    }
    return false;
}

// The two drawings hold the same entities, each matched once, in any order.
inline bool sameDrawing(const std::vector<cad::Entity> &a, const std::vector<cad::Entity> &b,
                        double tol = 1e-6)
{
    if (a.size() != b.size()) return false;
    std::vector<bool> used(b.size(), false);
    for (const cad::Entity &e : a) {
        bool found = false;
        for (size_t i = 0; i < b.size() && !found; ++i)
            if (!used[i] && same(e, b[i], tol)) used[i] = found = true;
        if (!found) return false;
    }
    return true;
}

// A line between the two points (either way round) is in the drawing.
inline bool hasLine(const std::vector<cad::Entity> &all, cad::Point a, cad::Point b, double tol = 1e-6)
{
    cad::Entity line;
    line.type = cad::Entity::Type::Line;
    line.a = a;
    line.b = b;
    return std::any_of(all.begin(), all.end(), [&](const cad::Entity &e) {
        cad::Entity l = line;
        l.color = e.color;
        return same(e, l, tol);
    });
}

inline std::string describe(const cad::Entity &e)
{
    using T = cad::Entity::Type;
    const auto pt = [](cad::Point p) { return "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")"; };
    switch (e.type) {
    case T::Line:
        return "LINE " + pt(e.a) + "-" + pt(e.b);
    case T::Arc:
        return "ARC c" + pt(e.centre) + " r" + std::to_string(e.radius) + " " + std::to_string(e.startAngle) +
               ".." + std::to_string(e.endAngle);
    case T::Circle:
        return "CIRCLE c" + pt(e.centre) + " r" + std::to_string(e.radius);
    case T::Ellipse:
        return "ELLIPSE c" + pt(e.centre) + " axis" + pt(e.majorAxis);
    case T::Text:
        return "TEXT '" + e.text + "' at" + pt(e.insert);
    case T::Polyline: {
        std::string s = e.closed ? "PLINE closed" : "PLINE";
        for (const cad::Point &v : e.vertices)
            s += " " + pt(v);
        return s;
    }
    case T::Fill:
        return "FILL of " + std::to_string(e.vertices.size()) + " vertices";
    case T::Ray:
        return std::string(e.closed ? "XLINE " : "RAY ") + pt(e.a) + "-" + pt(e.b);
    }
    return "?";
}

} // namespace geometry
