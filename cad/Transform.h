#pragma once

#include "cad/Entity.h"

namespace cad {

// An entity moved, turned, scaled or mirrored as a whole; text keeps reading left to right
// when mirrored (as MIRRTEXT 0 does).
Entity moved(Entity e, double dx, double dy);
Entity rotated(Entity e, Point base, double degrees);
Entity scaled(Entity e, Point base, double factor);
Entity mirrored(Entity e, Point a, Point b);

} // namespace cad
