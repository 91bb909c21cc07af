#pragma once

#include "cad/model/kinds/Circle.h"

namespace cad {

// An arc runs counter-clockwise from startAngle to endAngle (degrees); equal, a full turn.
struct ArcKind
{
    static constexpr Entity::Type type = Entity::Type::Arc;

    struct Layout
    {
        Point centre;
        double radius, startAngle, endAngle;
    };
    static Layout store(const Entity &e, RecordSide &)
    {
        return {e.centre, e.radius, e.startAngle, e.endAngle};
    }
    static void load(const Layout &l, const RecordSide &, EntityView &v)
    {
        v.centre = l.centre;
        v.radius = l.radius;
        v.startAngle = l.startAngle;
        v.endAngle = l.endAngle;
    }

    static Box bounds(const EntityView &e)
    {
        Box box;
        box.add(arcStart(e));
        box.add(arcEnd(e));
        for (double a : {0.0, 90.0, 180.0, 270.0})
            if (sweepPasses(e.startAngle, e.endAngle, a)) box.add(polar(e.centre, e.radius, a));
        return box;
    }

    template <class Out> static void snapPoints(const EntityView &e, Out &&out)
    {
        out(arcStart(e), SnapPoint::Kind::End);
        out(arcEnd(e), SnapPoint::Kind::End);
        out(polar(e.centre, e.radius, e.startAngle + span(e) / 2), SnapPoint::Kind::Mid);
        out(e.centre, SnapPoint::Kind::Centre);
    }
    template <class Out> static void pieces(const EntityView &e, Out &&out)
    {
        out.arc(e.centre, e.radius, e.startAngle, e.endAngle, false);
    }
    static void quadrants(const EntityView &e, std::vector<Point> &out)
    {
        for (double angle : {0.0, 90.0, 180.0, 270.0}) {
            const Point q = polar(e.centre, e.radius, angle);
            if (sweepPasses(e.startAngle, e.endAngle, angleOf(e.centre, q), sweepTolerance)) out.push_back(q);
        }
    }

    static std::optional<Entity> offset(Entity e, double d, Point side)
    {
        return CircleKind::offset(e, d, side);
    }
    // Mirrored, the arc runs the other way: its old end is its new start.
    static void mirror(Entity &e, double axis)
    {
        const double start = normalizedDegrees(2 * axis - e.endAngle);
        const double end = normalizedDegrees(2 * axis - e.startAngle);
        e.startAngle = start;
        e.endAngle = end;
    }

    static std::string describe(const EntityView &e, Point o)
    {
        return "A " + describedPoint(e.centre, o) + " " + describedNumber(e.radius) + " " +
               describedNumber(e.startAngle) + ".." + describedNumber(e.endAngle);
    }

    template <class Painter> static void paint(const EntityView &e, Painter &p)
    {
        p.arc(e.centre, e.radius, e.startAngle, e.endAngle, e.color, false);
    }
    template <class Painter> static bool paintDashed(const EntityView &e, Painter &p)
    {
        return p.dashedCurve(e.centre, e.radius, 1, 0, e.startAngle, span(e), e.dashes, e.color);
    }

    // Degrees swept, in (0, 360].
    static double span(const EntityView &e)
    {
        const double s = normalizedDegrees(e.endAngle - e.startAngle);
        return s == 0 ? 360 : s;
    }

    template <class Groups> static void writeGroups(const EntityView &e, Groups &g)
    {
        g.begin("ARC", "AcDbCircle", e.color);
        g.point(10, e.centre);
        g.real(40, e.radius);
        g.subclass("AcDbArc");
        g.real(50, e.startAngle);
        g.real(51, e.endAngle);
    }
};

} // namespace cad
