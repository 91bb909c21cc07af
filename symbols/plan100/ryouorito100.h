#pragma once

#include "rules/FormDefinition.h"

namespace quendra {

// Double folding door in plan at 1:100: wall stretch, jambs, a folded leaf as a V at each jamb
// and a cross line through the middle.
const FormDefinition &ryouorito100();

} // namespace quendra
