#pragma once

#include "cad/dxf/DxfSource.h"
#include "cad/model/Drawing.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
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
    // Entities left out for a value that could not be read: not a number, not finite, beyond the
    // coordinate limit, or out of its range (a radius not above 0).
    std::size_t badValues = 0;
    // Values on a line longer than dxflib reads in one piece (1023 bytes), read as far as their
    // first 1000 bytes; the rest of the file reads on.
    std::size_t shortened = 0;
    // LINE entities read from the bytes before dxflib (DxfLineReading::Direct, a plain file).
    std::size_t linesReadDirectly = 0;
    // Whether the file's entities could not be told apart as the file holds them (with `keepFile`):
    // they are shown, but cannot be selected or edited.
    bool viewOnly = false;
    // The file as read, for saving it back with what is drawn (see DxfSource); also when it
    // could not be read, for recovering what it holds. Only when asked for.
    std::shared_ptr<const DxfSource> source;
};

// Turns the bytes of a file written in a code page ("ANSI_932") into UTF-8; an empty result
// when it cannot. Texts of files before R2007 are read through it.
using DxfTextDecoder = std::function<std::string(std::string_view bytes, const std::string &codepage)>;

// How LINE entities are read: most of them directly from the bytes (fast), or all through dxflib
// like every other entity. Both give the same drawing; the second is there to check the first.
enum class DxfLineReading { Direct, ThroughDxflib };

// A larger DXF file is refused: read whole, with its drawing beside it, it would not fit in the
// memory of an ordinary machine, and no drawing made by hand comes near.
constexpr std::uintmax_t maxDxfFileBytes = std::uintmax_t(1) << 30;

// Reads the model space of a DXF file (a regular one): LINE, ARC, CIRCLE, ELLIPSE (whole), TEXT, LWPOLYLINE
// and POLYLINE with their colours; widths of LWPOLYLINE from groups 43, 40 and 41. Binary files are read as
// well. With `keepFile`, the result holds the file as read (source), to save it back edited; that costs the
// file's size in memory.
DxfReadResult readDxf(const std::string &path, DxfLineReading how = DxfLineReading::Direct,
                      const DxfTextDecoder &decoder = {}, bool keepFile = false);
DxfReadResult readDxfData(std::string_view bytes, DxfLineReading how = DxfLineReading::Direct,
                          const DxfTextDecoder &decoder = {}, bool keepFile = false);
// The bytes of a file as readDxf takes them (a regular file, within the size it reads); on
// failure nothing, and `error` says why in Japanese.
std::optional<std::string> readDxfBytes(const std::string &path, std::string *error);

// Takes the text of a DXF file a piece at a time; false stops the writing.
using DxfSink = std::function<bool(std::string_view piece)>;

// The code page new drawings are written in.
inline constexpr const char *newDrawingCodepage = "ANSI_932";

// Writes an AC1015 file: header, tables, the model and paper space blocks, the entities and the
// objects, into `sink`; false when the sink refused a piece.
// Layer names that are not ASCII go through `encoder` into Shift-JIS (the file's ANSI_932); without
// one, or where it fails, as \U+ escapes.
bool writeDxf(const Drawing &drawing, const DxfSink &sink, const DxfNameEncoder &encoder = {});
// The same into a file, written in place (tests, benchmarks). The host saves through QSaveFile,
// which keeps the old file whole, its mode and its links. Returns an empty string, or a Japanese
// sentence saying what went wrong.
std::string writeDxf(const Drawing &drawing, const std::string &path);

} // namespace cad
