#include "cad/command/Commands.h"

#include "cad/model/Geometry.h"
#include "cad/model/InputReading.h"
#include "cad/model/Selection.h"
#include "cad/model/Snap.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace cad {

namespace {

// TRIM and EXTEND: the edges first (picks; Enter takes every entity), then objects picked one
// at a time until Enter. TRIM cuts the part of a line, arc, circle or polyline between the
// edges on either side of the pick (a circle becomes an arc, a closed polyline opens there);
// EXTEND takes the end of a line or arc nearer the pick on to the first edge beyond it. One
// undo step per command.
class TrimCommand final : public Command
{
public:
    explicit TrimCommand(bool extend) : extend_(extend) {}

    std::string_view prompt() const override
    {
        if (choosingEdges_)
            return extend_ ? "境界エッジを選択 <すべて選択>: " : "切り取りエッジを選択 <すべて選択>: ";
        return extend_ ? "延長するオブジェクトを選択 または [終了(E)] <終了>: "
                       : "トリムするオブジェクトを選択 または [終了(E)] <終了>: ";
    }

    bool feed(const Input &in, CommandContext &ctx) override
    {
        if (choosingEdges_) {
            if (in.enter()) {
                choosingEdges_ = false;
                return true;
            }
            const auto p = ctx.wantPoint(in);
            if (!p) return true;
            if (const auto hit = pickEntity(ctx.drawing(), *p, ctx.pickTolerance)) edges_.push_back(*hit);
            ctx.message(std::to_string(edges_.size()) + " 個を選択");
            return true;
        }
        if (in.enter() || CommandContext::keyword(in, "E")) return false;
        Point at;
        const auto hit = ctx.wantEntity(in, &at);
        if (!hit) return true;
        if (!(extend_ ? extendAt(ctx, *hit, at) : trimAt(ctx, *hit, at)))
            ctx.message(extend_ ? "延長できる境界がありません。" : "交差するエッジがありません。");
        return true;
    }

private:
    std::vector<std::size_t> edgesFor(const Drawing &d, std::size_t self) const
    {
        std::vector<std::size_t> out;
        if (edges_.empty()) {
            for (std::size_t i = 0; i < d.size(); ++i)
                if (i != self) out.push_back(i);
        } else {
            for (std::size_t i : edges_)
                if (i != self && i < d.size()) out.push_back(i);
        }
        return out;
    }

    // Where the edges cut the entity: as parameters 0..1 along a line, or degrees past an
    // arc's start.
    std::vector<double> cuts(const Drawing &d, std::size_t i, const Entity &e) const
    {
        std::vector<double> out;
        const double span = normalizedDegrees(e.endAngle - e.startAngle);
        for (std::size_t k : edgesFor(d, i))
            for (Point q : intersections(view(e), d.view(k))) {
                double t;
                if (e.type == Entity::Type::Line) {
                    const double dx = e.b.x - e.a.x, dy = e.b.y - e.a.y;
                    t = ((q.x - e.a.x) * dx + (q.y - e.a.y) * dy) / (dx * dx + dy * dy);
                    if (t <= 1e-9 || t >= 1 - 1e-9) continue;
                } else {
                    t = normalizedDegrees(angleOf(e.centre, q) - e.startAngle);
                    if (t <= 1e-7 || t >= span - 1e-7) continue;
                }
                out.push_back(t);
            }
        return out;
    }

    // What is left of a cut entity: the part before the cuts, the part after, or both.
    static void keepParts(Drawing &d, std::size_t i, const Entity *before, const Entity *after)
    {
        d.replaceAt(i, before ? *before : *after);
        if (before && after) d.add(*after);
    }

    // Where the edges cut a polyline, as segment index plus the fraction along it.
    std::vector<double> polylineCuts(const Drawing &d, std::size_t i, const Entity &e) const
    {
        std::vector<double> out;
        const std::size_t n = e.vertices.size(), segments = e.closed ? n : n - 1;
        for (std::size_t k = 0; k < segments; ++k) {
            Entity seg;
            seg.a = e.vertices[k];
            seg.b = e.vertices[(k + 1) % n];
            const double dx = seg.b.x - seg.a.x, dy = seg.b.y - seg.a.y, len2 = dx * dx + dy * dy;
            if (len2 == 0) continue;
            for (std::size_t j : edgesFor(d, i))
                for (Point q : intersections(view(seg), d.view(j))) {
                    const double t = ((q.x - seg.a.x) * dx + (q.y - seg.a.y) * dy) / len2;
                    out.push_back(static_cast<double>(k) + std::clamp(t, 0.0, 1.0));
                }
        }
        std::sort(out.begin(), out.end());
        return out;
    }

    // A polyline loses the stretch between the cuts on either side of the pick: an open one its
    // ends keep what is outside the cuts, a closed one opens there.
    static bool trimPolyline(Drawing &d, std::size_t i, Entity e, Point p, const std::vector<double> &cuts)
    {
        const std::size_t n = e.vertices.size(), segments = e.closed ? n : n - 1;
        const auto pointAt = [&](double t) {
            const auto k = std::min(static_cast<std::size_t>(t), segments - 1);
            const Point a = e.vertices[k], b = e.vertices[(k + 1) % n];
            const double f = t - static_cast<double>(k);
            return lerp(a, b, f);
        };
        double at = 0, best = INFINITY;
        for (std::size_t k = 0; k < segments; ++k) {
            Entity seg;
            seg.a = e.vertices[k];
            seg.b = e.vertices[(k + 1) % n];
            const double dx = seg.b.x - seg.a.x, dy = seg.b.y - seg.a.y, len2 = dx * dx + dy * dy;
            const double t =
                len2 > 0 ? std::clamp(((p.x - seg.a.x) * dx + (p.y - seg.a.y) * dy) / len2, 0.0, 1.0) : 0;
            const Point q = lerp(seg.a, seg.b, t);
            if (distance(p, q) < best) best = distance(p, q), at = static_cast<double>(k) + t;
        }
        std::optional<double> lo, hi;
        for (double t : cuts) {
            if (t < at - 1e-9) lo = t;
            if (t > at + 1e-9 && !hi) hi = t;
        }
        // The vertices strictly between two parameters, going forward (round a closed one).
        const auto between = [&](double from, double to, std::vector<Point> &out) {
            const double end = to < from ? to + static_cast<double>(segments) : to;
            for (auto k = static_cast<std::size_t>(std::floor(from)) + 1; static_cast<double>(k) < end; ++k)
                out.push_back(e.vertices[k % n]);
        };
        Entity first = e, second = e;
        first.closed = second.closed = false;
        first.vertices.clear();
        second.vertices.clear();
        markReshaped(first.origin);
        markReshaped(second.origin);
        if (e.closed) {
            if (cuts.size() < 2) return false;
            if (!lo) lo = cuts.back();
            if (!hi) hi = cuts.front();
            first.vertices.push_back(pointAt(*hi));
            between(*hi, *lo, first.vertices);
            first.vertices.push_back(pointAt(*lo));
            d.replaceAt(i, first);
            return true;
        }
        if (!lo && !hi) return false;
        if (lo) {
            first.vertices.push_back(e.vertices.front());
            between(0, *lo, first.vertices);
            first.vertices.push_back(pointAt(*lo));
        }
        if (hi) {
            second.vertices.push_back(pointAt(*hi));
            between(*hi, static_cast<double>(segments), second.vertices);
            second.vertices.push_back(e.vertices.back());
        }
        keepParts(d, i, lo ? &first : nullptr, hi ? &second : nullptr);
        return true;
    }

    // A file's object is cut in its own groups, never replaced by new ones: a kind the file
    // cannot write so (a curve-fitted or 3D polyline) is refused.
    bool refused(CommandContext &ctx, std::size_t i) const
    {
        const std::string kind = ctx.drawing().cutRefused(ctx.drawing().view(i));
        if (kind.empty()) return false;
        ctx.message(fileObjectRefused(kind, extend_ ? "延長" : "トリム"));
        return true;
    }

    bool trimAt(CommandContext &ctx, std::size_t i, Point p)
    {
        Drawing &d = ctx.drawing();
        Entity e = d.at(i);
        // A piece of a block reference or a hatch is not cut on its own.
        if (partOfWhole(d, i)) return false;
        if (refused(ctx, i)) return true;
        if (e.type == Entity::Type::Polyline && e.vertices.size() >= 2)
            return trimPolyline(d, i, e, p, polylineCuts(d, i, e));
        if (e.type == Entity::Type::Circle) {
            // A circle cut twice or more loses the arc round the pick and is an arc from then on.
            std::vector<double> cuts;
            for (std::size_t k : edgesFor(d, i))
                for (Point q : intersections(view(e), d.view(k)))
                    cuts.push_back(normalizedDegrees(angleOf(e.centre, q)));
            if (cuts.size() < 2) return false;
            const double at = normalizedDegrees(angleOf(e.centre, p));
            std::optional<double> before, after;
            for (double c : cuts) {
                const double back = normalizedDegrees(at - c), ahead = normalizedDegrees(c - at);
                if (back > 1e-7 && (!before || back < normalizedDegrees(at - *before))) before = c;
                if (ahead > 1e-7 && (!after || ahead < normalizedDegrees(*after - at))) after = c;
            }
            if (!before || !after || *before == *after) return false;
            e.type = Entity::Type::Arc;
            e.startAngle = *after;
            e.endAngle = *before;
            markReshaped(e.origin);
            d.replaceAt(i, e);
            return true;
        }
        if (e.type != Entity::Type::Line && e.type != Entity::Type::Arc) return false;
        markReshaped(e.origin);
        double at;
        if (e.type == Entity::Type::Line) {
            const double dx = e.b.x - e.a.x, dy = e.b.y - e.a.y;
            at = ((p.x - e.a.x) * dx + (p.y - e.a.y) * dy) / (dx * dx + dy * dy);
        } else {
            at = normalizedDegrees(angleOf(e.centre, p) - e.startAngle);
        }
        std::optional<double> lo, hi;
        for (double t : cuts(d, i, e)) {
            if (t < at && (!lo || t > *lo)) lo = t;
            if (t > at && (!hi || t < *hi)) hi = t;
        }
        if (!lo && !hi) return false;
        const auto pointAt = [&](double t) { return lerp(e.a, e.b, t); };
        Entity first = e, second = e;
        if (e.type == Entity::Type::Line) {
            if (lo) first.b = pointAt(*lo);
            if (hi) second.a = pointAt(*hi);
        } else {
            if (lo) first.endAngle = normalizedDegrees(e.startAngle + *lo);
            if (hi) second.startAngle = normalizedDegrees(e.startAngle + *hi);
        }
        keepParts(d, i, lo ? &first : nullptr, hi ? &second : nullptr);
        return true;
    }

    bool extendAt(CommandContext &ctx, std::size_t i, Point p)
    {
        Drawing &d = ctx.drawing();
        Entity e = d.at(i);
        if (partOfWhole(d, i)) return false;
        if (refused(ctx, i)) return true;
        if (e.type == Entity::Type::Arc) return extendArc(d, i, e, p);
        if (e.type != Entity::Type::Line || e.a == e.b) return false;
        markReshaped(e.origin);
        const bool atEnd = distance(p, e.b) <= distance(p, e.a);
        const double dx = e.b.x - e.a.x, dy = e.b.y - e.a.y, len2 = dx * dx + dy * dy;
        const std::optional<double> best = nearestOnEdges(d, i, e, [&](Point q) -> std::optional<double> {
            const double t = ((q.x - e.a.x) * dx + (q.y - e.a.y) * dy) / len2;
            const double beyond = atEnd ? t - 1 : -t;
            if (beyond > 1e-9) return beyond;
            return std::nullopt;
        });
        if (!best) return false;
        if (atEnd)
            e.b = {e.a.x + (1 + *best) * dx, e.a.y + (1 + *best) * dy};
        else
            e.a = {e.a.x - *best * dx, e.a.y - *best * dy};
        d.replaceAt(i, e);
        return true;
    }

    // The least of `beyond` over the points where `e` (entity i), run on, meets an edge; a point
    // counts only where the edge itself reaches it, and where `beyond` gives a value.
    std::optional<double> nearestOnEdges(const Drawing &d, std::size_t i, const Entity &e,
                                         const std::function<std::optional<double>(Point)> &beyond) const
    {
        std::optional<double> best;
        for (std::size_t k : edgesFor(d, i)) {
            const EntityView edge = d.view(k);
            for (Point q : intersections(view(e), edge, true)) {
                const auto onEdge = nearestPoint(edge, q);
                if (!onEdge || distance(*onEdge, q) > 1e-6 * (1 + std::abs(q.x) + std::abs(q.y))) continue;
                const std::optional<double> b = beyond(q);
                if (b && (!best || *b < *best)) best = b;
            }
        }
        return best;
    }

    // An arc's end nearer the pick runs on round its circle to the first edge it meets.
    bool extendArc(Drawing &d, std::size_t i, Entity e, Point p)
    {
        const double span = normalizedDegrees(e.endAngle - e.startAngle);
        const bool atEnd = distance(p, polar(e.centre, e.radius, e.endAngle)) <=
                           distance(p, polar(e.centre, e.radius, e.startAngle));
        const std::optional<double> best = nearestOnEdges(d, i, e, [&](Point q) -> std::optional<double> {
            const double a = angleOf(e.centre, q);
            const double beyond = normalizedDegrees(atEnd ? a - e.endAngle : e.startAngle - a);
            // Past the arc's end and short of coming round to its other end.
            if (beyond > 1e-7 && beyond < 360 - span - 1e-7) return beyond;
            return std::nullopt;
        });
        if (!best) return false;
        if (atEnd)
            e.endAngle = normalizedDegrees(e.endAngle + *best);
        else
            e.startAngle = normalizedDegrees(e.startAngle - *best);
        markReshaped(e.origin);
        d.replaceAt(i, e);
        return true;
    }

    bool extend_;
    bool choosingEdges_ = true;
    std::vector<std::size_t> edges_;
};

} // namespace

std::unique_ptr<Command> makeTrimCommand()
{
    return std::make_unique<TrimCommand>(false);
}

std::unique_ptr<Command> makeExtendCommand()
{
    return std::make_unique<TrimCommand>(true);
}

} // namespace cad
