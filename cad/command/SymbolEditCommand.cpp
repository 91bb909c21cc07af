#include "cad/command/Commands.h"

#include <algorithm>

namespace cad {

namespace {

// SYMEDIT: the symbol picked (or the one selected before) goes back to the form that drew it,
// which the program around the interpreter opens with the symbol's inputs.
class SymbolEditCommand final : public Command
{
public:
    bool draws() const override { return false; }
    std::string_view prompt() const override { return "再編集する図形を選択: "; }

    bool start(CommandContext &ctx) override
    {
        const std::vector<std::size_t> chosen = std::exchange(ctx.selection, {});
        if (chosen.empty()) return true;
        const std::uint32_t symbol = ctx.drawing().symbolOf(chosen.front());
        const bool one = std::all_of(chosen.begin(), chosen.end(),
                                     [&](std::size_t i) { return ctx.drawing().symbolOf(i) == symbol; });
        if (symbol != 0 && one) return ask(ctx, symbol);
        ctx.message(one ? notASymbol : "図形を 1 つだけ選択して下さい。");
        return true;
    }

    bool feed(const Input &in, CommandContext &ctx) override
    {
        if (in.enter()) return false;
        const auto hit = ctx.wantEntity(in);
        if (!hit) return true;
        if (const std::uint32_t symbol = ctx.drawing().symbolOf(*hit)) return ask(ctx, symbol);
        ctx.message(notASymbol);
        return true;
    }

private:
    static constexpr const char *notASymbol = "Quendra_LT で作図した図形ではありません。";

    static bool ask(CommandContext &ctx, std::uint32_t symbol)
    {
        ctx.request({Request::Kind::EditSymbol, std::to_string(symbol)});
        return false;
    }
};

} // namespace

std::unique_ptr<Command> makeSymbolEditCommand()
{
    return std::make_unique<SymbolEditCommand>();
}

} // namespace cad
