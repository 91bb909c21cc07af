#pragma once

#include "cad/model/Describe.h"
#include "cad/model/Geometry.h"
#include "cad/model/Snap.h"
#include "cad/model/kinds/Record.h"

namespace cad {

struct CircleKind
{
    static constexpr Entity::Type type = Entity::Type::Circle;

    struct Layout
    {
        Point centre;
        double radius;
    };
    static Layout store(const Entity &e, RecordSide &) { return {e.centre, e.radius}; }
    static void load(const Layout &l, const RecordSide &, EntityView &v)
    {
        v.centre = l.centre;
        v.radius = l.radius;
    }

    static Box bounds(const EntityView &e)
    {
        Box box;
        box.add({e.centre.x - e.radius, e.centre.y - e.radius});
        box.add({e.centre.x + e.radius, e.centre.y + e.radius});
        return box;
    }

    template <class Out> static void snapPoints(const EntityView &e, Out &&out)
    {
        out(e.centre, SnapPoint::Kind::Centre);
    }
    template <class Out> static void pieces(const EntityView &e, Out &&out)
    {
        out.arc(e.centre, e.radius, 0, 0, true);
    }
    static void quadrants(const EntityView &e, std::vector<Point> &out)
    {
        for (double angle : {0.0, 90.0, 180.0, 270.0})
            out.push_back(polar(e.centre, e.radius, angle));
    }

    // Arcs too: the copy is `d` further out when `side` is outside, else `d` further in.
    static std::optional<Entity> offset(Entity e, double d, Point side)
    {
        const double r = distance(e.centre, side) > e.radius ? e.radius + d : e.radius - d;
        if (r <= 0) return std::nullopt;
        e.radius = r;
        return e;
    }

    static std::string describe(const EntityView &e, Point o)
    {
        return "C " + describedPoint(e.centre, o) + " " + describedNumber(e.radius);
    }

    template <class Painter> static void paint(const EntityView &e, Painter &p)
    {
        p.arc(e.centre, e.radius, 0, 360, e.color, true);
    }
    template <class Painter> static bool paintDashed(const EntityView &e, Painter &p)
    {
        return p.dashedCurve(e.centre, e.radius, 1, 0, 0, 360, e.dashes, e.color);
    }

    template <class Groups> static void writeGroups(const EntityView &e, Groups &g)
    {
        g.begin("CIRCLE", "AcDbCircle", e.color);
        g.point(10, e.centre);
        g.real(40, e.radius);
    }
};

} // namespace cad
