#pragma once

#include "rules/FormDefinition.h"

namespace quendra {

// Elevation of a FIX window: the nominal size and two frame outlines around it.
const FormDefinition &tenfix();

} // namespace quendra
