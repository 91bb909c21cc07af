#include "cad/Selection.h"

#include "cad/Geometry.h"
#include "cad/Snap.h"

namespace cad {

namespace {

bool inside(const Box &outer, const Box &inner)
{
    return !inner.empty() && inner.min.x >= outer.min.x && inner.max.x <= outer.max.x &&
           inner.min.y >= outer.min.y && inner.max.y <= outer.max.y;
}

bool overlaps(const Box &a, const Box &b)
{
    return !a.empty() && !b.empty() && a.min.x <= b.max.x && b.min.x <= a.max.x && a.min.y <= b.max.y &&
           b.min.y <= a.max.y;
}

bool contains(const Box &b, Point p)
{
    return p.x >= b.min.x && p.x <= b.max.x && p.y >= b.min.y && p.y <= b.max.y;
}

// Whether the entity's own lines pass through the box: a point of it inside, or a crossing
// with one of the box's edges. Text and ellipses are taken by their boxes.
bool touches(const EntityView &e, const Box &box)
{
    if (e.type == Entity::Type::Text || e.type == Entity::Type::Ellipse) return overlaps(bounds(e), box);
    const Point centre{(box.min.x + box.max.x) / 2, (box.min.y + box.max.y) / 2};
    if (const auto p = nearestPoint(e, centre); p && contains(box, *p)) return true;
    const Point c[4] = {box.min, {box.max.x, box.min.y}, box.max, {box.min.x, box.max.y}};
    for (int i = 0; i < 4; ++i) {
        Entity edge;
        edge.a = c[i];
        edge.b = c[(i + 1) % 4];
        if (!intersections(e, view(edge)).empty()) return true;
    }
    // A closed shape round the whole box has no point in it and crosses no edge: not taken.
    return false;
}

} // namespace

std::optional<std::size_t> pickEntity(const Drawing &drawing, Point p, double tolerance)
{
    Box reach;
    reach.add({p.x - tolerance, p.y - tolerance});
    reach.add({p.x + tolerance, p.y + tolerance});
    const auto &outlines = drawing.outlines();
    for (std::size_t i = outlines.size(); i-- > 0;) {
        const Drawing::Outline &o = outlines[i];
        Box b;
        b.add({o.x0, o.y0});
        b.add({o.x1, o.y1});
        if (!overlaps(b, reach) || !drawing.shown(i)) continue;
        const EntityView e = drawing.view(i);
        if (e.type == Entity::Type::Text || e.type == Entity::Type::Ellipse) {
            if (contains(bounds(e), p)) return i;
            continue;
        }
        if (const auto q = nearestPoint(e, p); q && distance(*q, p) <= tolerance) return i;
    }
    return std::nullopt;
}

std::vector<std::size_t> windowSelect(const Drawing &drawing, const Box &box, bool crossing)
{
    std::vector<std::size_t> out;
    const auto &outlines = drawing.outlines();
    for (std::size_t i = 0; i < outlines.size(); ++i) {
        const Drawing::Outline &o = outlines[i];
        if (!drawing.shown(i)) continue; // on a layer off or frozen
        Box b;
        b.add({o.x0, o.y0});
        b.add({o.x1, o.y1});
        if (inside(box, b)) {
            // The outline is rounded outwards; the entity's own box decides at the edge.
            if (inside(box, bounds(drawing.view(i))))
                out.push_back(i);
            else if (crossing && touches(drawing.view(i), box))
                out.push_back(i);
            continue;
        }
        if (crossing && overlaps(box, b) && touches(drawing.view(i), box)) out.push_back(i);
    }
    return out;
}

} // namespace cad
