#pragma once

#include "rules/FormDefinition.h"

namespace quendra {

// Frame of one wall of an interior elevation: wall faces, floor, ceiling, skirtings and the
// optional cornice, with the skirting and cornice lines in a colour picked on the way.
const FormDefinition &tenhuremu();

} // namespace quendra
