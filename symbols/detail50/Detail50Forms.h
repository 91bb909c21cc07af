#pragma once

#include "rules/FormDefinition.h"

#include <vector>

namespace quendra {

std::vector<const FormDefinition *> detail50Forms();

} // namespace quendra
