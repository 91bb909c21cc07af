// Any bytes as a DXF file: the reader must neither crash nor hang, and what it returns must be
// finite and within the coordinate limit.

#include "Describe.h"
#include "Dxf.h"
#include "Geometry.h"
#include "InputReading.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const cad::DxfReadResult r =
        cad::readDxfData(std::string_view(reinterpret_cast<const char *>(data), size));
    for (const cad::Entity &e : r.drawing.entities()) {
        const cad::Box b = cad::bounds(e);
        if (!b.empty() && (!std::isfinite(b.min.x) || !std::isfinite(b.max.y))) std::abort();
        (void)cad::describe(e);
    }
    return 0;
}
