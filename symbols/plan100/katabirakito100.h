#pragma once

#include "rules/FormDefinition.h"

namespace quendra {

// Single swing door in plan at 1:100: wall stretch, jambs, the leaf standing open at the chosen
// hinge and the arc of its swing.
const FormDefinition &katabirakito100();

} // namespace quendra
