#pragma once

#include "rules/FormDefinition.h"

namespace quendra {

// Level mark: the signed level value in the middle of an ellipse centred on the base point.
const FormDefinition &reberu();

} // namespace quendra
