#pragma once

#include "rules/FormDefinition.h"

namespace quendra {

// Double swing door in plan at 1:100: wall stretch, jambs, the meeting line, both leaves
// standing open and the arcs of their swing; the leaves may differ in width.
const FormDefinition &ryouhiraki100();

} // namespace quendra
