#pragma once

#include "cad/model/Describe.h"
#include "cad/model/Geometry.h"
#include "cad/model/Snap.h"
#include "cad/model/kinds/Line.h"
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

    // R12 has neither RAY nor XLINE: the piece from a to b stands for them, as it does for one
    // without a direction.
    template <class Groups> static void writeGroups(const EntityView &e, Groups &g)
    {
        const double length = distance(e.a, e.b);
        if (g.r12() || length == 0) {
            LineKind::writeGroups(e, g);
            return;
        }
        g.begin(e.closed ? "XLINE" : "RAY", e.closed ? "AcDbXline" : "AcDbRay", e.color);
        g.point(10, e.a);
        g.point(11, {(e.b.x - e.a.x) / length, (e.b.y - e.a.y) / length});
    }
};

} // namespace cad
