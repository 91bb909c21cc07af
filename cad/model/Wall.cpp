#include "cad/model/Wall.h"

#include "cad/model/Geometry.h"
#include "cad/model/InputReading.h"
#include "cad/model/Schedule.h"
#include "cad/model/Selection.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace cad {

namespace {

double dot(Point p, Point q)
{
    return p.x * q.x + p.y * q.y;
}

double cross(Point p, Point q)
{
    return p.x * q.y - p.y * q.x;
}

// Within rounding of coordinates of this size.
double slack(Point p)
{
    return 1e-9 * (1 + std::abs(p.x) + std::abs(p.y));
}

bool same(Point p, Point q)
{
    return distance(p, q) <= 1e3 * slack(p);
}

struct Segment
{
    WallFace face;
    Point u; // unit vector from a to b
};

double distanceToSegment(Point p, Point a, Point b)
{
    const Point d = b - a;
    const double t = std::clamp(dot(p - a, d) / dot(d, d), 0.0, 1.0);
    return distance(p, lerp(a, b, t));
}

void addSegment(std::vector<Segment> &out, Point p, std::size_t entity, std::size_t segment, Point a, Point b)
{
    const double length = distance(a, b);
    if (length == 0 || distanceToSegment(p, a, b) > maxWallThickness) return;
    // On the axes the unit vector is exact, and so is all that follows from it.
    const Point u = a.y == b.y   ? Point{b.x > a.x ? 1.0 : -1.0, 0}
                    : a.x == b.x ? Point{0, b.y > a.y ? 1.0 : -1.0}
                                 : (b - a) * (1 / length);
    out.push_back({{entity, segment, a, b}, u});
}

// The faces near `p` a wall could have: lines and polyline segments, never a fitting's.
std::vector<Segment> candidates(const Drawing &drawing, Point p)
{
    std::vector<Segment> out;
    const auto &outlines = drawing.outlines();
    for (std::size_t i = 0; i < drawing.size(); ++i) {
        const Drawing::Outline &o = outlines[i];
        if (p.x < o.x0 - maxWallThickness || p.x > o.x1 + maxWallThickness || p.y < o.y0 - maxWallThickness ||
            p.y > o.y1 + maxWallThickness)
            continue;
        if (!mayBeWallFace(drawing, i)) continue;
        const EntityView v = drawing.view(i);
        if (v.type == Entity::Type::Line) {
            addSegment(out, p, i, 0, v.a, v.b);
            continue;
        }
        const std::size_t n = v.vertices.size();
        for (std::size_t k = 0; n >= 2 && k < (v.closed ? n : n - 1); ++k)
            addSegment(out, p, i, k, v.vertices[k], v.vertices[(k + 1) % n]);
    }
    return out;
}

// Where a segment runs along its own unit vector.
std::pair<double, double> span(const Segment &s, Point u)
{
    const double a = dot(s.face.a, u), b = dot(s.face.b, u);
    return {std::min(a, b), std::max(a, b)};
}

Wall wallOf(const Segment &first, const Segment &second, Point p)
{
    const Point u = first.u, n{-u.y, u.x};
    const double s1 = dot(n, p - first.face.a), s2 = dot(n, p - second.face.a);
    Wall w;
    w.thickness = std::abs(s1 - s2);
    w.centre = p - n * ((s1 + s2) / 2);
    const bool firstNearer = std::abs(s1) < std::abs(s2);
    const bool tie = std::abs(s1) == std::abs(s2);
    // The face at -s from p; the nearer on the right of the direction.
    const auto directionWith = [&](bool firstNear) {
        const double nearOffset = firstNear ? -s1 : -s2, farOffset = firstNear ? -s2 : -s1;
        return angleOf({0, 0}, nearOffset < farOffset ? u : u * -1.0);
    };
    bool firstNear = firstNearer;
    w.direction = directionWith(firstNear);
    // Midway: the smaller angle, so that the same pick gives the same answer.
    if (tie && directionWith(!firstNear) < w.direction) {
        firstNear = !firstNear;
        w.direction = directionWith(firstNear);
    }
    w.faces[0] = firstNear ? first.face : second.face;
    w.faces[1] = firstNear ? second.face : first.face;
    return w;
}

} // namespace

bool mayBeWallFace(const Drawing &drawing, std::size_t i)
{
    const Entity::Type t = drawing.outlines()[i].type;
    if ((t != Entity::Type::Line && t != Entity::Type::Polyline) || !drawing.visible(i)) return false;
    const std::uint32_t symbol = drawing.symbolOf(i);
    return symbol == 0 || !isFittingForm(drawing.symbol(symbol).form);
}

std::optional<Wall> findWall(const Drawing &drawing, Point p)
{
    const std::vector<Segment> segments = candidates(drawing, p);
    std::optional<Wall> best;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const Segment &s = segments[i];
        const Point u = s.u, n{-u.y, u.x};
        const double along = dot(p, u);
        const auto [lo, hi] = span(s, u);
        const double tol = slack(p) * 1e3;
        if (along < lo - tol || along > hi + tol) continue;
        for (std::size_t j = i + 1; j < segments.size(); ++j) {
            const Segment &t = segments[j];
            if (std::abs(cross(u, t.u)) > 1e-9) continue;
            const auto [lo2, hi2] = span(t, u);
            if (along < lo2 - tol || along > hi2 + tol) continue;
            const double s1 = dot(n, p - s.face.a), s2 = dot(n, p - t.face.a);
            if (s1 * s2 > 0 || (s1 == 0 && s2 == 0)) continue;
            const double thickness = std::abs(s1 - s2);
            if (thickness < minWallThickness - tol || thickness > maxWallThickness + tol) continue;
            if (best && best->thickness <= thickness) continue;
            best = wallOf(s, t, p);
        }
    }
    // Asked of the two faces alone: finding a block's other pieces walks the drawing.
    const auto whole = [&drawing](std::size_t i) {
        return drawing.origin(i).entity == Origin::fromFile || partOfWhole(drawing, i);
    };
    if (best) best->inBlock = whole(best->faces[0].entity) || whole(best->faces[1].entity);
    return best;
}

std::optional<int> quarterAngle(double degrees)
{
    const double d = normalizedDegrees(degrees);
    for (int q : {0, 90, 180, 270, 360})
        if (std::abs(d - q) < 1e-6) return q % 360;
    return std::nullopt;
}

namespace {

// A face's stretch along the wall: x for a level wall, y for an upright one.
std::pair<double, double> faceSpan(const WallFace &f, bool level)
{
    const double a = level ? f.a.x : f.a.y, b = level ? f.b.x : f.b.y;
    return {std::min(a, b), std::max(a, b)};
}

Point onFace(const WallFace &f, bool level, double at)
{
    return level ? Point{at, f.a.y} : Point{f.a.x, at};
}

// Whether another wall joins this one between the cuts (a T): a line or polyline with an end or
// a corner on a face or between them there. Lines that only cross the wall (a grid line, a
// dimension) do not count.
bool joinedBetween(const Drawing &drawing, const Wall &wall, std::uint32_t fitting, bool level, double lo,
                   double hi, const std::function<bool(std::size_t)> &beside)
{
    const double across0 = level ? wall.faces[0].a.y : wall.faces[0].a.x;
    const double across1 = level ? wall.faces[1].a.y : wall.faces[1].a.x;
    const double tol = 1e-6 * (1 + std::abs(lo) + std::abs(hi) + std::abs(across0));
    Box band;
    band.add(level ? Point{lo - tol, across0 - tol} : Point{across0 - tol, lo - tol});
    band.add(level ? Point{hi + tol, across1 + tol} : Point{across1 + tol, hi + tol});
    const auto inBand = [&band](Point p) {
        return p.x >= band.min.x && p.x <= band.max.x && p.y >= band.min.y && p.y <= band.max.y;
    };
    const auto &outlines = drawing.outlines();
    for (std::size_t k = 0; k < drawing.size(); ++k) {
        const Drawing::Outline &o = outlines[k];
        if (o.x1 < band.min.x - 1 || o.x0 > band.max.x + 1 || o.y1 < band.min.y - 1 || o.y0 > band.max.y + 1)
            continue;
        if (k == wall.faces[0].entity || k == wall.faces[1].entity || drawing.symbolOf(k) == fitting ||
            !drawing.visible(k) || beside(k))
            continue;
        const EntityView v = drawing.view(k);
        if (v.type == Entity::Type::Line && (inBand(v.a) || inBand(v.b))) return true;
        if (v.type == Entity::Type::Polyline && std::any_of(v.vertices.begin(), v.vertices.end(), inBand))
            return true;
    }
    return false;
}

bool sameJamb(const Opening &o, int end, Point a, Point b)
{
    return (same(o.cuts[0][end], a) && same(o.cuts[1][end], b)) ||
           (same(o.cuts[0][end], b) && same(o.cuts[1][end], a));
}

// The fittings still drawn, other than `except`, whose openings end at the jamb from a to b.
std::vector<std::uint32_t> openingsEndingAt(const Drawing &drawing, Point a, Point b, std::uint32_t except)
{
    std::vector<std::uint32_t> ending;
    for (const auto &[id, o] : drawing.openings())
        if (id != except && (sameJamb(o, 0, a, b) || sameJamb(o, 1, a, b))) ending.push_back(id);
    if (ending.empty()) return ending;
    // An opening's record outlives its symbol (undo keeps it): only a symbol drawn counts.
    std::vector<std::uint32_t> drawn;
    for (std::size_t i = 0; i < drawing.size() && drawn.size() < ending.size(); ++i) {
        const std::uint32_t s = drawing.symbolOf(i);
        if (s != 0 && std::find(ending.begin(), ending.end(), s) != ending.end() &&
            std::find(drawn.begin(), drawn.end(), s) == drawn.end())
            drawn.push_back(s);
    }
    return drawn;
}

double fittingAngle(const Symbol &s)
{
    for (const auto &[name, value] : s.inputs)
        if (name == "Combo2") return readNumber(value).value_or(0);
    return 0;
}

} // namespace

OpeningPlan planOpening(const Drawing &drawing, std::uint32_t fitting)
{
    OpeningPlan plan;
    const Symbol &s = drawing.symbol(fitting);
    if (fitting == 0 || !s.base) return plan;
    Box box;
    for (std::size_t i = 0; i < drawing.size(); ++i)
        if (drawing.symbolOf(i) == fitting) box.include(bounds(drawing.view(i)));
    plan.wall = findWall(drawing, *s.base);
    if (!plan.wall || box.empty()) return plan;
    const Wall &w = *plan.wall;
    if (w.inBlock) {
        plan.refused = "壁がブロックの中にあるため、開口は作りません。";
        return plan;
    }
    const std::optional<int> quarter = quarterAngle(w.direction);
    if (!quarter) {
        plan.refused = "壁が斜めのため、開口は作りません (0, 90, 180, 270 度の壁のみ)。";
        return plan;
    }
    const std::optional<int> drawn = quarterAngle(fittingAngle(s));
    if (!drawn || *drawn % 180 != *quarter % 180) {
        plan.refused = "建具の角度が壁の向きと合わないため、開口は作りません。";
        return plan;
    }
    const bool level = *quarter % 180 == 0;
    const double lo = level ? box.min.x : box.min.y, hi = level ? box.max.x : box.max.y;
    const double tol = slack(*s.base) * 1e3;
    Opening o;
    for (int f = 0; f < 2; ++f) {
        o.cuts[f][0] = onFace(w.faces[f], level, lo);
        o.cuts[f][1] = onFace(w.faces[f], level, hi);
    }
    // A fitting set right beside another's opening shares its jamb: the face it stands on ends
    // there.
    std::vector<std::uint32_t> beside;
    for (int end = 0; end < 2; ++end) {
        const auto ending = openingsEndingAt(drawing, o.cuts[0][end], o.cuts[1][end], fitting);
        plan.shared[end] = !ending.empty();
        beside.insert(beside.end(), ending.begin(), ending.end());
    }
    for (const WallFace &f : w.faces) {
        const auto [from, to] = faceSpan(f, level);
        const bool loFits = plan.shared[0] ? std::abs(lo - from) <= tol : lo > from + tol;
        const bool hiFits = plan.shared[1] ? std::abs(hi - to) <= tol : hi < to - tol;
        if (!loFits || !hiFits) {
            plan.refused = "開口の中で壁が終わるため (壁の端や角)、開口は作りません。";
            return plan;
        }
    }
    // The fittings beside it and the jambs it shares with them stand at its ends.
    const auto besideIt = [&](std::size_t k) {
        if (std::find(beside.begin(), beside.end(), drawing.symbolOf(k)) != beside.end()) return true;
        const EntityView v = drawing.view(k);
        if (v.type != Entity::Type::Line) return false;
        for (int end = 0; end < 2; ++end)
            if (plan.shared[end] && sameJamb(o, end, v.a, v.b)) return true;
        return false;
    };
    if (joinedBetween(drawing, w, fitting, level, lo, hi, besideIt)) {
        plan.refused = "開口の中に取り付く壁や線があるため (T 字や角)、開口は作りません。";
        return plan;
    }
    plan.opening = o;
    return plan;
}

FacePieces cutFace(const Entity &face, std::size_t segment, Point first, Point second)
{
    Entity before = face, after = face;
    markReshaped(before.origin);
    markReshaped(after.origin);
    if (face.type == Entity::Type::Line) {
        const bool firstAtA = distance(face.a, first) <= distance(face.a, second);
        before.b = firstAtA ? first : second;
        after.a = firstAtA ? second : first;
        return {before, after};
    }
    const std::vector<Point> &v = face.vertices;
    const std::size_t n = v.size();
    const Point start = v[segment];
    // The cut nearer the segment's start ends the part before it.
    const bool firstNearStart = distance(start, first) <= distance(start, second);
    const Point endBefore = firstNearStart ? first : second, startAfter = firstNearStart ? second : first;
    before.closed = after.closed = false;
    before.vertices.clear();
    after.vertices.clear();
    if (face.closed) {
        // Round from the cut to the cut: one open polyline.
        before.vertices.push_back(startAfter);
        for (std::size_t k = 1; k <= n; ++k)
            before.vertices.push_back(v[(segment + k) % n]);
        before.vertices.push_back(endBefore);
        return {before, std::nullopt};
    }
    before.vertices.assign(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(segment) + 1);
    before.vertices.push_back(endBefore);
    after.vertices.push_back(startAfter);
    after.vertices.insert(after.vertices.end(), v.begin() + static_cast<std::ptrdiff_t>(segment) + 1,
                          v.end());
    return {before, after};
}

bool vanished(const Entity &piece)
{
    if (piece.type == Entity::Type::Line) return same(piece.a, piece.b);
    return std::all_of(piece.vertices.begin(), piece.vertices.end(),
                       [&](Point p) { return same(p, piece.vertices.front()); });
}

std::optional<Entity> extendFace(const Entity &piece, Point from, Point to)
{
    Entity out = piece;
    Point *end = nullptr;
    if (piece.type == Entity::Type::Line)
        end = same(out.a, from) ? &out.a : same(out.b, from) ? &out.b : nullptr;
    else if (piece.type == Entity::Type::Polyline && !piece.closed && !out.vertices.empty())
        end = same(out.vertices.front(), from)  ? &out.vertices.front()
              : same(out.vertices.back(), from) ? &out.vertices.back()
                                                : nullptr;
    if (!end) return std::nullopt;
    *end = to;
    return out;
}

std::pair<Entity, Entity> cutOutline(const Entity &outline, std::size_t s0, std::size_t s1,
                                     const Point (&cuts)[2][2])
{
    const std::vector<Point> &v = outline.vertices;
    const std::size_t n = v.size();
    // On each face, the cut nearer the start of its segment, and the other.
    const auto nearFar = [&](int f, std::size_t segment) {
        const bool firstNear = distance(v[segment], cuts[f][0]) <= distance(v[segment], cuts[f][1]);
        return std::pair{cuts[f][firstNear ? 0 : 1], cuts[f][firstNear ? 1 : 0]};
    };
    const auto [near0, far0] = nearFar(0, s0);
    const auto [near1, far1] = nearFar(1, s1);
    // From one face's far cut round to the other face's near cut.
    const auto piece = [&](Point from, std::size_t segment, std::size_t until, Point to) {
        Entity e = outline;
        markReshaped(e.origin);
        e.closed = false;
        e.vertices = {from};
        for (std::size_t k = (segment + 1) % n;; k = (k + 1) % n) {
            e.vertices.push_back(v[k]);
            if (k == until) break;
        }
        e.vertices.push_back(to);
        return e;
    };
    return {piece(far0, s0, s1, near1), piece(far1, s1, s0, near0)};
}

std::optional<Entity> joinOutline(const Entity &x, const Entity &y, const Point (&cuts)[2][2])
{
    const auto isCut = [&](Point p) {
        return same(p, cuts[0][0]) || same(p, cuts[0][1]) || same(p, cuts[1][0]) || same(p, cuts[1][1]);
    };
    for (const Entity *e : {&x, &y})
        if (e->type != Entity::Type::Polyline || e->closed || e->vertices.size() < 3 ||
            !isCut(e->vertices.front()) || !isCut(e->vertices.back()))
            return std::nullopt;
    Entity whole = x;
    whole.vertices.assign(x.vertices.begin() + 1, x.vertices.end() - 1);
    whole.vertices.insert(whole.vertices.end(), y.vertices.begin() + 1, y.vertices.end() - 1);
    whole.closed = true;
    return whole;
}

std::optional<Entity> joinFace(const Entity &before, const std::optional<Entity> &after, Point first,
                               Point second)
{
    const auto isCut = [&](Point p) { return same(p, first) || same(p, second); };
    Entity whole = before;
    if (before.type == Entity::Type::Line) {
        if (!after || after->type != Entity::Type::Line) return std::nullopt;
        const Point keep = isCut(before.b) ? before.a : before.b;
        const Point other = isCut(after->a) ? after->b : after->a;
        if (!isCut(before.a) && !isCut(before.b)) return std::nullopt;
        if (!isCut(after->a) && !isCut(after->b)) return std::nullopt;
        whole.a = keep;
        whole.b = other;
        return whole;
    }
    if (before.type != Entity::Type::Polyline || before.vertices.size() < 2) return std::nullopt;
    const std::vector<Point> &v = before.vertices;
    if (!after) {
        // A closed polyline opened at the cut: its ends are the two cuts.
        if (v.size() < 4 || !isCut(v.front()) || !isCut(v.back())) return std::nullopt;
        whole.vertices.assign(v.begin() + 1, v.end() - 1);
        whole.closed = true;
        return whole;
    }
    const std::vector<Point> &w = after->vertices;
    if (after->type != Entity::Type::Polyline || w.size() < 2 || !isCut(v.back()) || !isCut(w.front()))
        return std::nullopt;
    whole.vertices.assign(v.begin(), v.end() - 1);
    whole.vertices.insert(whole.vertices.end(), w.begin() + 1, w.end());
    return whole;
}

} // namespace cad
