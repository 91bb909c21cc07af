#pragma once

#include "cad/model/Describe.h"
#include "cad/model/Geometry.h"
#include "cad/model/Snap.h"
#include "cad/model/kinds/Record.h"

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
};

} // namespace cad
