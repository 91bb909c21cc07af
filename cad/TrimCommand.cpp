#include "cad/Commands.h"

#include "cad/Geometry.h"
#include "cad/InputReading.h"
#include "cad/Selection.h"
#include "cad/Snap.h"

#include <algorithm>
#include <cmath>

namespace cad {

namespace {

// TRIM and EXTEND: the edges first (picks; Enter takes every entity), then objects picked one
// at a time until Enter. TRIM cuts the part of a line or arc between the edges on either side
// of the pick; EXTEND takes a line's end nearer the pick on to the first edge beyond it. One
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

    bool trimAt(CommandContext &ctx, std::size_t i, Point p)
    {
        Drawing &d = ctx.drawing();
        Entity e = d.at(i);
        // A piece of a block reference or a hatch is not cut on its own.
        if ((e.type != Entity::Type::Line && e.type != Entity::Type::Arc) || partOfWhole(d, i)) return false;
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
        const auto pointAt = [&](double t) {
            return Point{e.a.x + t * (e.b.x - e.a.x), e.a.y + t * (e.b.y - e.a.y)};
        };
        Entity first = e, second = e;
        if (e.type == Entity::Type::Line) {
            if (lo) first.b = pointAt(*lo);
            if (hi) second.a = pointAt(*hi);
        } else {
            if (lo) first.endAngle = normalizedDegrees(e.startAngle + *lo);
            if (hi) second.startAngle = normalizedDegrees(e.startAngle + *hi);
        }
        if (lo && hi) {
            d.replaceAt(i, first);
            d.add(second);
        } else {
            d.replaceAt(i, lo ? first : second);
        }
        return true;
    }

    bool extendAt(CommandContext &ctx, std::size_t i, Point p)
    {
        Drawing &d = ctx.drawing();
        Entity e = d.at(i);
        if (e.type != Entity::Type::Line || e.a == e.b || partOfWhole(d, i)) return false;
        markReshaped(e.origin);
        const bool atEnd = distance(p, e.b) <= distance(p, e.a);
        const double dx = e.b.x - e.a.x, dy = e.b.y - e.a.y, len2 = dx * dx + dy * dy;
        std::optional<double> best;
        for (std::size_t k : edgesFor(d, i)) {
            const EntityView edge = d.view(k);
            for (Point q : intersections(view(e), edge, true)) {
                // The boundary itself must reach the point; only the line is extended.
                const auto onEdge = nearestPoint(edge, q);
                if (!onEdge || distance(*onEdge, q) > 1e-6 * (1 + std::abs(q.x) + std::abs(q.y))) continue;
                const double t = ((q.x - e.a.x) * dx + (q.y - e.a.y) * dy) / len2;
                const double beyond = atEnd ? t - 1 : -t;
                if (beyond > 1e-9 && (!best || beyond < *best)) best = beyond;
            }
        }
        if (!best) return false;
        if (atEnd)
            e.b = {e.a.x + (1 + *best) * dx, e.a.y + (1 + *best) * dy};
        else
            e.a = {e.a.x - *best * dx, e.a.y - *best * dy};
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
