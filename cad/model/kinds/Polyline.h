#pragma once

#include "cad/model/Describe.h"
#include "cad/model/Geometry.h"
#include "cad/model/Snap.h"
#include "cad/model/kinds/Record.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>

namespace cad {

// Straight segments through its vertices, back to the first when closed; every segment runs
// from startWidth to endWidth.
struct PolylineKind
{
    static constexpr Entity::Type type = Entity::Type::Polyline;

    struct Layout
    {
        double startWidth, endWidth;
        std::size_t vertices; // in RecordSide::vertexLists
        bool closed;
    };
    static Layout store(const Entity &e, RecordSide &side)
    {
        side.vertexLists.push_back(e.vertices);
        return {e.startWidth, e.endWidth, side.vertexLists.size() - 1, e.closed};
    }
    static void load(const Layout &l, const RecordSide &side, EntityView &v)
    {
        v.startWidth = l.startWidth;
        v.endWidth = l.endWidth;
        v.vertices = side.vertexLists[l.vertices];
        v.closed = l.closed;
    }
    static void release(const Layout &l, RecordSide &side)
    {
        if (l.vertices + 1 == side.vertexLists.size()) side.vertexLists.pop_back();
    }

    static Box bounds(const EntityView &e)
    {
        return vertexBox(e.vertices, std::max(e.startWidth, e.endWidth) / 2);
    }

    template <class Out> static void snapPoints(const EntityView &e, Out &&out)
    {
        const std::size_t n = e.vertices.size();
        for (std::size_t i = 0; i < n; ++i) {
            out(e.vertices[i], SnapPoint::Kind::End);
            if (i + 1 < n || (e.closed && n > 2))
                out(midpoint(e.vertices[i], e.vertices[(i + 1) % n]), SnapPoint::Kind::Mid);
        }
    }
    template <class Out> static void pieces(const EntityView &e, Out &&out)
    {
        const std::size_t n = e.vertices.size();
        for (std::size_t i = 0; i + 1 < n; ++i)
            out.segment(e.vertices[i], e.vertices[i + 1]);
        if (e.closed && n > 2) out.segment(e.vertices[n - 1], e.vertices[0]);
    }

    // Corners joined where the shifted segments meet, on the side of the segment nearest to
    // `side`.
    static std::optional<Entity> offset(Entity e, double d, Point side)
    {
        // Repeated points dropped first.
        std::vector<Point> v;
        for (Point q : e.vertices)
            if (v.empty() || !(v.back() == q)) v.push_back(q);
        if (e.closed && v.size() > 1 && v.front() == v.back()) v.pop_back();
        const std::size_t n = v.size();
        if (n < 2) return std::nullopt;
        const std::size_t segments = e.closed && n > 2 ? n : n - 1;
        std::size_t nearest = 0;
        double best = INFINITY;
        for (std::size_t i = 0; i < segments; ++i) {
            const Point a = v[i], b = v[(i + 1) % n];
            const double len2 = (b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y);
            const double t =
                std::clamp(((side.x - a.x) * (b.x - a.x) + (side.y - a.y) * (b.y - a.y)) / len2, 0.0, 1.0);
            const double dist = distance(side, lerp(a, b, t));
            if (dist < best) best = dist, nearest = i;
        }
        const double signedD = sideOf(v[nearest], v[(nearest + 1) % n], side) >= 0 ? d : -d;
        std::vector<std::pair<Point, Point>> lines;
        for (std::size_t i = 0; i < segments; ++i)
            lines.push_back(shiftedLine(v[i], v[(i + 1) % n], signedD));
        std::vector<Point> out(n);
        for (std::size_t i = 0; i < n; ++i) {
            const bool first = i == 0, last = i == n - 1;
            if (!e.closed && first) {
                out[i] = lines.front().first;
            } else if (!e.closed && last) {
                out[i] = lines.back().second;
            } else {
                // The corner where the segment before and the one after meet, shifted.
                const auto &before = lines[(i + segments - 1) % segments];
                const auto &after = lines[i % segments];
                out[i] = lineCrossing(before, after).value_or(after.first);
            }
        }
        e.vertices = out;
        return e;
    }

    static std::string describe(const EntityView &e, Point o)
    {
        std::string s = "P";
        for (const Point &p : e.vertices)
            s += " " + describedPoint(p, o);
        if (e.startWidth != 0 || e.endWidth != 0)
            s += " w " + describedNumber(e.startWidth) + "/" + describedNumber(e.endWidth);
        if (e.closed) s += " closed";
        return s;
    }

    template <class Painter> static void paint(const EntityView &e, Painter &p)
    {
        p.polyline(e.vertices, e.closed, e.startWidth, e.endWidth, e.color);
    }
    template <class Painter> static bool paintDashed(const EntityView &e, Painter &p)
    {
        return p.dashedPolyline(e.vertices, e.closed, std::max(e.startWidth, e.endWidth), e.dashes, e.color);
    }

    template <class Groups> static void writeGroups(const EntityView &e, Groups &g)
    {
        writeOutline(g, e.vertices, e.startWidth, e.endWidth, e.closed, e.color);
    }
    // Any run of vertices as the file's polyline: an LWPOLYLINE, or in R12 a POLYLINE with its
    // VERTEXes, which carries the entity's XDATA before them.
    template <class Groups>
    static void writeOutline(Groups &g, std::span<const Point> vertices, double startWidth, double endWidth,
                             bool closed, int color)
    {
        const bool constant = startWidth == endWidth;
        if (!g.r12()) {
            g.begin("LWPOLYLINE", "AcDbPolyline", color);
            g.integer(90, static_cast<std::int64_t>(vertices.size()));
            g.integer(70, closed ? 1 : 0);
            if (constant && startWidth != 0) g.real(43, startWidth);
            for (const Point &p : vertices) {
                g.real(10, p.x);
                g.real(20, p.y);
                if (!constant) {
                    g.real(40, startWidth);
                    g.real(41, endWidth);
                }
            }
            return;
        }
        g.begin("POLYLINE", {}, color);
        g.integer(66, 1);
        g.point(10, {});
        g.integer(70, closed ? 1 : 0);
        if (startWidth != 0) g.real(40, startWidth);
        if (endWidth != 0) g.real(41, endWidth);
        g.xdataBeforeVertices();
        for (const Point &p : vertices) {
            g.begin("VERTEX", {}, color);
            g.point(10, p);
            if (!constant) {
                g.real(40, startWidth);
                g.real(41, endWidth);
            }
        }
        g.begin("SEQEND", {}, color);
    }
};

} // namespace cad
