#include "cad/command/Commands.h"

#include "cad/model/Wall.h"

namespace cad {

namespace {

// ID: shows the coordinates of a point and makes it the last point.
class IdCommand final : public Command
{
public:
    std::string_view prompt() const override { return "点を指定: "; }
    bool waitsForPick() const override { return true; }
    bool draws() const override { return false; }

    bool start(CommandContext &ctx) override
    {
        wallPick_ = ctx.wallPickArmed;
        ctx.wallPickArmed.reset();
        if (wallPick_) ctx.wallPicked = CommandContext::WallPicked{*wallPick_, std::nullopt};
        return true;
    }

    bool feed(const Input &in, CommandContext &ctx) override
    {
        if (in.enter()) return false;
        auto p = ctx.wantPoint(in);
        if (!p) return true;
        // A fitting's base point: on the centre line of the wall it was picked in.
        if (wallPick_ && ctx.wallOpenings) {
            if (const auto wall = findWall(ctx.wallsElsewhere ? *ctx.wallsElsewhere : ctx.drawing(), *p)) {
                p = wall->centre;
                ctx.wallPicked = CommandContext::WallPicked{*wallPick_, wall->direction};
                ctx.message("壁の中心線に合わせました (壁の向き " + fourDecimals(wall->direction) + " 度)。");
            }
        }
        ctx.lastPoint = *p;
        ctx.message("X = " + fourDecimals(p->x) + "     Y = " + fourDecimals(p->y) + "     Z = 0.0000");
        return false;
    }

private:
    std::optional<int> wallPick_;
};

} // namespace

std::unique_ptr<Command> makeIdCommand()
{
    return std::make_unique<IdCommand>();
}

} // namespace cad
