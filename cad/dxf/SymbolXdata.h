#pragma once

#include "cad/dxf/tags/DxfTags.h"
#include "cad/model/Symbol.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cad {

// The APPID our XDATA is kept under.
inline constexpr std::string_view dxfAppName = "QUENDRA_LT";

// A symbol as a file keeps it: what it is, the opening it cut in its wall, and, where its
// entities carry it each (files without a GROUP object), which symbol among them it is.
struct KeptSymbol
{
    Symbol symbol;
    std::optional<Opening> opening;
    std::int64_t number = 0;
};

// One group of XDATA to write: its text, or its number for codes that hold one.
struct XdataGroup
{
    int code = 0;
    std::string text;
    double real = 0;
    std::int64_t integer = 0;
};

// Our XDATA for a symbol, from its 1001 on: form and caption (1000), the base point (1010) when
// there is one, the inputs between braces (1002) as name and value (1000 each), then the opening
// between braces as four points (1011: the near face's two ends, then the far face's), then the
// number (1071) when it is not 0. Texts go through `text` into the file's form.
std::vector<XdataGroup> symbolXdata(const KeptSymbol &kept,
                                    const std::function<std::string(std::string_view)> &text);

// Writes those groups in a file's form.
void writeXdata(DxfTagWriter &out, std::span<const XdataGroup> groups);

// Reads our XDATA among an object's groups (those after 1001 QUENDRA_LT, up to the next 1001);
// none where there is none or it names no form. Texts go through `text` into UTF-8.
std::optional<KeptSymbol> readSymbolXdata(std::span<const DxfTag> tags, bool binary,
                                          const std::function<std::string(std::string_view)> &text);

} // namespace cad
