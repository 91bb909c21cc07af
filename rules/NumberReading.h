#pragma once

#include <optional>
#include <string_view>

namespace quendra {

// The lenient reading of an input: blanks, tabs and line feeds anywhere are skipped, then the
// longest leading decimal number (sign, digits, one point, exponent) is taken; "&H" and "&O"
// read hexadecimal and octal digits. A text without a number reads as 0. "1700mm" reads 1700,
// "1 700" reads 1700. A huge exponent reads as infinity, which the forms reject before sending.
double readLenient(std::string_view text);

// The strict reading: the whole text, blanks around it allowed, must be one number; anything
// else, the empty text included, is a failure (nullopt).
std::optional<double> readStrict(std::string_view text);

} // namespace quendra
