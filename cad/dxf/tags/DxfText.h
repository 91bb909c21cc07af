#pragma once

#include <string>
#include <string_view>

namespace cad {

// Text for a TEXT entity of an AC1015 file: ASCII as it is, every other character as a \U+XXXX
// escape (two escapes for a character beyond U+FFFF). Bytes that are not UTF-8 become U+FFFD.
std::string encodeDxfText(std::string_view utf8);
// The reverse: \U+XXXX escapes become UTF-8; other bytes that are not UTF-8 are read as Latin-1.
std::string decodeDxfText(std::string_view text);

} // namespace cad
