#include "cad/command/Commands.h"

#include "cad/model/InputReading.h"

#include <algorithm>
#include <cmath>

namespace cad {

namespace {

void undoOnce(CommandContext &ctx)
{
    const bool any = ctx.drawing().canUndo();
    const std::string name = ctx.drawing().undo();
    ctx.message(any ? "元に戻す: " + (name.empty() ? std::string("図形") : name)
                    : "元に戻す操作はありません。");
}

// U takes back the last command; UNDO asks how many.
class UndoCommand final : public Command
{
public:
    explicit UndoCommand(bool askCount) : askCount_(askCount) {}

    bool draws() const override { return false; }
    std::string_view prompt() const override { return "元に戻す操作の数を入力 <1>: "; }

    bool start(CommandContext &ctx) override
    {
        if (askCount_) return true;
        undoOnce(ctx);
        return false;
    }

    bool feed(const Input &in, CommandContext &ctx) override
    {
        const auto n =
            in.enter() ? std::optional<double>(1) : (in.picked ? std::nullopt : readNumber(in.text));
        if (!n || *n < 1 || *n != std::floor(*n)) {
            ctx.message("1 以上の整数を入力して下さい。");
            return true;
        }
        const auto count = static_cast<long long>(std::min(*n, 1e9));
        for (long long i = 0; i < count && ctx.drawing().canUndo(); ++i)
            undoOnce(ctx);
        return false;
    }

private:
    bool askCount_;
};

} // namespace

std::unique_ptr<Command> makeUndoCommand(bool askCount)
{
    return std::make_unique<UndoCommand>(askCount);
}

} // namespace cad
