#pragma once

#include "cad/model/Entity.h"

#include <optional>

namespace cad {

// An entity moved, turned, scaled or mirrored as a whole; text keeps reading left to right
// when mirrored (as MIRRTEXT 0 does).
Entity moved(Entity e, double dx, double dy);
Entity rotated(Entity e, Point base, double degrees);
Entity scaled(Entity e, Point base, double factor);
Entity mirrored(Entity e, Point a, Point b);
// A parallel copy `distance` away on the side of `side`: lines, arcs, circles and polylines
// (corners joined where their offset segments meet); none for other kinds, or where an arc or
// circle would shrink to nothing.
std::optional<Entity> offset(Entity e, double distance, Point side);

} // namespace cad
