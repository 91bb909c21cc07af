#pragma once

#include "cad/model/Drawing.h"

#include <string>
#include <vector>

namespace cad {

// A short text of an entity, with coordinates relative to `origin` and rounded to 1e-6, for
// tests and messages:
//   L x1,y1 x2,y2 | A cx,cy r start..end | C cx,cy r | E cx,cy ax,ay ratio
//   T x,y height rotation text [mirrored] | P x,y x,y ... [w start/end] [closed]
//   F x,y x,y ... (a fill's loops) | R x,y x,y (a ray) | X x,y x,y (an xline)
// then " dashes d/d/..." for a line type, and " #n" at the end when the colour is not ByLayer
// (" mask" for a fill in the background colour).
std::string describe(const Entity &e, Point origin = {});
// A number as described: rounded to 1e-6, without "-0"; a point, relative to `origin`, as "x,y".
std::string describedNumber(double v);
std::string describedPoint(Point p, Point origin);
// What a drawing shows: entities on layers that are off or frozen left out, ByLayer colours as
// their layers' (but 7, the contrasting colour, as ByLayer).
std::vector<std::string> describe(const Drawing &d, Point origin = {});

} // namespace cad
