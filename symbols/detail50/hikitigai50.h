#pragma once

#include "rules/FormDefinition.h"

namespace quendra {

// Sliding window in plan at 1:50: frame, jambs and returns, two sashes, then (in the colour picked
// at DDCOLOR) the frame lines across the opening, the inner face, the exterior strip and the centre line.
const FormDefinition &hikitigai50();

} // namespace quendra
