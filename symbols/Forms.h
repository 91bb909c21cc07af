#pragma once

#include "rules/FormDefinition.h"

#include <string_view>
#include <vector>

namespace quendra {

// Every symbol form, in menu order within each group.
std::vector<const FormDefinition *> allForms();
// The form of that name, or nullptr if there is none (yet).
const FormDefinition *findForm(std::string_view name);

} // namespace quendra
