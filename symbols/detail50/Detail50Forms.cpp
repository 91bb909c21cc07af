#include "Detail50Forms.h"

namespace quendra {

std::vector<const FormDefinition *> detail50Forms()
{
    return {};
}

} // namespace quendra
