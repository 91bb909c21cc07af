#include "ElevationForms.h"

#include "tendoor.h"
#include "tenfix.h"
#include "tenhiki.h"
#include "tenhuremu.h"

namespace quendra {

std::vector<const FormDefinition *> elevationForms()
{
    return {&tenhuremu(), &tenhiki(), &tenfix(), &tendoor()};
}

} // namespace quendra
