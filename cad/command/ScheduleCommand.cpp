#include "cad/command/Commands.h"
#include "cad/model/Schedule.h"

namespace cad {

namespace {

// SCHEDULE: lists the fitting schedule (建具表) in the history, then draws it as a table at a
// point, or not at Enter.
class ScheduleCommand final : public Command
{
public:
    std::string_view prompt() const override { return "建具表の左上の点を指定 <作図しない>: "; }

    bool start(CommandContext &ctx) override
    {
        rows_ = fittingSchedule(ctx.drawing());
        if (rows_.empty()) {
            ctx.message("図面に建具の図形はありません。");
            return false;
        }
        ctx.message("建具表 (" + std::to_string(rows_.size()) + " 行):");
        ctx.message(joined(scheduleHeader()));
        for (const ScheduleRow &row : rows_)
            ctx.message(joined(cells(row)));
        return true;
    }

    bool feed(const Input &in, CommandContext &ctx) override
    {
        if (in.enter()) return false;
        const auto p = ctx.wantPoint(in);
        if (!p) return true;
        for (const Entity &e : scheduleTable(rows_, *p))
            ctx.draw(e);
        ctx.lastPoint = *p;
        return false;
    }

    std::vector<Entity> preview(Point cursor, const CommandContext &) const override
    {
        return scheduleTable(rows_, cursor);
    }

private:
    static std::string joined(const std::vector<std::string> &cells)
    {
        std::string out;
        for (const std::string &c : cells)
            out += (out.empty() ? "" : "  ") + (c.empty() ? "-" : c);
        return out;
    }

    std::vector<ScheduleRow> rows_;
};

} // namespace

std::unique_ptr<Command> makeScheduleCommand()
{
    return std::make_unique<ScheduleCommand>();
}

} // namespace cad
