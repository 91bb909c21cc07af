#pragma once

#include "rules/FormDefinition.h"

namespace quendra {

// One jamb of a wooden sliding-door frame at 1:50: grooved jamb board and a casing on each face.
const FormDefinition &mokuhikito();

} // namespace quendra
