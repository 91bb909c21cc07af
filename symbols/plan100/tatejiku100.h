#pragma once

#include "rules/FormDefinition.h"

namespace quendra {

// Vertical pivot window in plan at 1:100: wall stretch, jambs, the sash closed and turned open
// through the middle, and the two quarter arcs of its halves.
const FormDefinition &tatejiku100();

} // namespace quendra
