#include "cad/command/Commands.h"

namespace cad {

namespace {

// LINE: a first point, then one segment per next point; Enter ends, "c" closes, "u" takes back.
// Only the first and the current point are kept: "u" finds the previous one in the segment it
// takes back, so a line of a million points costs nothing beyond its segments.
class LineCommand final : public Command
{
public:
    std::string_view prompt() const override
    {
        if (!started_) return "1 点目を指定: ";
        if (segments_ >= 2) return "次の点を指定 または [閉じる(C)/元に戻す(U)]: ";
        return "次の点を指定 または [元に戻す(U)]: ";
    }

    bool feed(const Input &in, CommandContext &ctx) override
    {
        if (in.enter()) return false;
        if (started_ && !in.picked && in.text.size() == 1) {
            if (CommandContext::keyword(in, "U")) return takeBack(ctx);
            if (segments_ >= 2 && CommandContext::keyword(in, "C")) {
                to(first_, ctx);
                return false;
            }
        }
        const auto p = ctx.wantPoint(in);
        if (!p) return true;
        if (!started_) {
            started_ = true;
            first_ = current_ = *p;
            ctx.lastPoint = *p;
            return true;
        }
        to(*p, ctx);
        return true;
    }

    std::vector<Entity> preview(Point cursor, const CommandContext &) const override
    {
        if (!started_) return {};
        Entity e;
        e.a = current_;
        e.b = cursor;
        return {e};
    }

private:
    void to(Point p, CommandContext &ctx)
    {
        ctx.drawLine(current_, p);
        ++segments_;
        current_ = p;
        ctx.lastPoint = p;
    }

    bool takeBack(CommandContext &ctx)
    {
        const auto last = segments_ > 0 ? ctx.drawing().removeLast() : std::nullopt;
        if (!last) {
            ctx.message("元に戻す線分がありません。");
            return true;
        }
        --segments_;
        current_ = last->a;
        ctx.lastPoint = current_;
        return true;
    }

    bool started_ = false;
    Point first_, current_;
    std::size_t segments_ = 0;
};

} // namespace

std::unique_ptr<Command> makeLineCommand()
{
    return std::make_unique<LineCommand>();
}

} // namespace cad
