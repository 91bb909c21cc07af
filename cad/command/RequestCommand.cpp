#include "cad/command/Commands.h"

namespace cad {

namespace {

// EXIT, SAVE, SAVEAS, PLOT: done by the program around the interpreter.
class RequestCommand final : public Command
{
public:
    explicit RequestCommand(Request::Kind kind) : kind_(kind) {}

    bool draws() const override { return false; }
    std::string_view prompt() const override { return {}; }
    bool start(CommandContext &ctx) override
    {
        ctx.request({kind_, {}});
        return false;
    }
    bool feed(const Input &, CommandContext &) override { return false; }

private:
    Request::Kind kind_;
};

} // namespace

std::unique_ptr<Command> makeRequestCommand(Request::Kind kind)
{
    return std::make_unique<RequestCommand>(kind);
}

} // namespace cad
