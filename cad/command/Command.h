#pragma once

#include "cad/command/CommandContext.h"

#include <memory>
#include <string>
#include <vector>

namespace cad {

// One command at the prompt: a small state machine that takes one input at a time.
class Command
{
public:
    virtual ~Command() = default;

    // Runs when the command is entered; false when it is done at once (U, SAVE).
    virtual bool start(CommandContext &) { return true; }
    // The prompt now; a view valid until the command's next call.
    virtual std::string_view prompt() const = 0;
    // Takes one input; false when the command has ended.
    virtual bool feed(const Input &in, CommandContext &ctx) = 0;
    // Escape: keeps what is worth keeping.
    virtual void cancel(CommandContext &) {}

    // Whether a blank is text at this prompt (a line of DTEXT, a file name).
    virtual bool textLine() const { return false; }
    // Whether queued input waits until the user picks a point (ID) or a colour (DDCOLOR).
    virtual bool waitsForPick() const { return false; }
    virtual bool waitsForColor() const { return false; }
    // Whether it adds to the drawing (and so forms an undo group).
    virtual bool draws() const { return true; }
    // What the command would draw if the cursor were the next point.
    virtual std::vector<Entity> preview(Point /*cursor*/, const CommandContext &) const { return {}; }
    // The objects it has selected so far (an edit's), for a view to show as selected.
    virtual std::vector<std::size_t> chosen() const { return {}; }

protected:
    // Keeps a prompt made up on the spot, for prompt() to return a view of.
    std::string_view keptPrompt(std::string text) const
    {
        keptPrompt_ = std::move(text);
        return keptPrompt_;
    }

private:
    mutable std::string keptPrompt_;
};

// The command of a name (upper case, aliases included), or none.
std::unique_ptr<Command> makeCommand(std::string_view name);
// The full name of a command or alias, as repeated by Enter.
std::string commandName(std::string_view name);

} // namespace cad
