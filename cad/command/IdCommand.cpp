#include "cad/command/Commands.h"

namespace cad {

namespace {

// ID: shows the coordinates of a point and makes it the last point.
class IdCommand final : public Command
{
public:
    std::string_view prompt() const override { return "点を指定: "; }
    bool waitsForPick() const override { return true; }
    bool draws() const override { return false; }

    bool feed(const Input &in, CommandContext &ctx) override
    {
        if (in.enter()) return false;
        const auto p = ctx.wantPoint(in);
        if (!p) return true;
        ctx.lastPoint = *p;
        ctx.message("X = " + fourDecimals(p->x) + "     Y = " + fourDecimals(p->y) + "     Z = 0.0000");
        return false;
    }
};

} // namespace

std::unique_ptr<Command> makeIdCommand()
{
    return std::make_unique<IdCommand>();
}

} // namespace cad
