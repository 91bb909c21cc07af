#pragma once

#include "rules/FormDefinition.h"

namespace quendra {

// Wall: the two faces of a straight run and, if asked, a finish line beyond each face.
const FormDefinition &kabe();

} // namespace quendra
