#pragma once

#include "rules/FormDefinition.h"

namespace quendra {

// One jamb of a wooden swing-door frame at 1:50: door stop, grooved jamb board, casing on each face.
const FormDefinition &mokuhiraki();

} // namespace quendra
