#pragma once

#include "rules/FormDefinition.h"

namespace quendra {

// Single casement window in plan at 1:100: wall stretch, jambs, the sash closed and standing
// open at the chosen hinge, and the arc of its swing.
const FormDefinition &katabiraki100();

} // namespace quendra
