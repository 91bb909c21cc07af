#pragma once

#include <optional>
#include <string_view>

namespace cad {

// The number dxflib makes of a value line (DL_Dxf::toReal on the line as dxflib keeps it), for
// the lines where this can be told for certain: a plain decimal number, "," read as ".", white
// space before it, anything after it. Empty lines, lines dxflib reads as nothing ("-", "1e", "inf"),
// and results too large or too small for a normal double give nothing; such a line is left to
// dxflib.
std::optional<double> dxflibReal(std::string_view line);

// Whether dxflib reads any number from a value line: false where the stream finds none and dxflib
// gives 0 ("nan", "inf", "abc", "-", "1e", a blank line). A number too large for a double reads
// (as the largest one).
bool dxflibReadsNumber(std::string_view line);

} // namespace cad
