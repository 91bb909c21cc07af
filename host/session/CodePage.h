#pragma once

#include <string>
#include <string_view>

namespace host {

// Text of a DXF file written in its $DWGCODEPAGE (ANSI_932 is Shift-JIS), as UTF-8; "" when the
// code page is one no converter knows.
std::string decodeCodepage(std::string_view bytes, const std::string &codepage);
// UTF-8 text in a code page; "" when the code page cannot write all of it or is unknown.
std::string encodeCodepage(std::string_view utf8, const std::string &codepage);

} // namespace host
