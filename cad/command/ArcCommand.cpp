#include "cad/command/Commands.h"

#include "cad/model/Geometry.h"

namespace cad {

namespace {

// ARC, by "c" (centre, start, end; start and end count from the centre, the arc runs
// counter-clockwise, the end point becomes the last point) or by three points on it.
class ArcCommand final : public Command
{
public:
    std::string_view prompt() const override
    {
        switch (state_) {
        case State::First:
            return "円弧の始点を指定 または [中心(C)]: ";
        case State::Centre:
            return "円弧の中心点を指定: ";
        case State::CentreStart:
            return "円弧の始点を指定: ";
        case State::CentreEnd:
            return "円弧の終点を指定: ";
        case State::Second:
            return "円弧の 2 点目を指定: ";
        case State::Third:
            return "円弧の終点を指定: ";
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
        const auto p = state_ == State::CentreStart || state_ == State::CentreEnd
                           ? ctx.wantPointFrom(in, centre_)
                           : ctx.wantPoint(in);
        if (!p) return true;
        return feedPoint(*p, ctx);
    }

    std::vector<Entity> preview(Point cursor, const CommandContext &) const override
    {
        if (state_ != State::CentreEnd) return {};
        return {arc(cursor)};
    }

private:
    enum class State { First, Centre, CentreStart, CentreEnd, Second, Third };

    bool feedPoint(Point p, CommandContext &ctx)
    {
        switch (state_) {
        case State::Centre:
            centre_ = p;
            ctx.lastPoint = p;
            state_ = State::CentreStart;
            return true;
        case State::CentreStart:
            if (p == centre_) {
                ctx.message("円弧の始点が中心と一致しています。");
                return true;
            }
            start_ = p;
            state_ = State::CentreEnd;
            return true;
        case State::CentreEnd:
            if (p == centre_) {
                ctx.message("円弧の終点が中心と一致しています。");
                return true;
            }
            ctx.draw(arc(p));
            ctx.lastPoint = p;
            return false;
        case State::First:
            start_ = p;
            ctx.lastPoint = p;
            state_ = State::Second;
            return true;
        case State::Second:
            second_ = p;
            ctx.lastPoint = p;
            state_ = State::Third;
            return true;
        case State::Third:
            return throughThree(p, ctx);
        }
        return false;
    }

    Entity arc(Point end) const
    {
        Entity e;
        e.type = Entity::Type::Arc;
        e.centre = centre_;
        e.radius = distance(centre_, start_);
        e.startAngle = angleOf(centre_, start_);
        e.endAngle = angleOf(centre_, end);
        return e;
    }

    bool throughThree(Point end, CommandContext &ctx)
    {
        const auto c = circumcentre(start_, second_, end);
        if (!c) {
            ctx.message("3 点が一直線上にあるため円弧を作成できません。");
            return true;
        }
        centre_ = *c;
        Entity e = arc(end);
        const double turn =
            (second_.x - start_.x) * (end.y - second_.y) - (second_.y - start_.y) * (end.x - second_.x);
        if (turn < 0) std::swap(e.startAngle, e.endAngle);
        ctx.draw(std::move(e));
        ctx.lastPoint = end;
        return false;
    }

    State state_ = State::First;
    Point centre_, start_, second_;
};

} // namespace

std::unique_ptr<Command> makeArcCommand()
{
    return std::make_unique<ArcCommand>();
}

} // namespace cad
