#pragma once

#include "cad/model/Entity.h"

#include <algorithm>

namespace cad {

// An axis-aligned box; empty until a point is added.
struct Box
{
    Point min{1, 1}, max{-1, -1};

    bool empty() const { return min.x > max.x || min.y > max.y; }
    void add(Point p)
    {
        if (empty()) {
            min = max = p;
            return;
        }
        min.x = std::min(min.x, p.x);
        min.y = std::min(min.y, p.y);
        max.x = std::max(max.x, p.x);
        max.y = std::max(max.y, p.y);
    }
    void include(const Box &b)
    {
        if (b.empty()) return;
        add(b.min);
        add(b.max);
    }
    double width() const { return empty() ? 0 : max.x - min.x; }
    double height() const { return empty() ? 0 : max.y - min.y; }
};

} // namespace cad
