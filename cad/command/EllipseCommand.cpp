#include "cad/command/Commands.h"

#include "cad/model/Geometry.h"
#include "cad/model/InputReading.h"

#include <cmath>

namespace cad {

namespace {

// ELLIPSE: "c", the centre, the end of the first axis, then the other half-axis as a distance or
// as a point whose distance from the first axis it is; or both ends of the first axis first.
class EllipseCommand final : public Command
{
public:
    std::string_view prompt() const override
    {
        switch (state_) {
        case State::First:
            return "楕円の軸の 1 点目を指定 または [中心(C)]: ";
        case State::OtherEnd:
            return "軸のもう一方の端点を指定: ";
        case State::Centre:
            return "楕円の中心を指定: ";
        case State::AxisEnd:
            return "軸の端点を指定: ";
        case State::Other:
            return "もう一方の軸の距離を指定: ";
        }
        return {};
    }

    bool feed(const Input &in, CommandContext &ctx) override
    {
        if (in.enter()) return false;
        if (state_ == State::First && CommandContext::keyword(in, "C")) {
            state_ = State::Centre;
            return true;
        }
        if (state_ == State::Other) return feedOther(in, ctx);
        const auto p = ctx.wantPoint(in);
        if (!p) return true;
        ctx.lastPoint = *p;
        return feedPoint(*p, ctx);
    }

    std::vector<Entity> preview(Point cursor, const CommandContext &) const override
    {
        if (state_ != State::Other) return {};
        if (const auto e = ellipse(halfAxisTo(cursor))) return {*e};
        return {};
    }

private:
    enum class State { First, OtherEnd, Centre, AxisEnd, Other };

    bool feedPoint(Point p, CommandContext &ctx)
    {
        switch (state_) {
        case State::First:
            end1_ = p;
            state_ = State::OtherEnd;
            return true;
        case State::OtherEnd:
            return axis({(end1_.x + p.x) / 2, (end1_.y + p.y) / 2}, p, ctx);
        case State::Centre:
            centre_ = p;
            state_ = State::AxisEnd;
            return true;
        case State::AxisEnd:
            return axis(centre_, p, ctx);
        case State::Other:
            break;
        }
        return false;
    }

    bool axis(Point centre, Point end, CommandContext &ctx)
    {
        if (end == centre) {
            ctx.message("軸の長さがゼロです。");
            return true;
        }
        centre_ = centre;
        axis_ = {end.x - centre.x, end.y - centre.y};
        state_ = State::Other;
        return true;
    }

    double halfAxisTo(Point p) const
    {
        const double len = std::hypot(axis_.x, axis_.y);
        return std::fabs(axis_.x * (p.y - centre_.y) - axis_.y * (p.x - centre_.x)) / len;
    }

    bool feedOther(const Input &in, CommandContext &ctx)
    {
        std::optional<double> half;
        if (const auto v = in.picked ? std::nullopt : readNumber(in.text))
            half = *v;
        else if (const auto p = ctx.point(in)) {
            half = halfAxisTo(*p);
            ctx.lastPoint = *p;
        }
        if (!half) {
            ctx.message(messages::distanceNeeded);
            return true;
        }
        const auto e = ellipse(*half);
        if (!e) {
            ctx.message("値はゼロより大きくなければなりません。");
            return true;
        }
        ctx.draw(*e);
        return false;
    }

    // The entity keeps the longer axis as its major axis, so that the ratio is at most 1.
    std::optional<Entity> ellipse(double half) const
    {
        const double len = std::hypot(axis_.x, axis_.y);
        if (!(half > 0) || !isSane(half) || !(len > 0)) return std::nullopt;
        Entity e;
        e.type = Entity::Type::Ellipse;
        e.centre = centre_;
        if (half <= len) {
            e.majorAxis = axis_;
            e.ratio = half / len;
        } else {
            e.majorAxis = {-axis_.y / len * half, axis_.x / len * half};
            e.ratio = len / half;
        }
        return e;
    }

    State state_ = State::First;
    Point end1_, centre_, axis_;
};

} // namespace

std::unique_ptr<Command> makeEllipseCommand()
{
    return std::make_unique<EllipseCommand>();
}

} // namespace cad
