#pragma once

#include "rules/FormDefinition.h"

namespace quendra {

// Drawing frame: the sheet edge at the origin and the border inside it, sized by paper and scale.
const FormDefinition &zumenwaku();

} // namespace quendra
