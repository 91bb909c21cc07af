#pragma once

#include "rules/FormDefinition.h"

namespace quendra {

// One jamb of an aluminium window frame at 1:50: frame lines, centre line and casing.
const FormDefinition &arumiwaku();

} // namespace quendra
