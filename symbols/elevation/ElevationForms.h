#pragma once

#include "rules/FormDefinition.h"

#include <vector>

namespace quendra {

std::vector<const FormDefinition *> elevationForms();

} // namespace quendra
