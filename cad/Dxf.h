#pragma once

#include "cad/Drawing.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace cad {

struct DxfReadResult
{
    bool ok = false;
    std::string error;       // a Japanese sentence when !ok
    Drawing drawing;         // without undo history
    std::size_t skipped = 0; // entities of kinds this program does not draw
};

// How LINE entities are read: most of them directly from the bytes (fast), or all through dxflib
// like every other entity. Both give the same drawing; the second is there to check the first.
enum class DxfLineReading { Direct, ThroughDxflib };

// A larger DXF file is refused: read whole, with its drawing beside it, it would not fit in the
// memory of an ordinary machine, and no drawing made by hand comes near.
constexpr std::uintmax_t maxDxfFileBytes = std::uintmax_t(1) << 30;

// Reads the model space of a DXF file (a regular one): LINE, ARC, CIRCLE, ELLIPSE (whole), TEXT, LWPOLYLINE and
// POLYLINE with their colours; widths of LWPOLYLINE from groups 43, 40 and 41.
DxfReadResult readDxf(const std::string &path, DxfLineReading how = DxfLineReading::Direct);
DxfReadResult readDxfData(std::string_view bytes, DxfLineReading how = DxfLineReading::Direct);

// Takes the text of a DXF file a piece at a time; false stops the writing.
using DxfSink = std::function<bool(std::string_view piece)>;

// Writes an AC1015 file: header, tables, the model and paper space blocks, the entities and the
// objects, into `sink`; false when the sink refused a piece.
bool writeDxf(const Drawing &drawing, const DxfSink &sink);
// The same into a file, written in place (tests, benchmarks). The host saves through QSaveFile,
// which keeps the old file whole, its mode and its links. Returns an empty string, or a Japanese
// sentence saying what went wrong.
std::string writeDxf(const Drawing &drawing, const std::string &path);

} // namespace cad
