// Any bytes as a DXF file: the reader must neither crash nor hang, what it returns must be
// finite and within the coordinate limit, LINE entities read directly must give exactly what
// dxflib gives, and a file read whole must read again once saved with a line added.

#include "cad/Describe.h"
#include "cad/Dxf.h"
#include "cad/Geometry.h"
#include "cad/InputReading.h"
#include "cad/Transform.h"
#include "tests/support/SameDxfRead.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const cad::DxfReadResult r = cad::readDxfData(bytes);
    for (const cad::Entity &e : r.drawing.entities()) {
        const cad::Box b = cad::bounds(e);
        if (!b.empty() && (!std::isfinite(b.min.x) || !std::isfinite(b.max.y))) std::abort();
        (void)cad::describe(e);
    }
    const cad::DxfReadResult throughDxflib = cad::readDxfData(bytes, cad::DxfLineReading::ThroughDxflib);
    if (!dxfcheck::resultsDiffer(r, throughDxflib).empty()) std::abort();
    // The file kept for editing: saved back with its first piece moved and a line drawn, or
    // recovered when it broke off; what is saved must open again.
    const cad::DxfReadResult kept = cad::readDxfData(bytes, cad::DxfLineReading::Direct, {}, true);
    if (kept.ok && kept.source) {
        const std::vector<std::uint32_t> shown = kept.source->piecesShown(kept.drawing);
        cad::Drawing drawing = kept.drawing;
        if (!drawing.empty()) drawing.replaceAt(0, cad::moved(drawing.at(0), 10, 5));
        drawing.addLine({0, 0}, {1, 1}, 1);
        const std::string saved = kept.source->edited(drawing, shown);
        if (kept.source->complete() && !cad::readDxfData(saved).ok) std::abort();
    }
    if (!r.ok) (void)cad::DxfSource::recovered(bytes);
    return 0;
}
