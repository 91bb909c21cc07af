#pragma once

#include "rules/FormDefinition.h"

namespace quendra {

// Column: a closed zero-width polyline, the base point at its centre or S outside a corner or face.
const FormDefinition &hasira();

} // namespace quendra
