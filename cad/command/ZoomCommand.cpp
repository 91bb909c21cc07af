#include "cad/command/Commands.h"

namespace cad {

namespace {

// ZOOM: "e" (or "a") asks the view for the drawing's extents.
class ZoomCommand final : public Command
{
public:
    bool draws() const override { return false; }
    std::string_view prompt() const override { return "ズーム オプションを入力 [オール(A)/範囲(E)]: "; }

    bool feed(const Input &in, CommandContext &ctx) override
    {
        if (in.enter()) return false;
        if (CommandContext::keyword(in, "E") || CommandContext::keyword(in, "A")) {
            ctx.request({Request::Kind::ZoomExtents, {}});
            return false;
        }
        ctx.message("オプション キーワードが必要です。");
        return true;
    }
};

} // namespace

std::unique_ptr<Command> makeZoomCommand()
{
    return std::make_unique<ZoomCommand>();
}

} // namespace cad
