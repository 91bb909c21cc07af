#pragma once

#include "cad/model/Describe.h"
#include "cad/model/Geometry.h"
#include "cad/model/Snap.h"
#include "cad/model/kinds/Polyline.h"
#include "cad/model/kinds/Record.h"

#include <cstdint>

namespace cad {

// A region painted in its colour, read from a file (a solid hatch, a wipeout). Its vertices are
// its boundary loops one after the other, each back at its own first point; inside is what an
// odd number of loops surround. colorBackground makes it a mask.
struct FillKind
{
    static constexpr Entity::Type type = Entity::Type::Fill;

    struct Layout
    {
        std::size_t vertices; // in RecordSide::vertexLists
        bool closed;
    };
    static Layout store(const Entity &e, RecordSide &side)
    {
        side.vertexLists.push_back(e.vertices);
        return {side.vertexLists.size() - 1, e.closed};
    }
    static void load(const Layout &l, const RecordSide &side, EntityView &v)
    {
        v.vertices = side.vertexLists[l.vertices];
        v.closed = l.closed;
    }
    static void release(const Layout &l, RecordSide &side)
    {
        if (l.vertices + 1 == side.vertexLists.size()) side.vertexLists.pop_back();
    }

    static Box bounds(const EntityView &e) { return vertexBox(e.vertices); }

    // No points of its own to snap to; its edges cross others.
    template <class Out> static void snapPoints(const EntityView &, Out &&) {}
    template <class Out> static void pieces(const EntityView &e, Out &&out)
    {
        for (const auto loop : fillLoops(e.vertices))
            for (std::size_t i = 0; i + 1 < loop.size(); ++i)
                out.segment(loop[i], loop[i + 1]);
    }

    static std::string describe(const EntityView &e, Point o)
    {
        std::string s = "F";
        for (const Point &p : e.vertices)
            s += " " + describedPoint(p, o);
        return s;
    }

    template <class Painter> static void paint(const EntityView &e, Painter &p)
    {
        p.fill(e.vertices, e.color);
    }

    // A solid HATCH of polyline loops; R12 has none, and a mask cannot be made without the
    // objects a WIPEOUT needs, so those keep their loops as closed polylines.
    template <class Groups> static void writeGroups(const EntityView &e, Groups &g)
    {
        const auto loops = fillLoops(e.vertices);
        if (g.r12() || e.color == colorBackground) {
            for (const auto loop : loops)
                PolylineKind::writeOutline(g, loop.first(loop.size() > 1 ? loop.size() - 1 : loop.size()), 0,
                                           0, true, e.color == colorBackground ? colorByLayer : e.color);
            return;
        }
        g.begin("HATCH", "AcDbHatch", e.color);
        g.point(10, {});
        g.real(210, 0.0);
        g.real(220, 0.0);
        g.real(230, 1.0);
        g.string(2, "SOLID");
        g.integer(70, 1);
        g.integer(71, 0);
        g.integer(91, static_cast<std::int64_t>(loops.size()));
        for (std::size_t k = 0; k < loops.size(); ++k) {
            const auto loop = loops[k];
            const std::size_t n = loop.size() > 1 ? loop.size() - 1 : loop.size();
            g.integer(92, k == 0 ? 3 : 2); // a polyline; the first one outermost
            g.integer(72, 0);
            g.integer(73, 1);
            g.integer(93, static_cast<std::int64_t>(n));
            for (std::size_t i = 0; i < n; ++i) {
                g.real(10, loop[i].x);
                g.real(20, loop[i].y);
            }
            g.integer(97, 0);
        }
        g.integer(75, 0);
        g.integer(76, 1);
        g.integer(98, 0);
    }
};

} // namespace cad
