#include "cad/command/WallOpening.h"

#include "cad/model/Geometry.h"
#include "cad/model/Schedule.h"
#include "cad/model/Wall.h"

#include <algorithm>
#include <cmath>

namespace cad {

namespace {

bool at(Point p, Point q)
{
    return distance(p, q) <= 1e-6 * (1 + std::abs(p.x) + std::abs(p.y));
}

// The ends of a line or an open polyline.
std::pair<Point, Point> ends(const EntityView &v)
{
    if (v.type == Entity::Type::Line) return {v.a, v.b};
    if (v.vertices.empty() || v.closed) return {Point{NAN, NAN}, Point{NAN, NAN}};
    return {v.vertices.front(), v.vertices.back()};
}

// Which end of the opening a jamb closes.
int jambEnd(const EntityView &jamb, const Opening &o)
{
    return at(jamb.a, o.cuts[0][0]) || at(jamb.b, o.cuts[0][0]) ? 0 : 1;
}

// One face of an opening that shares a jamb, closed: the piece at its other end run up to that
// jamb (with the entity it replaces), or, shared at both ends, a new face from jamb to jamb
// drawn as the jamb is.
std::optional<std::pair<std::optional<std::size_t>, Entity>>
closedBeside(const Drawing &d, const std::vector<std::size_t> (&pieces)[2], const Point (&cuts)[2],
             const bool (&shared)[2], const std::vector<std::size_t> &jambs)
{
    if (shared[0] && shared[1]) {
        if (!pieces[0].empty() || !pieces[1].empty() || jambs.empty()) return std::nullopt;
        Entity face = d.at(jambs.front());
        face.origin = {};
        face.a = cuts[0];
        face.b = cuts[1];
        return std::pair{std::optional<std::size_t>{}, face};
    }
    const int open = shared[0] ? 1 : 0;
    if (!pieces[1 - open].empty() || pieces[open].size() != 1) return std::nullopt;
    const std::size_t i = pieces[open][0];
    const std::optional<Entity> longer = extendFace(d.at(i), cuts[open], cuts[1 - open]);
    if (!longer) return std::nullopt;
    return std::pair{std::optional<std::size_t>{i}, *longer};
}

std::string thicknessText(double t)
{
    const double r = std::round(t);
    return std::abs(t - r) < 1e-9 ? std::to_string(static_cast<long long>(r)) : std::to_string(t);
}

} // namespace

void setIntoWall(CommandContext &ctx, std::uint32_t symbol)
{
    Drawing &d = ctx.drawing();
    if (symbol == 0 || !isFittingForm(d.symbol(symbol).form)) return;
    const OpeningPlan plan = planOpening(d, symbol);
    if (!plan.refused.empty()) {
        ctx.message(plan.refused);
        return;
    }
    if (!plan.opening) return;
    const Wall &w = *plan.wall;
    const Opening &o = *plan.opening;
    const std::size_t faces[2] = {w.faces[0].entity, w.faces[1].entity};
    const bool outline = faces[0] == faces[1];
    if (outline && !d.view(faces[0]).closed) {
        ctx.message("壁の両面が一つの開いたポリラインのため、開口は作りません。");
        return;
    }
    for (const std::size_t face : faces)
        if (const std::string kind = d.cutRefused(d.view(face)); !kind.empty()) {
            ctx.message("壁の線がファイルの " + kind + " でそのまま切れないため、開口は作りません。");
            return;
        }
    Entity jamb;
    jamb.color = d.view(faces[0]).color;
    jamb.layer = static_cast<std::int32_t>(d.view(faces[0]).layer);
    // Cut up to a jamb it shares, a piece of face is no more than a point and goes.
    std::vector<std::size_t> gone;
    if (outline) {
        // Both faces in one closed outline: it opens into two pieces, one each side.
        const auto [x, y] = cutOutline(d.at(faces[0]), w.faces[0].segment, w.faces[1].segment, o.cuts);
        d.replaceAt(faces[0], x);
        d.add(y);
    }
    for (int f = 0; f < 2 && !outline; ++f) {
        const FacePieces pieces = cutFace(d.at(faces[f]), w.faces[f].segment, o.cuts[f][0], o.cuts[f][1]);
        std::vector<Entity> kept;
        if (!vanished(pieces.before)) kept.push_back(pieces.before);
        if (pieces.after && !vanished(*pieces.after)) kept.push_back(*pieces.after);
        if (kept.empty()) gone.push_back(faces[f]);
        for (std::size_t k = 0; k < kept.size(); ++k)
            k == 0 ? d.replaceAt(faces[f], kept[k]) : d.add(kept[k]);
    }
    for (int end = 0; end < 2; ++end) {
        if (plan.shared[end]) continue;
        jamb.a = o.cuts[0][end];
        jamb.b = o.cuts[1][end];
        d.add(jamb);
    }
    d.erase(gone);
    d.setOpening(symbol, o);
    ctx.message("壁に納めました (壁厚 " + thicknessText(w.thickness) + ")。");
}

void closeOpening(CommandContext &ctx, std::uint32_t symbol, std::vector<std::size_t> &erase)
{
    Drawing &d = ctx.drawing();
    const std::optional<Opening> opening = d.opening(symbol);
    if (symbol == 0 || !opening) return;
    const Opening o = *opening;
    std::vector<std::size_t> jambs, pieces[2][2];
    // What the caller erases anyway is no piece of the wall (ERASE ALL takes every entity).
    std::vector<std::size_t> erased = erase;
    std::sort(erased.begin(), erased.end());
    for (std::size_t i = 0; i < d.size(); ++i) {
        if (!mayBeWallFace(d, i) || std::binary_search(erased.begin(), erased.end(), i)) continue;
        const auto [a, b] = ends(d.view(i));
        bool isJamb = false;
        for (int end = 0; end < 2 && d.view(i).type == Entity::Type::Line; ++end)
            if ((at(a, o.cuts[0][end]) && at(b, o.cuts[1][end])) ||
                (at(b, o.cuts[0][end]) && at(a, o.cuts[1][end])))
                isJamb = true;
        if (isJamb) {
            jambs.push_back(i);
            continue;
        }
        for (int f = 0; f < 2; ++f)
            for (int end = 0; end < 2; ++end)
                if (at(a, o.cuts[f][end]) || at(b, o.cuts[f][end])) pieces[f][end].push_back(i);
    }
    // An end with a jamb but no face on either side is shared with the opening beside: the jamb
    // stays and the face runs up to it.
    bool shared[2];
    for (int end = 0; end < 2; ++end)
        shared[end] = pieces[0][end].empty() && pieces[1][end].empty() &&
                      std::any_of(jambs.begin(), jambs.end(),
                                  [&](std::size_t i) { return jambEnd(d.view(i), o) == end; });
    bool joined = true;
    std::vector<std::pair<std::size_t, Entity>> wholes;
    std::vector<Entity> added;
    std::vector<std::size_t> gone;
    // An outline opened on both faces is two pieces, each at a cut of both faces.
    const bool outline =
        pieces[0][0].size() == 1 && pieces[0][1].size() == 1 && pieces[1][0].size() == 1 &&
        pieces[1][1].size() == 1 && pieces[0][0][0] != pieces[0][1][0] &&
        std::minmax(pieces[0][0][0], pieces[0][1][0]) == std::minmax(pieces[1][0][0], pieces[1][1][0]);
    if (outline) {
        const std::size_t i = pieces[0][0][0], k = pieces[0][1][0];
        if (const auto whole = joinOutline(d.at(i), d.at(k), o.cuts)) {
            wholes.emplace_back(i, *whole);
            gone.push_back(k);
        } else {
            joined = false;
        }
    }
    for (int f = 0; f < 2 && !outline; ++f) {
        if (shared[0] || shared[1]) {
            const auto closed = closedBeside(d, pieces[f], o.cuts[f], shared, jambs);
            if (!closed) {
                joined = false;
            } else if (closed->first) {
                wholes.emplace_back(*closed->first, closed->second);
            } else {
                added.push_back(closed->second);
            }
            continue;
        }
        if (pieces[f][0].size() != 1 || pieces[f][1].size() != 1) {
            joined = false;
            continue;
        }
        const std::size_t i = pieces[f][0][0], k = pieces[f][1][0];
        std::optional<Entity> whole;
        if (i == k) {
            whole = joinFace(d.at(i), std::nullopt, o.cuts[f][0], o.cuts[f][1]);
        } else {
            whole = joinFace(d.at(i), d.at(k), o.cuts[f][0], o.cuts[f][1]);
            if (!whole) {
                whole = joinFace(d.at(k), d.at(i), o.cuts[f][0], o.cuts[f][1]);
                if (whole) {
                    wholes.emplace_back(k, *whole);
                    gone.push_back(i);
                    continue;
                }
            } else {
                gone.push_back(k);
            }
        }
        if (!whole) {
            joined = false;
            continue;
        }
        wholes.emplace_back(i, *whole);
    }
    if (!joined || jambs.size() != 2) {
        ctx.message("壁の線が変わっているため、開口を閉じられませんでした。");
        return;
    }
    for (const auto &[i, whole] : wholes)
        d.replaceAt(i, whole);
    for (const Entity &e : added)
        d.add(e);
    erase.insert(erase.end(), gone.begin(), gone.end());
    for (const std::size_t i : jambs)
        if (!shared[jambEnd(d.view(i), o)]) erase.push_back(i);
}

} // namespace cad
