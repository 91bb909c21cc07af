#include "cad/command/Replay.h"

#include "cad/command/Interpreter.h"

namespace cad {

namespace {

void settle(Interpreter &interpreter, Point base)
{
    for (;;) {
        if (interpreter.waitingForColor())
            interpreter.chooseColor(interpreter.color());
        else if (interpreter.waitingForPick())
            interpreter.pick(base);
        else if (interpreter.takeRequest())
            interpreter.resume();
        else
            return;
    }
}

} // namespace

Drawing replay(const std::vector<std::string> &scripts, Point base)
{
    Drawing drawing;
    Interpreter interpreter(drawing);
    interpreter.feed("ID\r");
    interpreter.pick(base);
    for (const std::string &script : scripts) {
        interpreter.feed(script);
        settle(interpreter, base);
    }
    interpreter.cancel();
    settle(interpreter, base);
    return drawing;
}

} // namespace cad
