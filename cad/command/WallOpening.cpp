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
    if (faces[0] == faces[1]) {
        ctx.message("壁の両面が一つのポリラインのため、開口は作りません。");
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
    for (int f = 0; f < 2; ++f) {
        const FacePieces pieces = cutFace(d.at(faces[f]), w.faces[f].segment, o.cuts[f][0], o.cuts[f][1]);
        d.replaceAt(faces[f], pieces.before);
        if (pieces.after) d.add(*pieces.after);
    }
    for (int end = 0; end < 2; ++end) {
        jamb.a = o.cuts[0][end];
        jamb.b = o.cuts[1][end];
        d.add(jamb);
    }
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
    bool joined = true;
    std::vector<std::pair<std::size_t, Entity>> wholes;
    std::vector<std::size_t> gone;
    for (int f = 0; f < 2; ++f) {
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
    erase.insert(erase.end(), gone.begin(), gone.end());
    erase.insert(erase.end(), jambs.begin(), jambs.end());
}

} // namespace cad
