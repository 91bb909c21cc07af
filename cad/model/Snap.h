#pragma once

#include "cad/model/Drawing.h"

#include <optional>
#include <string_view>
#include <vector>

namespace cad {

// A point a pick may snap to. Among points equally near, the kind listed first wins.
struct SnapPoint
{
    enum class Kind { End, Mid, Intersection, Apparent, Centre, Quadrant, Insert, Perpendicular, Nearest };
    Point p;
    Kind kind = Kind::End;
};

// Which kinds a search looks for: one bit per kind.
using SnapModes = unsigned;
constexpr SnapModes snapBit(SnapPoint::Kind k)
{
    return 1u << static_cast<unsigned>(k);
}
// The running snap the host starts with: what a drafter leaves on most of the time.
inline constexpr SnapModes runningSnaps =
    snapBit(SnapPoint::Kind::End) | snapBit(SnapPoint::Kind::Mid) | snapBit(SnapPoint::Kind::Intersection) |
    snapBit(SnapPoint::Kind::Centre) | snapBit(SnapPoint::Kind::Quadrant) | snapBit(SnapPoint::Kind::Insert);

// The kind an override typed at a point prompt names ("END", "MID", "INT", "APP", "CEN", "QUA",
// "INS", "PER", "NEA"; upper or lower case), or none.
std::optional<SnapPoint::Kind> snapOverride(std::string_view word);

struct SnapQuery
{
    Point near;
    double tolerance = 0; // drawing units
    SnapModes modes = runningSnaps;
    // The point a perpendicular is dropped from (the last point of the running command).
    std::optional<Point> from;
};

// The snap point nearest to `near` within `tolerance` of the kinds asked for: ends of lines,
// arcs and polyline segments, their mid points, crossings of two of them (apparent: of their
// extensions), centres of arcs, circles and ellipses, their quadrants, text insertion points,
// the foot of a perpendicular from `from`, and the nearest point on anything (which only wins
// when nothing else is near).
std::optional<SnapPoint> findSnap(const Drawing &drawing, const SnapQuery &query);
std::optional<SnapPoint> findSnap(const std::vector<Entity> &entities, const SnapQuery &query);
// Running snaps.
std::optional<SnapPoint> findSnap(const Drawing &drawing, Point near, double tolerance);
std::optional<SnapPoint> findSnap(const std::vector<Entity> &entities, Point near, double tolerance);

// Polar tracking: `p` taken on to the ray from `from` at the nearest multiple of `increment`
// degrees, when its direction is within `within` degrees of it; otherwise none.
std::optional<Point> polarPoint(Point from, Point p, double increment, double within);

// The geometry behind the snaps, on lines, arcs, circles and polylines (an ellipse has only its
// centre and quadrants).
// Where two entities cross; with `extended`, where the lines through their straight pieces
// and the circles of their arcs cross.
std::vector<Point> intersections(const EntityView &a, const EntityView &b, bool extended = false);
// The point of the entity nearest to p.
std::optional<Point> nearestPoint(const EntityView &e, Point p);
// The feet of the perpendiculars from `from` to the entity's pieces that land on them.
std::vector<Point> perpendicularFeet(const EntityView &e, Point from);
// The points at 0, 90, 180 and 270 degrees of a circle, an ellipse's axis ends, or those an
// arc passes.
std::vector<Point> quadrants(const EntityView &e);

} // namespace cad
