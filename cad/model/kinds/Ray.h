#pragma once

#include "cad/model/Describe.h"
#include "cad/model/Geometry.h"
#include "cad/model/Snap.h"
#include "cad/model/kinds/Record.h"

#include <cmath>

namespace cad {

// The line from a through b and on without end; `closed`: without end both ways too (an
// XLINE). It covers no box: the extents leave it out, and every view shows it.
struct RayKind
{
    static constexpr Entity::Type type = Entity::Type::Ray;
    static constexpr bool endless = true;

    struct Layout
    {
        Point a, b;
        bool bothWays;
    };
    static Layout store(const Entity &e, RecordSide &) { return {e.a, e.b, e.closed}; }
    static void load(const Layout &l, const RecordSide &, EntityView &v)
    {
        v.a = l.a;
        v.b = l.b;
        v.closed = l.bothWays;
    }

    static Box bounds(const EntityView &) { return {}; }

    template <class Out> static void snapPoints(const EntityView &e, Out &&out)
    {
        if (!e.closed) out(e.a, SnapPoint::Kind::End);
    }
    template <class Out> static void pieces(const EntityView &e, Out &&out)
    {
        if (!(e.a == e.b)) out.segment(e.a, e.b, e.closed ? -INFINITY : 0.0, INFINITY);
    }

    static std::string describe(const EntityView &e, Point o)
    {
        return std::string(e.closed ? "X " : "R ") + describedPoint(e.a, o) + " " + describedPoint(e.b, o);
    }

    template <class Painter> static void paint(const EntityView &e, Painter &p)
    {
        p.ray(e.a, e.b, e.closed, e.color);
    }
};

} // namespace cad
