#pragma once

#include "rules/FormDefinition.h"

namespace quendra {

// One jamb of a steel door frame at 1:50: the stepped frame section and the casing.
const FormDefinition &sutiruwaku();

} // namespace quendra
