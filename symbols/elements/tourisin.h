#pragma once

#include "rules/FormDefinition.h"

namespace quendra {

// Grid line bubbles: the grid number in a circle beyond the end of the line, in four directions.
const FormDefinition &tourisin();

} // namespace quendra
