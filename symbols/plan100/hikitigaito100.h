#pragma once

#include "rules/FormDefinition.h"

namespace quendra {

// Two-panel sliding door in plan at 1:100: the sliding window's symbol, with its own widths
// and base-point limit.
const FormDefinition &hikitigaito100();

} // namespace quendra
