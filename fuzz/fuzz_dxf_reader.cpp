// Any bytes as a DXF file: the reader must neither crash nor hang, what it returns must be
// finite (every number, every vertex) and within the coordinate limit, LINE entities read
// directly must give exactly what dxflib gives, and a file read whole must run through to its EOF
// again once saved with its first piece moved and a line drawn.
//
// Inputs are kept small (fuzz_dxf_reader.options) and nothing is made or read twice that need
// not be, so that an hour runs ten million of them. So that small inputs still reach lines
// longer than dxflib reads in one piece, each of the first two bytes 0x7f stands for a run of
// 1100 characters (see stretched()).

#include "cad/dxf/Dxf.h"
#include "cad/dxf/DxfSource.h"
#include "cad/model/Describe.h"
#include "cad/model/Geometry.h"
#include "cad/model/Transform.h"
#include "tests/support/SameDxfRead.h"

#include <algorithm>
#include <bitset>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

bool finite(cad::Point p)
{
    return std::isfinite(p.x) && std::isfinite(p.y);
}

// Every number of an entity, each vertex of a polyline too.
bool finite(const cad::Entity &e)
{
    for (const double v :
         {e.radius, e.startAngle, e.endAngle, e.ratio, e.height, e.rotation, e.startWidth, e.endWidth})
        if (!std::isfinite(v)) return false;
    for (const cad::Point p : {e.a, e.b, e.centre, e.majorAxis, e.insert})
        if (!finite(p)) return false;
    return std::all_of(e.vertices.begin(), e.vertices.end(), [](cad::Point p) { return finite(p); });
}

// The input with its first two bytes 0x7f each made 1100 'x': a text value, a number or a code
// line that long. Empty when the input holds none.
std::string stretched(std::string_view bytes)
{
    constexpr char mark = '\x7f';
    constexpr std::size_t runs = 2, length = 1100;
    std::string out;
    std::size_t from = 0;
    for (std::size_t i = 0; i < runs; ++i) {
        const std::size_t at = bytes.find(mark, from);
        if (at == std::string_view::npos) break;
        out.append(bytes.substr(from, at - from)).append(length, 'x');
        from = at + 1;
    }
    if (from > 0) out.append(bytes.substr(from));
    return out;
}

// Whether reading LINEs directly (before dxflib) may have made a difference: only where it read
// some, or where a plain file holds an entity that looks like the reader's own marker ("~L").
// Elsewhere both readings run the same code, and the second is not made.
// `read` is the file read as kept for editing, whose source tells whether it is plain.
bool readsLinesDirectly(std::string_view bytes, const cad::DxfReadResult &read)
{
    if (read.linesReadDirectly > 0) return true;
    if (bytes.find("~L") == std::string_view::npos) return false;
    return read.source ? read.source->plain() : cad::DxfSource::scan(std::string(bytes), false)->plain();
}

void check(std::string_view bytes)
{
    // Read as the host reads a file it keeps for editing.
    const cad::DxfReadResult r = cad::readDxfData(bytes, cad::DxfLineReading::Direct, {}, true);
    // Described once a kind: the numbers are formatted alike, and a block placed many times
    // would otherwise be described over and over.
    std::bitset<8> described;
    for (const cad::Entity &e : r.drawing.entities()) {
        const cad::Box b = cad::bounds(e);
        if (!finite(e) || (!b.empty() && (!std::isfinite(b.min.x) || !std::isfinite(b.max.y)))) std::abort();
        const auto kind = static_cast<std::size_t>(e.type);
        if (kind >= described.size() || !described[kind]) (void)cad::describe(e);
        if (kind < described.size()) described.set(kind);
    }
    if (readsLinesDirectly(bytes, r)) {
        const cad::DxfReadResult throughDxflib = cad::readDxfData(bytes, cad::DxfLineReading::ThroughDxflib);
        if (!dxfcheck::resultsDiffer(r, throughDxflib).empty()) std::abort();
    }
    if (!r.ok) {
        // Broken off: what can be recovered of it.
        (void)cad::DxfSource::recovered(bytes);
        return;
    }
    // Saved back edited as a user would: its first piece moved, the last entity of the file
    // recoloured and put on layer 0, the one in the middle erased, a line drawn. What is saved
    // must still run through to its EOF (an edit that wrote over the rest would not), checked by
    // the file's scan, which pairs the lines as dxflib does, rather than by a reading: dxflib's
    // pass over the saved file was a third of the time an input took. Every entity not edited
    // is saved byte for byte, in its order.
    if (!r.source) return;
    const std::vector<std::uint32_t> shown = r.source->piecesShown(r.drawing);
    cad::Drawing drawing = r.drawing;
    std::vector<std::uint32_t> touched;
    if (!drawing.empty()) {
        touched.push_back(drawing.origin(0).entity);
        drawing.replaceAt(0, cad::moved(drawing.at(0), 10, 5));
    }
    std::uint32_t last = 0;
    for (std::size_t i = 0; i < drawing.size(); ++i)
        if (drawing.origin(i).editable()) last = std::max(last, drawing.origin(i).entity);
    const std::uint32_t middle = last / 2;
    std::vector<std::size_t> erased;
    for (std::size_t i = 0; last != 0 && i < drawing.size(); ++i) {
        cad::Entity e = drawing.at(i);
        if (e.origin.entity == middle && e.origin.editable()) erased.push_back(i);
        if (e.origin.entity != last) continue;
        e.color = e.origin.color = 1;
        e.layer = e.origin.layer = 0;
        drawing.replaceAt(i, e);
    }
    drawing.erase(erased);
    touched.insert(touched.end(), {last, middle});
    drawing.addLine({0, 0}, {1, 1}, 1);
    const std::string saved = r.source->edited(drawing, shown);
    // Nothing when the file has no handles left for what was added.
    if (saved.empty()) return;
    if (r.source->complete() && !cad::DxfSource::scan(saved)->complete()) std::abort();
    std::size_t at = 0;
    for (std::size_t k = 0; k < r.source->entityCount(); ++k) {
        // A SECTION among the entities (a broken file) holds what follows it, its header too.
        if (std::find(touched.begin(), touched.end(), k + 1) != touched.end() ||
            r.source->entityType(k) == "SECTION")
            continue;
        const std::string_view kept = r.source->entityBytes(k);
        at = saved.find(kept, at);
        if (at == std::string::npos) std::abort();
        at += kept.size();
    }
}

} // namespace

// dxflib takes a buffer of its own for every line it reads: AddressSanitizer need not fill each
// one, and eight frames tell where an allocation came from.
extern "C" const char *__asan_default_options()
{
    return "max_malloc_fill_size=0:malloc_context_size=8";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const std::string longer = stretched(bytes);
    check(longer.empty() ? bytes : std::string_view(longer));
    return 0;
}
