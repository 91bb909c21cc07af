#pragma once

#include <string>

namespace cad {

// Something only the program around the interpreter can do. While one is pending the interpreter
// holds its input, so that what follows runs after it.
struct Request
{
    // Refused: input that runs only from the command prompt was dropped (Interpreter::Sender);
    // the program tells its sender.
    // EditSymbol: the symbol (its id in `argument`) goes back to the form that drew it.
    enum class Kind { Exit, Save, SaveAs, Script, ZoomExtents, Plot, EditSymbol, Refused };
    Kind kind = Kind::Exit;
    // The file of SCRIPT, SAVE or SAVEAS (may be empty); for Refused, the command left
    // unfinished (empty: an input half sent).
    std::string argument;
};

} // namespace cad
