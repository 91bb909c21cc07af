#pragma once

#include "rules/FormDefinition.h"

namespace quendra {

// Single swing door in plan at 1:50: both jambs with their stop, the closed leaf, then (in the
// colour picked at DDCOLOR) the open leaf, face lines and centre line; the swing arc follows.
const FormDefinition &katabiraki50();

} // namespace quendra
