#include "Plan100Forms.h"

#include "fix100.h"

namespace quendra {

std::vector<const FormDefinition *> plan100Forms()
{
    return {&fix100()};
}

} // namespace quendra
