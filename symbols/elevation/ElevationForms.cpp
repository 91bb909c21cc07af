#include "symbols/elevation/ElevationForms.h"

#include "symbols/elevation/tendoor.h"
#include "symbols/elevation/tenfix.h"
#include "symbols/elevation/tenhiki.h"
#include "symbols/elevation/tenhuremu.h"

namespace quendra {

std::vector<const FormDefinition *> elevationForms()
{
    return {&tenhuremu(), &tenhiki(), &tenfix(), &tendoor()};
}

} // namespace quendra
