#pragma once

#include "cad/model/Entity.h"

#include <optional>
#include <string_view>

namespace cad {

// Coordinates beyond this are refused: they only come from mistakes and would break the views.
inline constexpr double coordinateLimit = 1e15;

bool isSane(double v);
bool isSane(Point p);

// A plain number: optional sign, digits, point, exponent; the whole text must be the number.
std::optional<double> readNumber(std::string_view text);

// A point as typed at a point prompt: "x,y" (absolute), "@dx,dy" (relative to last), "@" (last
// itself), "d<a" and "@d<a" (polar, degrees counter-clockwise). A third coordinate is accepted and
// dropped. Results beyond coordinateLimit are refused.
std::optional<Point> readPoint(std::string_view text, Point last);

} // namespace cad
