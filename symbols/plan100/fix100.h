#pragma once

#include "rules/FormDefinition.h"

namespace quendra {

// FIX window in plan at 1:100: the wall stretch, two jambs and the glass line.
const FormDefinition &fix100();

} // namespace quendra
