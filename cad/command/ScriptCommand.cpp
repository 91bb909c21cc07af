#include "cad/command/Commands.h"

namespace cad {

namespace {

// SCRIPT: a file name, blanks included, up to the end of the line; the program reads the file
// as typed input. An empty name lets the program ask with a file dialog.
class ScriptCommand final : public Command
{
public:
    bool draws() const override { return false; }
    bool textLine() const override { return true; }
    std::string_view prompt() const override { return "スクリプト ファイル名を入力: "; }

    bool feed(const Input &in, CommandContext &ctx) override
    {
        if (in.picked) return true;
        std::string_view name = in.text;
        while (!name.empty() && name.back() == ' ')
            name.remove_suffix(1);
        while (!name.empty() && name.front() == ' ')
            name.remove_prefix(1);
        if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
            name = name.substr(1, name.size() - 2);
        ctx.request({Request::Kind::Script, std::string(name)});
        return false;
    }
};

} // namespace

std::unique_ptr<Command> makeScriptCommand()
{
    return std::make_unique<ScriptCommand>();
}

} // namespace cad
