#include "Commands.h"

#include <vector>

namespace cad {

namespace {

// LINE: a first point, then one segment per next point; Enter ends, "c" closes, "u" takes back.
class LineCommand final : public Command
{
public:
    std::string prompt() const override
    {
        if (points_.empty())
            return "1 点目を指定: ";
        if (points_.size() >= 3)
            return "次の点を指定 または [閉じる(C)/元に戻す(U)]: ";
        return "次の点を指定 または [元に戻す(U)]: ";
    }

    bool feed(const Input &in, CommandContext &ctx) override
    {
        if (in.enter())
            return false;
        if (!points_.empty() && CommandContext::keyword(in, "U"))
            return takeBack(ctx);
        if (points_.size() >= 3 && CommandContext::keyword(in, "C")) {
            to(points_.front(), ctx);
            return false;
        }
        const auto p = ctx.point(in);
        if (!p) {
            ctx.message(say::pointNeeded);
            return true;
        }
        if (points_.empty()) {
            points_.push_back(*p);
            ctx.lastPoint = *p;
            return true;
        }
        to(*p, ctx);
        return true;
    }

    std::vector<Entity> preview(Point cursor, const CommandContext &) const override
    {
        if (points_.empty())
            return {};
        Entity e;
        e.a = points_.back();
        e.b = cursor;
        return {e};
    }

private:
    void to(Point p, CommandContext &ctx)
    {
        Entity e;
        e.type = Entity::Type::Line;
        e.a = points_.back();
        e.b = p;
        ctx.draw(std::move(e));
        points_.push_back(p);
        ctx.lastPoint = p;
    }

    bool takeBack(CommandContext &ctx)
    {
        if (points_.size() == 1) {
            ctx.message("元に戻す線分がありません。");
            return true;
        }
        ctx.drawing().removeLast();
        points_.pop_back();
        ctx.lastPoint = points_.back();
        return true;
    }

    std::vector<Point> points_;
};

} // namespace

std::unique_ptr<Command> makeLineCommand()
{
    return std::make_unique<LineCommand>();
}

} // namespace cad
