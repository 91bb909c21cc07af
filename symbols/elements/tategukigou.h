#pragma once

#include "rules/FormDefinition.h"

namespace quendra {

// Fitting tag: a halved circle with the type code above the diameter and the number below.
const FormDefinition &tategukigou();

} // namespace quendra
