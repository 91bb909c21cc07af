#pragma once

#include "rules/FormDefinition.h"

namespace quendra {

// Four-panel sliding door in plan at 1:100: wall stretch, jambs, three overlapping sash lines
// and cross lines at the quarter points.
const FormDefinition &yonhonhiki100();

} // namespace quendra
