#pragma once

#include "cad/model/Describe.h"
#include "cad/model/Geometry.h"
#include "cad/model/Snap.h"
#include "cad/model/kinds/Record.h"

namespace cad {

// A line from a to b; a line of no length is a point.
struct LineKind
{
    static constexpr Entity::Type type = Entity::Type::Line;

    struct Layout
    {
        Point a, b;
    };
    static Layout store(const Entity &e, RecordSide &) { return {e.a, e.b}; }
    static void load(const Layout &l, const RecordSide &, EntityView &v)
    {
        v.a = l.a;
        v.b = l.b;
    }

    static Box bounds(const EntityView &e)
    {
        Box box;
        box.add(e.a);
        box.add(e.b);
        return box;
    }

    template <class Out> static void snapPoints(const EntityView &e, Out &&out)
    {
        out(e.a, SnapPoint::Kind::End);
        out(e.b, SnapPoint::Kind::End);
        out(midpoint(e.a, e.b), SnapPoint::Kind::Mid);
    }
    template <class Out> static void pieces(const EntityView &e, Out &&out) { out.segment(e.a, e.b); }

    static std::optional<Entity> offset(Entity e, double d, Point side)
    {
        if (e.a == e.b) return std::nullopt;
        const auto l = shiftedLine(e.a, e.b, sideOf(e.a, e.b, side) >= 0 ? d : -d);
        e.a = l.first;
        e.b = l.second;
        return e;
    }

    static std::string describe(const EntityView &e, Point o)
    {
        return "L " + describedPoint(e.a, o) + " " + describedPoint(e.b, o);
    }

    template <class Painter> static void paint(const EntityView &e, Painter &p)
    {
        if (e.a == e.b)
            p.point(e.a, e.color);
        else
            p.line(e.a, e.b, e.color);
    }
    template <class Painter> static bool paintDashed(const EntityView &e, Painter &p)
    {
        return p.dashedLine(e.a, e.b, e.dashes, e.color);
    }

    template <class Groups> static void writeGroups(const EntityView &e, Groups &g)
    {
        g.begin("LINE", "AcDbLine", e.color);
        g.point(10, e.a);
        g.point(11, e.b);
    }
};

} // namespace cad
