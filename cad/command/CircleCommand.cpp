#include "cad/command/Commands.h"

#include "cad/model/Geometry.h"
#include "cad/model/InputReading.h"

namespace cad {

namespace {

// CIRCLE: a centre and a radius (a number or a point on the circle), "d" for a diameter; or
// "2p" and "3p" by points on the circle.
class CircleCommand final : public Command
{
public:
    std::string_view prompt() const override
    {
        switch (state_) {
        case State::Centre:
            return "円の中心点を指定 または [3 点(3P)/2 点(2P)]: ";
        case State::Radius:
            return keptPrompt("円の半径を指定 または [直径(D)]" + shownDefault(radius_) + ": ");
        case State::Diameter:
            return keptPrompt("円の直径を指定" + shownDefault(radius_ * 2) + ": ");
        case State::Through:
            return keptPrompt("円周上の " + std::to_string(points_.size() + 1) + " 点目を指定: ");
        }
        return {};
    }

    bool start(CommandContext &ctx) override
    {
        radius_ = ctx.circleRadius;
        return true;
    }

    bool feed(const Input &in, CommandContext &ctx) override
    {
        switch (state_) {
        case State::Centre:
            return feedCentre(in, ctx);
        case State::Radius:
            return feedRadius(in, ctx, false);
        case State::Diameter:
            return feedRadius(in, ctx, true);
        case State::Through:
            return feedThrough(in, ctx);
        }
        return false;
    }

    std::vector<Entity> preview(Point cursor, const CommandContext &) const override
    {
        if (state_ != State::Radius) return {};
        return {circle(centre_, distance(centre_, cursor))};
    }

private:
    enum class State { Centre, Radius, Diameter, Through };

    static std::string shownDefault(double r) { return r > 0 ? " <" + fourDecimals(r) + ">" : std::string(); }

    static Entity circle(Point c, double r)
    {
        Entity e;
        e.type = Entity::Type::Circle;
        e.centre = c;
        e.radius = r;
        return e;
    }

    bool feedCentre(const Input &in, CommandContext &ctx)
    {
        if (in.enter()) return false;
        if (CommandContext::keyword(in, "2P") || CommandContext::keyword(in, "3P")) {
            needed_ = CommandContext::keyword(in, "2P") ? 2 : 3;
            state_ = State::Through;
            return true;
        }
        const auto p = ctx.wantPoint(in);
        if (!p) return true;
        centre_ = *p;
        ctx.lastPoint = *p;
        state_ = State::Radius;
        return true;
    }

    bool feedRadius(const Input &in, CommandContext &ctx, bool diameter)
    {
        if (!diameter && CommandContext::keyword(in, "D")) {
            state_ = State::Diameter;
            return true;
        }
        std::optional<double> r;
        if (in.enter() && radius_ > 0)
            r = diameter ? radius_ * 2 : radius_;
        else if (const auto v = in.picked ? std::nullopt : readNumber(in.text))
            r = *v;
        else if (const auto p = ctx.pointFrom(in, centre_)) {
            r = distance(centre_, *p);
            ctx.lastPoint = *p;
        }
        if (r && diameter) *r /= 2;
        if (!r || !(*r > 0) || !isSane(*r)) {
            ctx.message(r ? "値はゼロより大きくなければなりません。" : messages::distanceNeeded);
            return true;
        }
        ctx.circleRadius = *r;
        ctx.draw(circle(centre_, *r));
        return false;
    }

    bool feedThrough(const Input &in, CommandContext &ctx)
    {
        if (in.enter()) return false;
        const auto p = ctx.wantPoint(in);
        if (!p) return true;
        points_.push_back(*p);
        ctx.lastPoint = *p;
        if (static_cast<int>(points_.size()) < needed_) return true;
        if (needed_ == 2) {
            const Point c{(points_[0].x + points_[1].x) / 2, (points_[0].y + points_[1].y) / 2};
            return drawThrough(c, ctx);
        }
        const auto c = circumcentre(points_[0], points_[1], points_[2]);
        if (!c) {
            ctx.message("3 点が一直線上にあるため円を作成できません。");
            points_.pop_back();
            return true;
        }
        return drawThrough(*c, ctx);
    }

    bool drawThrough(Point c, CommandContext &ctx)
    {
        const double r = distance(c, points_.front());
        if (r <= 0) {
            ctx.message("値はゼロより大きくなければなりません。");
            points_.pop_back();
            return true;
        }
        ctx.circleRadius = r;
        ctx.draw(circle(c, r));
        return false;
    }

    State state_ = State::Centre;
    Point centre_;
    double radius_ = 0;
    int needed_ = 0;
    std::vector<Point> points_;
};

} // namespace

std::unique_ptr<Command> makeCircleCommand()
{
    return std::make_unique<CircleCommand>();
}

} // namespace cad
