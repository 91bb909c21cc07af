#pragma once

#include "symbols/detail50/JambForm.h"

namespace quendra {

// What the two wooden frames share: the wall thickness box, its check and the tab order that
// puts it last.
JambForm woodenFrame();

} // namespace quendra
