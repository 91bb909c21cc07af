#pragma once

#include "cad/model/Drawing.h"

#include <string>
#include <vector>

namespace cad {

// The drawing a CAD host makes of scripts sent after a base point was picked: feeds "ID\r", picks
// `base`, then each script in order. A DDCOLOR keeps the current colour, a later ID picks `base`
// again, requests (ZOOM, SAVE, EXIT) are passed over, and a command still running at the end is
// ended as by Escape.
Drawing replay(const std::vector<std::string> &scripts, Point base = {0, 0});

} // namespace cad
