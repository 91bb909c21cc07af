#include "cad/dxf/SymbolXdata.h"

#include "cad/model/Names.h"

#include <cstdlib>

namespace cad {

namespace {

void point(std::vector<XdataGroup> &out, int code, Point p)
{
    out.push_back({code, {}, p.x});
    out.push_back({code + 10, {}, p.y});
    out.push_back({code + 20, {}, 0.0});
}

} // namespace

std::vector<XdataGroup> symbolXdata(const KeptSymbol &kept,
                                    const std::function<std::string(std::string_view)> &text)
{
    const Symbol &s = kept.symbol;
    std::vector<XdataGroup> out{
        {1001, std::string(dxfAppName)}, {1000, text(s.form)}, {1000, text(s.caption)}};
    if (s.base) point(out, 1010, *s.base);
    out.push_back({1002, "{"});
    for (const auto &[name, value] : s.inputs) {
        out.push_back({1000, text(name)});
        out.push_back({1000, text(value)});
    }
    out.push_back({1002, "}"});
    if (kept.opening) {
        out.push_back({1002, "{"});
        for (const auto &face : kept.opening->cuts)
            for (const Point &p : face)
                point(out, 1011, p);
        out.push_back({1002, "}"});
    }
    if (kept.number != 0) out.push_back({1071, {}, 0, kept.number});
    return out;
}

void writeXdata(DxfTagWriter &out, std::span<const XdataGroup> groups)
{
    for (const XdataGroup &g : groups) {
        const DxfValueType type = dxfValueType(g.code);
        if (type == DxfValueType::Double)
            out.real(g.code, g.real);
        else if (type == DxfValueType::Int16 || type == DxfValueType::Int32)
            out.integer(g.code, g.integer);
        else
            out.string(g.code, g.text);
    }
}

std::optional<KeptSymbol> readSymbolXdata(std::span<const DxfTag> tags, bool binary,
                                          const std::function<std::string(std::string_view)> &text)
{
    std::size_t k = 0;
    while (k < tags.size() && !(tags[k].code == 1001 && sameName(tags[k].trimmed, dxfAppName)))
        ++k;
    if (k == tags.size()) return std::nullopt;
    KeptSymbol kept;
    int texts = 0, lists = 0, depth = 0;
    std::vector<Point> cuts;
    std::optional<std::string> name;
    Point base;
    bool hasBase = false;
    for (++k; k < tags.size() && tags[k].code != 1001; ++k) {
        const DxfTag &t = tags[k];
        const std::string value = dxfValueText(t, binary);
        const double number = std::strtod(value.c_str(), nullptr);
        if (t.code == 1002) {
            if (value == "{" && depth++ == 0) ++lists;
            if (value == "}" && depth > 0) --depth;
        } else if (t.code == 1000 && depth == 0) {
            (texts++ == 0 ? kept.symbol.form : kept.symbol.caption) = text(value);
        } else if (t.code == 1000 && lists == 1) {
            if (name) {
                kept.symbol.inputs.emplace_back(std::move(*name), text(value));
                name.reset();
            } else {
                name = text(value);
            }
        } else if ((t.code == 1010 || t.code == 1011) && depth == 0) {
            base.x = number;
            hasBase = true;
        } else if ((t.code == 1020 || t.code == 1021) && depth == 0) {
            base.y = number;
        } else if (t.code == 1011 && lists == 2) {
            cuts.push_back({number, 0});
        } else if (t.code == 1021 && lists == 2 && !cuts.empty()) {
            cuts.back().y = number;
        } else if (t.code == 1071) {
            kept.number = std::atoll(value.c_str());
        }
    }
    if (kept.symbol.form.empty()) return std::nullopt;
    if (hasBase) kept.symbol.base = base;
    if (cuts.size() == 4) kept.opening = Opening{{{cuts[0], cuts[1]}, {cuts[2], cuts[3]}}};
    return kept;
}

} // namespace cad
