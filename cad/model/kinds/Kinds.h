#pragma once

// Every kind of entity, each written in its own file, and the one dispatch on an entity's type.
//
// A kind is a struct of static members:
//   type                       its Entity::Type
//   Layout, store, load        its geometry in the compact Record (and RecordSide), and back;
//   release                    (if it holds a text or vertex list) gives that back when the last
//                              record is taken off
//   bounds                     the box it covers
//   snapPoints(e, out)         out(point, SnapPoint::Kind) for each of its own snap points
//   pieces(e, out)             its straight pieces out.segment(a, b[, lo, hi]) and arcs
//                              out.arc(centre, radius, start, end, full), for crossings, the
//                              nearest point and perpendiculars (none: it crosses nothing)
//   quadrants, nearest         where it has them
//   offset, mirror             OFFSET's parallel copy; what a mirror does beyond its points
//   describe                   its short text (Describe.h)
//   paint(e, painter)          how it is drawn, with the painter's primitives: point, line, arc,
//                              ellipse, text, polyline, fill, ray
//   paintDashed(e, painter)    how its line type is walked: dashedLine, dashedCurve,
//                              dashedPolyline; false where it is drawn continuous
//   endless                    true when it goes on without end (no box, in every view)
// The painter is a template parameter, so that the model stays free of any drawing library:
// cad/render gives one over QPainter.
//
// A new kind: its file, a value of Entity::Type, and one line below.

#include "cad/model/kinds/Arc.h"
#include "cad/model/kinds/Circle.h"
#include "cad/model/kinds/Ellipse.h"
#include "cad/model/kinds/Fill.h"
#include "cad/model/kinds/Line.h"
#include "cad/model/kinds/Polyline.h"
#include "cad/model/kinds/Ray.h"
#include "cad/model/kinds/Text.h"

namespace cad {

// Calls f with the kind of that type (an empty value of LineKind, ArcKind...) and returns what
// it returns.
template <class F> decltype(auto) visitKind(Entity::Type type, F &&f)
{
    switch (type) {
    case Entity::Type::Line:
        return f(LineKind{});
    case Entity::Type::Arc:
        return f(ArcKind{});
    case Entity::Type::Circle:
        return f(CircleKind{});
    case Entity::Type::Ellipse:
        return f(EllipseKind{});
    case Entity::Type::Text:
        return f(TextKind{});
    case Entity::Type::Polyline:
        return f(PolylineKind{});
    case Entity::Type::Fill:
        return f(FillKind{});
    case Entity::Type::Ray:
        return f(RayKind{});
    }
    return f(LineKind{});
}

// Whether entities of that type go on without end.
inline bool endless(Entity::Type type)
{
    return visitKind(type, [](auto kind) {
        if constexpr (requires { decltype(kind)::endless; })
            return decltype(kind)::endless;
        else
            return false;
    });
}

// What a kind's pieces are told to, for asking whether it has any.
struct PieceSink
{
    void segment(Point a, Point b, double lo = 0, double hi = 1);
    void arc(Point centre, double radius, double start, double end, bool full);
};

// Whether entities of that type have straight pieces or arcs that can cross others.
inline bool crosses(Entity::Type type)
{
    return visitKind(type, [](auto kind) {
        using K = decltype(kind);
        return requires(const EntityView &e, PieceSink &out)
        {
            K::pieces(e, out);
        };
    });
}

} // namespace cad
