#include "cad/model/Snap.h"

#include "cad/model/Angle.h"
#include "cad/model/Geometry.h"
#include "cad/model/InputReading.h"
#include "cad/model/Names.h"
#include "cad/model/kinds/Kinds.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace cad {

namespace {

using K = SnapPoint::Kind;

// A straight piece or an arc (a circle is a full arc) of an entity. A straight piece runs over
// the parameters lo..hi of the line through a (0) and b (1): a ray's and an xline's go on.
struct Piece
{
    bool arc = false;
    Point a, b;
    Point c;
    double r = 0, start = 0, end = 0;
    bool full = false;
    double lo = 0, hi = 1;
};

// Parameters along a segment a little past its ends still count as on it: the ends of two
// lines that meet are computed, not exact.
constexpr double slack = 1e-9;

// Gathers a kind's pieces.
struct PieceList
{
    std::vector<Piece> &out;
    void segment(Point a, Point b, double lo = 0, double hi = 1)
    {
        out.push_back({false, a, b, {}, 0, 0, 0, false, lo, hi});
    }
    void arc(Point c, double r, double start, double end, bool full)
    {
        out.push_back({true, {}, {}, c, r, start, end, full});
    }
};

std::vector<Piece> pieces(const EntityView &e)
{
    std::vector<Piece> out;
    visitKind(e.type, [&](auto kind) {
        if constexpr (requires { decltype(kind)::pieces(e, PieceList{out}); })
            decltype(kind)::pieces(e, PieceList{out});
    });
    return out;
}

bool onArc(const Piece &p, Point q)
{
    return p.full || sweepPasses(p.start, p.end, angleOf(p.c, q), sweepTolerance);
}

double cross(Point u, Point v)
{
    return u.x * v.y - u.y * v.x;
}

void segmentSegment(const Piece &p, const Piece &q, bool extended, std::vector<Point> &out)
{
    const Point d1 = p.b - p.a, d2 = q.b - q.a;
    const double den = cross(d1, d2);
    if (std::abs(den) <= 1e-12 * std::hypot(d1.x, d1.y) * std::hypot(d2.x, d2.y)) return; // parallel
    const Point ac = q.a - p.a;
    const double t = cross(ac, d2) / den, u = cross(ac, d1) / den;
    if (!extended && (t < p.lo - slack || t > p.hi + slack || u < q.lo - slack || u > q.hi + slack)) return;
    out.push_back(lerp(p.a, p.b, t));
}

void segmentArc(const Piece &s, const Piece &arc, bool extended, std::vector<Point> &out)
{
    const Point d = s.b - s.a, f = s.a - arc.c;
    const double A = d.x * d.x + d.y * d.y;
    if (A == 0) return;
    const double B = 2 * (f.x * d.x + f.y * d.y), C = f.x * f.x + f.y * f.y - arc.r * arc.r;
    double disc = B * B - 4 * A * C;
    if (disc < -1e-9 * B * B) return;
    disc = std::sqrt(std::max(0.0, disc));
    const double roots[2] = {(-B - disc) / (2 * A), (-B + disc) / (2 * A)};
    for (int i = 0; i < (disc == 0 ? 1 : 2); ++i) {
        const double t = roots[i];
        const Point q = lerp(s.a, s.b, t);
        if (!extended && (t < s.lo - slack || t > s.hi + slack || !onArc(arc, q))) continue;
        out.push_back(q);
    }
}

void arcArc(const Piece &p, const Piece &q, bool extended, std::vector<Point> &out)
{
    const double d = distance(p.c, q.c);
    if (d == 0 || d > p.r + q.r + 1e-9 * d || d < std::abs(p.r - q.r) - 1e-9 * d) return;
    const double a = (p.r * p.r - q.r * q.r + d * d) / (2 * d);
    const double h = std::sqrt(std::max(0.0, p.r * p.r - a * a));
    const Point u{(q.c.x - p.c.x) / d, (q.c.y - p.c.y) / d};
    const Point m = p.c + u * a;
    const Point cands[2] = {{m.x - h * u.y, m.y + h * u.x}, {m.x + h * u.y, m.y - h * u.x}};
    for (int i = 0; i < (h == 0 ? 1 : 2); ++i)
        if (extended || (onArc(p, cands[i]) && onArc(q, cands[i]))) out.push_back(cands[i]);
}

void crossings(const Piece &p, const Piece &q, bool extended, std::vector<Point> &out)
{
    if (!p.arc && !q.arc)
        segmentSegment(p, q, extended, out);
    else if (!p.arc)
        segmentArc(p, q, extended, out);
    else if (!q.arc)
        segmentArc(q, p, extended, out);
    else
        arcArc(p, q, extended, out);
}

std::optional<Point> nearestOn(const Piece &p, Point q)
{
    if (!p.arc) {
        const Point d = p.b - p.a;
        const double len2 = d.x * d.x + d.y * d.y;
        const double t =
            len2 == 0 ? 0 : std::clamp(((q.x - p.a.x) * d.x + (q.y - p.a.y) * d.y) / len2, p.lo, p.hi);
        return lerp(p.a, p.b, t);
    }
    if (q == p.c) return polar(p.c, p.r, p.start);
    const Point on = polar(p.c, p.r, angleOf(p.c, q));
    if (onArc(p, on)) return on;
    const Point s = polar(p.c, p.r, p.start), e = polar(p.c, p.r, p.end);
    return distance(s, q) <= distance(e, q) ? s : e;
}

class Search
{
public:
    explicit Search(const SnapQuery &q) : q_(q) {}

    bool wants(K kind) const { return (q_.modes & snapBit(kind)) != 0; }

    void consider(Point p, K kind)
    {
        if (!wants(kind)) return;
        const double d = distance(q_.near, p);
        if (!(d <= q_.tolerance)) return;
        // The nearest point is always nearest of all; it only fills in for nothing else.
        std::optional<SnapPoint> &slot = kind == K::Nearest ? nearest_ : best_;
        double &slotDistance = kind == K::Nearest ? nearestDistance_ : bestDistance_;
        if (!slot || d < slotDistance || (d == slotDistance && kind < slot->kind)) {
            slot = SnapPoint{p, kind};
            slotDistance = d;
        }
    }

    // Whether anything of the box lies within reach.
    bool reaches(const Box &b) const
    {
        const double t = q_.tolerance;
        return q_.near.x >= b.min.x - t && q_.near.x <= b.max.x + t && q_.near.y >= b.min.y - t &&
               q_.near.y <= b.max.y + t;
    }

    const SnapQuery &query() const { return q_; }
    std::optional<SnapPoint> best() const { return best_ ? best_ : nearest_; }

private:
    SnapQuery q_;
    std::optional<SnapPoint> best_, nearest_;
    double bestDistance_ = 0, nearestDistance_ = 0;
};

void points(const EntityView &e, Search &s)
{
    visitKind(e.type,
              [&](auto kind) { decltype(kind)::snapPoints(e, [&s](Point p, K k) { s.consider(p, k); }); });
    if (s.wants(K::Quadrant))
        for (Point p : quadrants(e))
            s.consider(p, K::Quadrant);
    if (s.wants(K::Perpendicular) && s.query().from)
        for (Point p : perpendicularFeet(e, *s.query().from))
            s.consider(p, K::Perpendicular);
    if (s.wants(K::Nearest))
        if (const auto p = nearestPoint(e, s.query().near)) s.consider(*p, K::Nearest);
}

// Crossings are looked for among a bounded number of entities near the cursor, so that a
// crowded spot costs no more than this many pairs.
constexpr std::size_t maxCrossingCandidates = 200;

std::optional<SnapPoint> search(const SnapQuery &query, std::size_t count,
                                const std::function<Box(std::size_t)> &boxOf,
                                const std::function<EntityView(std::size_t)> &viewOf)
{
    Search s(query);
    std::vector<EntityView> near;
    for (std::size_t i = 0; i < count; ++i) {
        if (!s.reaches(boxOf(i))) continue;
        const EntityView e = viewOf(i);
        points(e, s);
        if (near.size() < maxCrossingCandidates && crosses(e.type)) near.push_back(e);
    }
    const bool real = s.wants(K::Intersection), apparent = s.wants(K::Apparent);
    if (real || apparent) {
        for (std::size_t i = 0; i < near.size(); ++i)
            for (std::size_t j = i + 1; j < near.size(); ++j) {
                if (real)
                    for (Point p : intersections(near[i], near[j]))
                        s.consider(p, K::Intersection);
                if (apparent)
                    for (Point p : intersections(near[i], near[j], true))
                        s.consider(p, K::Apparent);
            }
    }
    return s.best();
}

} // namespace

std::optional<SnapPoint::Kind> snapOverride(std::string_view word)
{
    const std::string w = upper(word);
    static const std::pair<const char *, K> words[] = {
        {"END", K::End},      {"MID", K::Mid},           {"INT", K::Intersection},
        {"APP", K::Apparent}, {"CEN", K::Centre},        {"QUA", K::Quadrant},
        {"INS", K::Insert},   {"PER", K::Perpendicular}, {"NEA", K::Nearest},
    };
    for (const auto &[name, kind] : words)
        if (w == name) return kind;
    return std::nullopt;
}

std::vector<Point> intersections(const EntityView &a, const EntityView &b, bool extended)
{
    std::vector<Point> out;
    const std::vector<Piece> pa = pieces(a), pb = pieces(b);
    for (Piece p : pa)
        for (Piece q : pb) {
            if (extended) p.full = q.full = true;
            crossings(p, q, extended, out);
        }
    return out;
}

std::optional<Point> nearestPoint(const EntityView &e, Point p)
{
    const auto own = visitKind(e.type, [&](auto kind) -> std::optional<std::optional<Point>> {
        if constexpr (requires { decltype(kind)::nearest(e, p); }) return decltype(kind)::nearest(e, p);
        return std::nullopt;
    });
    if (own) return *own;
    std::optional<Point> best;
    for (const Piece &piece : pieces(e)) {
        const auto q = nearestOn(piece, p);
        if (q && (!best || distance(*q, p) < distance(*best, p))) best = q;
    }
    return best;
}

std::vector<Point> perpendicularFeet(const EntityView &e, Point from)
{
    std::vector<Point> out;
    for (const Piece &p : pieces(e)) {
        if (!p.arc) {
            const Point d = p.b - p.a;
            const double len2 = d.x * d.x + d.y * d.y;
            if (len2 == 0) continue;
            const double t = ((from.x - p.a.x) * d.x + (from.y - p.a.y) * d.y) / len2;
            if (t >= p.lo - slack && t <= p.hi + slack) out.push_back(lerp(p.a, p.b, t));
            continue;
        }
        if (from == p.c) continue;
        const double a = angleOf(p.c, from);
        for (double angle : {a, a + 180}) {
            const Point q = polar(p.c, p.r, angle);
            if (onArc(p, q)) out.push_back(q);
        }
    }
    return out;
}

std::vector<Point> quadrants(const EntityView &e)
{
    std::vector<Point> out;
    visitKind(e.type, [&](auto kind) {
        if constexpr (requires { decltype(kind)::quadrants(e, out); }) decltype(kind)::quadrants(e, out);
    });
    return out;
}

std::optional<SnapPoint> findSnap(const Drawing &drawing, const SnapQuery &query)
{
    // The outlines rule out nearly everything without reading the entities themselves.
    const auto &outlines = drawing.outlines();
    return search(
        query, outlines.size(),
        [&outlines, &drawing](std::size_t i) {
            Box b;
            if (!drawing.visible(i)) return b; // on a layer off or frozen: nothing to snap to
            b.add({outlines[i].x0, outlines[i].y0});
            b.add({outlines[i].x1, outlines[i].y1});
            if (outlines[i].type == Entity::Type::Arc) b.add(drawing.view(i).centre); // its centre snaps too
            return b;
        },
        [&drawing](std::size_t i) { return drawing.view(i); });
}

std::optional<SnapPoint> findSnap(const std::vector<Entity> &entities, const SnapQuery &query)
{
    return search(
        query, entities.size(),
        [&entities](std::size_t i) {
            Box b = bounds(entities[i]);
            if (entities[i].type == Entity::Type::Arc) b.add(entities[i].centre);
            if (endless(entities[i].type)) b = Box{{-INFINITY, -INFINITY}, {INFINITY, INFINITY}};
            return b;
        },
        [&entities](std::size_t i) { return view(entities[i]); });
}

std::optional<SnapPoint> findSnap(const Drawing &drawing, Point near, double tolerance)
{
    return findSnap(drawing, SnapQuery{near, tolerance, runningSnaps, std::nullopt});
}

std::optional<SnapPoint> findSnap(const std::vector<Entity> &entities, Point near, double tolerance)
{
    return findSnap(entities, SnapQuery{near, tolerance, runningSnaps, std::nullopt});
}

std::optional<Point> polarPoint(Point from, Point p, double increment, double within)
{
    const double dx = p.x - from.x, dy = p.y - from.y;
    if (!(increment > 0) || (dx == 0 && dy == 0)) return std::nullopt;
    const double angle = degrees(std::atan2(dy, dx));
    const double track = std::round(angle / increment) * increment;
    if (std::abs(angle - track) > within) return std::nullopt;
    // Along the ray, as far as the cursor's own projection on it.
    // Exact along the axes, where most tracking is.
    const double r = radians(track);
    const double quarter =
        std::fmod(track, 90.0) == 0 ? std::fmod(std::fmod(track, 360.0) + 360.0, 360.0) : -1;
    const Point u = quarter == 0     ? Point{1, 0}
                    : quarter == 90  ? Point{0, 1}
                    : quarter == 180 ? Point{-1, 0}
                    : quarter == 270 ? Point{0, -1}
                                     : Point{std::cos(r), std::sin(r)};
    const double along = dx * u.x + dy * u.y;
    if (along <= 0) return std::nullopt;
    return from + u * along;
}

} // namespace cad
