#pragma once

#include "cad/Drawing.h"

#include <optional>

namespace cad {

// A point a pick may snap to.
struct SnapPoint
{
    enum class Kind { End, Mid, Centre, Insert };
    Point p;
    Kind kind = Kind::End;
};

// The snap point nearest to `near` within `tolerance` (drawing units): ends of lines, arcs and
// polyline segments, their mid points, centres of arcs, circles and ellipses, text insertion
// points. Among points equally near, an end wins over a mid point over a centre.
std::optional<SnapPoint> findSnap(const Drawing &drawing, Point near, double tolerance);
std::optional<SnapPoint> findSnap(const std::vector<Entity> &entities, Point near, double tolerance);

} // namespace cad
