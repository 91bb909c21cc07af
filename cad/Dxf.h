#pragma once

#include "Drawing.h"

#include <cstddef>
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

// Reads the model space of a DXF file: LINE, ARC, CIRCLE, ELLIPSE (whole), TEXT, LWPOLYLINE and
// POLYLINE with their colours; widths of LWPOLYLINE from groups 43, 40 and 41.
DxfReadResult readDxf(const std::string &path);
DxfReadResult readDxfData(std::string_view bytes);

// Writes an AC1015 file: header, tables, the model and paper space blocks, the entities and the
// objects. The file is written beside the target and renamed over it, so a failed save leaves
// the old file whole. Returns an empty string, or a Japanese sentence saying what went wrong.
std::string writeDxf(const Drawing &drawing, const std::string &path);

} // namespace cad
