#pragma once

#include "cad/Box.h"
#include "cad/Drawing.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace cad {

// Which entities a pick or a window takes; indices as in Drawing::view().

// The entity a pick at `p` hits: the one drawn last among those within `tolerance`.
std::optional<std::size_t> pickEntity(const Drawing &drawing, Point p, double tolerance);
// Window (left to right): the entities wholly inside the box. Crossing (right to left): those
// inside it or crossing its edges.
std::vector<std::size_t> windowSelect(const Drawing &drawing, const Box &box, bool crossing);
// Whether corners picked from `first` to `second` make a crossing (dragged right to left).
inline bool isCrossing(Point first, Point second)
{
    return second.x < first.x;
}

} // namespace cad
