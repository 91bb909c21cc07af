#pragma once

#include "rules/FormDefinition.h"

namespace quendra {

// Two-panel sliding window in plan at 1:100: wall stretch, jambs, two overlapping sash lines
// and a cross line through the middle.
const FormDefinition &hikitigai100();

// Its draw: the symbol from Combo1 (width) and Combo2 (angle, lenient). The sliding door at
// 1:100 draws the same symbol with it.
Outcome drawSlidingPair(const FormState &state);

} // namespace quendra
