// Whatever arrives as a script or is typed: the interpreter must neither crash nor hang, and
// must still take a plain command afterwards.

#include "cad/command/Interpreter.h"
#include "cad/model/Describe.h"
#include "cad/model/Geometry.h"
#include "cad/model/Snap.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    // The first byte chooses how the rest arrives and how the held prompts are answered.
    const unsigned mode = size > 0 ? data[0] : 0;
    const std::string_view rest = size > 0 ? input.substr(1) : input;

    cad::Drawing drawing;
    cad::Interpreter interpreter(drawing);
    const std::size_t cut = rest.size() / 2;
    if (mode & 1) {
        interpreter.feed(rest.substr(0, cut));
        interpreter.type(rest.substr(cut));
    } else {
        interpreter.feed(rest);
    }
    // Every answer takes at least one character off the queue, so this many rounds empty it.
    const std::size_t rounds = rest.size() + 64;
    for (std::size_t round = 0; round < rounds; ++round) {
        if (interpreter.waitingForPick())
            interpreter.pick({double(round % 1000), (mode & 2) ? 1e15 : -3.5});
        else if (interpreter.waitingForColor())
            interpreter.chooseColor((mode & 4) ? 300 : int(round % 257));
        else if (interpreter.takeRequest())
            interpreter.resume();
        else
            break;
        if ((mode & 8) && round % 7 == 0) interpreter.cancel();
    }
    if (interpreter.queued() != 0) std::abort(); // input left behind although nothing holds it
    interpreter.preview({1, 2});
    interpreter.cancel();
    (void)cad::extents(drawing);
    (void)cad::describe(drawing);
    (void)cad::findSnap(drawing, {0, 0}, 10);
    while (drawing.canUndo())
        drawing.undo();
    while (drawing.canRedo())
        drawing.redo();

    interpreter.feed("\x1b"
                     "LINE 0,0 1,0 \r");
    if (drawing.entities().empty() || cad::describe(drawing.entities().back()).rfind("L 0,0 1,0", 0) != 0)
        std::abort();
    return 0;
}
