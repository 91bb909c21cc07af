#pragma once

#include "cad/model/Box.h"
#include "cad/model/Drawing.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace cad {

// Which entities a pick or a window takes; indices as in Drawing::view().

// The entity a pick at `p` hits: of those within `tolerance`, the one whose edge is nearest (a
// text or an ellipse counts when `p` lies in its box, as far off as the tolerance); among
// equals, the one drawn last. Pieces of a file that cannot be edited are passed over.
std::optional<std::size_t> pickEntity(const Drawing &drawing, Point p, double tolerance);
// Every object a pick at `p` could mean, the one pickEntity() takes first, then the others by
// the distance of their edges: what selection cycling steps through. One entity per object.
std::vector<std::size_t> pickCandidates(const Drawing &drawing, Point p, double tolerance);
// What a pick selects: the entity hit, or every piece of the file's entity or the symbol it is
// part of (a block reference or a drawn door is selected whole).
std::vector<std::size_t> pickObject(const Drawing &drawing, Point p, double tolerance);
// The entity at `i`, or every piece of the file's entity it shows.
std::vector<std::size_t> wholeOf(const Drawing &drawing, std::size_t i);
// Window (left to right): the entities wholly inside the box. Crossing (right to left): those
// inside it or crossing its edges. A file's entity shown in pieces, or a symbol, goes whole or
// not at all.
std::vector<std::size_t> windowSelect(const Drawing &drawing, const Box &box, bool crossing);
// Whether the entity can be selected: shown (its layer on and thawed), and drawn here or tied to
// its entity in the file.
inline bool selectable(const Drawing &drawing, std::size_t i)
{
    return drawing.origin(i).entity != Origin::fromFile && drawing.visible(i);
}
// How many objects the entities are, a file's entity shown in pieces or a symbol counting once.
std::size_t objectCount(const Drawing &drawing, const std::vector<std::size_t> &indices);
// Every entity that can be selected (Ctrl+A, ALL).
std::vector<std::size_t> selectAll(const Drawing &drawing);
// Whether the entity is one of several pieces showing one entity of a file (an INSERT, a
// dimension, a hatch...): such pieces are edited together, never one by one.
bool partOfWhole(const Drawing &drawing, std::size_t i);
// Whether corners picked from `first` to `second` make a crossing (dragged right to left).
inline bool isCrossing(Point first, Point second)
{
    return second.x < first.x;
}

} // namespace cad
