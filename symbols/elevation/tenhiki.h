#pragma once

#include "rules/FormDefinition.h"

namespace quendra {

// Elevation of a two-panel sliding window: three outlines, the sashes and the sliding arrow.
const FormDefinition &tenhiki();

} // namespace quendra
