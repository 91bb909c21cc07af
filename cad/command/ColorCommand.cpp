#include "cad/command/Commands.h"

#include "cad/model/InputReading.h"

namespace cad {

namespace {

// DDCOLOR: the program shows its colour dialog and answers with chooseColor(); typed at the
// command line, an index 0 to 256 or BYLAYER / BYBLOCK also answers. Enter keeps the colour.
class ColorCommand final : public Command
{
public:
    std::string_view prompt() const override
    {
        return keptPrompt("色を選択 [BYLAYER/BYBLOCK/色番号 1-255] <" + current_ + ">: ");
    }
    bool waitsForColor() const override { return true; }
    bool draws() const override { return false; }

    bool start(CommandContext &ctx) override
    {
        current_ = name(ctx.color);
        return true;
    }

    bool feed(const Input &in, CommandContext &ctx) override
    {
        if (in.enter()) return false;
        if (CommandContext::keyword(in, "BYLAYER")) {
            ctx.color = colorByLayer;
            return false;
        }
        if (CommandContext::keyword(in, "BYBLOCK")) {
            ctx.color = 0;
            return false;
        }
        const auto v = in.picked ? std::nullopt : readNumber(in.text);
        if (!v || *v < 0 || *v > 256 || *v != static_cast<int>(*v)) {
            ctx.message("色番号は 1 から 255 まで、または BYLAYER です。");
            return true;
        }
        ctx.color = static_cast<int>(*v);
        return false;
    }

    static std::string name(int color)
    {
        if (color == colorByLayer) return "BYLAYER";
        if (color == 0) return "BYBLOCK";
        return std::to_string(color);
    }

private:
    std::string current_;
};

} // namespace

std::unique_ptr<Command> makeColorCommand()
{
    return std::make_unique<ColorCommand>();
}

} // namespace cad
