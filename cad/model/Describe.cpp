#include "cad/model/Describe.h"

#include "cad/model/kinds/Kinds.h"

#include <cmath>
#include <cstdio>

namespace cad {

std::string describedNumber(double v)
{
    double r = std::round(v * 1e6) / 1e6;
    if (r == 0) r = 0; // no "-0"
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", r);
    return buffer;
}

std::string describedPoint(Point p, Point o)
{
    return describedNumber(p.x - o.x) + "," + describedNumber(p.y - o.y);
}

std::string describe(const Entity &e, Point o)
{
    const EntityView v = view(e);
    std::string s = visitKind(e.type, [&](auto kind) { return decltype(kind)::describe(v, o); });
    if (!e.dashes.empty()) {
        s += " dashes";
        for (std::size_t i = 0; i < e.dashes.size(); ++i)
            s += (i == 0 ? " " : "/") + describedNumber(e.dashes[i]);
    }
    if (e.color == colorBackground)
        s += " mask";
    else if (e.color != colorByLayer)
        s += " #" + std::to_string(e.color);
    return s;
}

std::vector<std::string> describe(const Drawing &d, Point origin)
{
    std::vector<std::string> out;
    out.reserve(d.size());
    for (std::size_t i = 0; i < d.size(); ++i) {
        if (!d.visible(i)) continue;
        Entity e = d.at(i);
        if (e.color == colorByLayer && d.shownColor(i) != 7) e.color = d.shownColor(i);
        out.push_back(describe(e, origin));
    }
    return out;
}

} // namespace cad
