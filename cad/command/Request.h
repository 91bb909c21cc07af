#pragma once

#include <string>

namespace cad {

// Something only the program around the interpreter can do. While one is pending the interpreter
// holds its input, so that what follows runs after it.
struct Request
{
    enum class Kind { Exit, Save, SaveAs, Script, ZoomExtents, Plot };
    Kind kind = Kind::Exit;
    std::string argument; // the file of SCRIPT, SAVE or SAVEAS; may be empty
};

} // namespace cad
