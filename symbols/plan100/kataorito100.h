#pragma once

#include "rules/FormDefinition.h"

namespace quendra {

// Single folding door in plan at 1:100: wall stretch, jambs, the folded leaf as a V at the
// first jamb and a cross line through the middle.
const FormDefinition &kataorito100();

} // namespace quendra
