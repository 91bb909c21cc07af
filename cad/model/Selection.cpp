#include "cad/model/Selection.h"

#include "cad/model/Geometry.h"
#include "cad/model/Snap.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

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

// One instance of a file's entity: the pieces that show it stand as one (a copy of it, placed
// elsewhere, is another object).
struct InstanceHash
{
    std::size_t operator()(const Origin &o) const
    {
        std::size_t h = std::hash<std::uint32_t>{}(o.entity);
        for (const double v : {o.placed.a, o.placed.b, o.placed.c, o.placed.d, o.placed.tx, o.placed.ty})
            h = h * 31 + std::hash<double>{}(v);
        return h;
    }
};

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

// The pieces of the file's entities among `found`: with `all`, an entity whose pieces were all
// found; otherwise one any piece of which was. Pieces drawn here stay as they are.
std::vector<std::size_t> wholeEntities(const Drawing &drawing, std::vector<std::size_t> found, bool all)
{
    std::unordered_map<Origin, std::pair<std::size_t, std::size_t>, InstanceHash> counts; // found, total
    for (std::size_t i : found)
        if (drawing.origin(i).editable()) ++counts[drawing.origin(i)].first;
    if (counts.empty()) return found;
    std::vector<std::size_t> out;
    for (std::size_t i : found)
        if (!drawing.origin(i).editable()) out.push_back(i);
    for (std::size_t i = 0; i < drawing.size(); ++i)
        if (const auto it = counts.find(drawing.origin(i)); it != counts.end()) ++it->second.second;
    for (std::size_t i = 0; i < drawing.size(); ++i) {
        const auto it = counts.find(drawing.origin(i));
        if (it != counts.end() && (!all || it->second.first == it->second.second)) out.push_back(i);
    }
    std::sort(out.begin(), out.end());
    return out;
}

// The pieces of the symbols among `found`: with `all`, a symbol all of whose pieces were found;
// otherwise one any piece of which was. What is no symbol's stays as it is.
std::vector<std::size_t> wholeSymbols(const Drawing &drawing, std::vector<std::size_t> found, bool all)
{
    std::unordered_map<std::uint32_t, std::pair<std::size_t, std::size_t>> counts; // found, total
    for (std::size_t i : found)
        if (const std::uint32_t s = drawing.symbolOf(i); s != 0) ++counts[s].first;
    if (counts.empty()) return found;
    std::vector<std::size_t> out;
    for (std::size_t i : found)
        if (drawing.symbolOf(i) == 0) out.push_back(i);
    for (std::size_t i = 0; i < drawing.size(); ++i)
        if (const auto it = counts.find(drawing.symbolOf(i)); it != counts.end()) ++it->second.second;
    for (std::size_t i = 0; i < drawing.size(); ++i) {
        const auto it = counts.find(drawing.symbolOf(i));
        if (it != counts.end() && selectable(drawing, i) && (!all || it->second.first == it->second.second))
            out.push_back(i);
    }
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace

bool partOfWhole(const Drawing &drawing, std::size_t i)
{
    const Origin &o = drawing.origin(i);
    if (!o.editable()) return false;
    for (std::size_t k = 0; k < drawing.size(); ++k)
        if (k != i && drawing.origin(k) == o) return true;
    return false;
}

std::size_t objectCount(const Drawing &drawing, const std::vector<std::size_t> &indices)
{
    std::size_t count = 0;
    std::unordered_set<Origin, InstanceHash> entities;
    std::unordered_set<std::uint32_t> symbols;
    for (std::size_t i : indices) {
        if (i >= drawing.size()) continue;
        if (const std::uint32_t s = drawing.symbolOf(i); s != 0) {
            if (symbols.insert(s).second) ++count;
            continue;
        }
        const Origin &o = drawing.origin(i);
        if (!o.editable() || entities.insert(o).second) ++count;
    }
    return count;
}

std::vector<std::size_t> selectAll(const Drawing &drawing)
{
    std::vector<std::size_t> all;
    all.reserve(drawing.size());
    for (std::size_t i = 0; i < drawing.size(); ++i)
        if (selectable(drawing, i)) all.push_back(i);
    return all;
}

std::vector<std::size_t> wholeOf(const Drawing &drawing, std::size_t i)
{
    return wholeSymbols(drawing, wholeEntities(drawing, {i}, false), false);
}

std::vector<std::size_t> pickObject(const Drawing &drawing, Point p, double tolerance)
{
    const auto hit = pickEntity(drawing, p, tolerance);
    return hit ? wholeOf(drawing, *hit) : std::vector<std::size_t>{};
}

namespace {

struct Candidate
{
    std::size_t index;
    double distance;
};

// Every selectable entity within `tolerance` of `p`, with how far its edge is.
std::vector<Candidate> candidatesNear(const Drawing &drawing, Point p, double tolerance)
{
    Box reach;
    reach.add({p.x - tolerance, p.y - tolerance});
    reach.add({p.x + tolerance, p.y + tolerance});
    std::vector<Candidate> found;
    const auto &outlines = drawing.outlines();
    for (std::size_t i = 0; i < outlines.size(); ++i) {
        const Drawing::Outline &o = outlines[i];
        Box b;
        b.add({o.x0, o.y0});
        b.add({o.x1, o.y1});
        if (!overlaps(b, reach) || !selectable(drawing, i)) continue;
        const EntityView e = drawing.view(i);
        if (e.type == Entity::Type::Text || e.type == Entity::Type::Ellipse) {
            if (contains(bounds(e), p)) found.push_back({i, tolerance});
            continue;
        }
        if (const auto q = nearestPoint(e, p); q && distance(*q, p) <= tolerance)
            found.push_back({i, distance(*q, p)});
    }
    // Nearest edge first; among equals, the one drawn last (on top).
    std::stable_sort(found.begin(), found.end(), [](const Candidate &a, const Candidate &b) {
        return a.distance != b.distance ? a.distance < b.distance : a.index > b.index;
    });
    return found;
}

} // namespace

std::optional<std::size_t> pickEntity(const Drawing &drawing, Point p, double tolerance)
{
    const auto found = candidatesNear(drawing, p, tolerance);
    if (found.empty()) return std::nullopt;
    return found.front().index;
}

std::vector<std::size_t> pickCandidates(const Drawing &drawing, Point p, double tolerance)
{
    std::vector<std::size_t> out;
    std::vector<std::size_t> taken; // every piece of the objects listed so far
    for (const Candidate &c : candidatesNear(drawing, p, tolerance)) {
        if (std::find(taken.begin(), taken.end(), c.index) != taken.end()) continue;
        const auto whole = wholeOf(drawing, c.index);
        taken.insert(taken.end(), whole.begin(), whole.end());
        out.push_back(c.index);
    }
    return out;
}

std::vector<std::size_t> windowSelect(const Drawing &drawing, const Box &box, bool crossing)
{
    std::vector<std::size_t> out;
    const auto &outlines = drawing.outlines();
    for (std::size_t i = 0; i < outlines.size(); ++i) {
        const Drawing::Outline &o = outlines[i];
        if (!selectable(drawing, i)) continue;
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
    return wholeSymbols(drawing, wholeEntities(drawing, std::move(out), !crossing), !crossing);
}

} // namespace cad
