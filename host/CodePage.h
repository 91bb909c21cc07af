#pragma once

#include <string>
#include <string_view>

namespace host {

// Text of a DXF file written in its $DWGCODEPAGE (ANSI_932 is Shift-JIS), as UTF-8; "" when the
// code page is one no converter knows.
std::string decodeCodepage(std::string_view bytes, const std::string &codepage);

} // namespace host
