#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace cad {

// Text for a TEXT entity of an AC1015 file: ASCII as it is, every other character as a \U+XXXX
// escape (two escapes for a character beyond U+FFFF). Bytes that are not UTF-8 become U+FFFD.
std::string encodeDxfText(std::string_view utf8);
// Text for a file written in a code page: what `inCodepage` writes (the bytes in the code page, or
// nothing where it lacks a character) as it writes it, every other character as above. Without
// `inCodepage`, as above.
std::string encodeDxfText(std::string_view utf8,
                          const std::function<std::string(std::string_view)> &inCodepage);
// The reverse: \U+XXXX escapes become UTF-8; other bytes that are not UTF-8 are read as Latin-1.
std::string decodeDxfText(std::string_view text);

} // namespace cad
