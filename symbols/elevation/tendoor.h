#pragma once

#include "rules/FormDefinition.h"

namespace quendra {

// Elevation of a single swing door: the leaf, two frame outlines and the opening mark, standing on
// the floor (flush threshold) or raised above it.
const FormDefinition &tendoor();

} // namespace quendra
