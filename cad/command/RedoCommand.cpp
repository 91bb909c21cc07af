#include "cad/command/Commands.h"

namespace cad {

namespace {

// REDO restores what the last U took back.
class RedoCommand final : public Command
{
public:
    bool draws() const override { return false; }
    std::string_view prompt() const override { return {}; }
    bool start(CommandContext &ctx) override
    {
        const bool any = ctx.drawing().canRedo();
        const std::string name = ctx.drawing().redo();
        ctx.message(any ? "やり直し: " + (name.empty() ? std::string("図形") : name)
                        : "やり直す操作はありません。");
        return false;
    }
    bool feed(const Input &, CommandContext &) override { return false; }
};

} // namespace

std::unique_ptr<Command> makeRedoCommand()
{
    return std::make_unique<RedoCommand>();
}

} // namespace cad
