#pragma once

#include "cad/model/Entity.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace cad {

// The opening a fitting cut into its wall: per face (the nearer first) the points where the face
// now ends on either side, the first one at the lower end along the wall. Jamb lines join the
// faces' ends across the wall.
struct Opening
{
    Point cuts[2][2];
};

// A symbol drawn by a form of the assistant: which form, with what inputs, from which base
// point. Its entities are one object (Drawing::symbolOf).
struct Symbol
{
    std::string form;    // "katabirakito100"
    std::string caption; // "片開キ戸"
    std::vector<std::pair<std::string, std::string>> inputs;
    std::optional<Point> base;
};

} // namespace cad
