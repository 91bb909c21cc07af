#pragma once

#include "cad/model/Describe.h"
#include "cad/model/Geometry.h"
#include "cad/model/Snap.h"
#include "cad/model/kinds/Polyline.h"
#include "cad/model/kinds/Record.h"

#include <cmath>
#include <numbers>
#include <vector>

namespace cad {

// majorAxis is the end of the major axis relative to the centre; ratio = minor / major.
struct EllipseKind
{
    static constexpr Entity::Type type = Entity::Type::Ellipse;

    struct Layout
    {
        Point centre, majorAxis;
        double ratio;
    };
    static Layout store(const Entity &e, RecordSide &) { return {e.centre, e.majorAxis, e.ratio}; }
    static void load(const Layout &l, const RecordSide &, EntityView &v)
    {
        v.centre = l.centre;
        v.majorAxis = l.majorAxis;
        v.ratio = l.ratio;
    }

    static Box bounds(const EntityView &e)
    {
        const double ax = e.majorAxis.x, ay = e.majorAxis.y;
        const double hx = std::sqrt(ax * ax + ay * ay * e.ratio * e.ratio);
        const double hy = std::sqrt(ay * ay + ax * ax * e.ratio * e.ratio);
        Box box;
        box.add({e.centre.x - hx, e.centre.y - hy});
        box.add({e.centre.x + hx, e.centre.y + hy});
        return box;
    }

    template <class Out> static void snapPoints(const EntityView &e, Out &&out)
    {
        out(e.centre, SnapPoint::Kind::Centre);
    }
    // The ends of both axes.
    static void quadrants(const EntityView &e, std::vector<Point> &out)
    {
        const Point m = e.majorAxis;
        const Point n{-m.y * e.ratio, m.x * e.ratio};
        for (Point v : {m, n, Point{-m.x, -m.y}, Point{-n.x, -n.y}})
            out.push_back({e.centre.x + v.x, e.centre.y + v.y});
    }

    static std::string describe(const EntityView &e, Point o)
    {
        return "E " + describedPoint(e.centre, o) + " " + describedPoint(e.majorAxis, {}) + " " +
               describedNumber(e.ratio);
    }

    template <class Painter> static void paint(const EntityView &e, Painter &p)
    {
        p.ellipse(e.centre, e.majorAxis, e.ratio, e.color);
    }
    template <class Painter> static bool paintDashed(const EntityView &e, Painter &p)
    {
        return p.dashedCurve(e.centre, std::hypot(e.majorAxis.x, e.majorAxis.y), e.ratio,
                             angleOf({0, 0}, e.majorAxis), 0, 360, e.dashes, e.color);
    }

    template <class Groups> static void writeGroups(const EntityView &e, Groups &g)
    {
        if (!g.r12()) {
            g.begin("ELLIPSE", "AcDbEllipse", e.color);
            g.point(10, e.centre);
            g.point(11, e.majorAxis);
            g.real(40, e.ratio);
            g.real(41, 0.0);
            g.real(42, 2 * std::numbers::pi);
            return;
        }
        // R12 has no ellipse: a closed polyline close enough to draw and print.
        constexpr int steps = 72;
        std::vector<Point> points;
        const Point minor{-e.majorAxis.y * e.ratio, e.majorAxis.x * e.ratio};
        for (int i = 0; i < steps; ++i) {
            const double t = 2 * std::numbers::pi * i / steps;
            points.push_back({e.centre.x + e.majorAxis.x * std::cos(t) + minor.x * std::sin(t),
                              e.centre.y + e.majorAxis.y * std::cos(t) + minor.y * std::sin(t)});
        }
        PolylineKind::writeOutline(g, points, 0, 0, true, e.color);
    }
};

} // namespace cad
