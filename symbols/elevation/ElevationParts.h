#pragma once

// What the elevation forms share: their button set and the three nested outlines of a window or
// a raised door.

#include "rules/FormDefinition.h"
#include "rules/Steps.h"

#include <string>
#include <vector>

namespace quendra {

// The buttons of the elevation dialogs: Command1 base point (no check), Command4 draw,
// Command2 back (Esc), Command3 exit. After a draw the focus goes to `focusAfter` and the
// dialog minimises.
std::vector<Button> elevationButtons(std::string drawCaption, DrawFunction draw, std::string focusAfter);

// A text box whose label has a name of its own, so that a check box can enable both.
Control labelledBox(std::string name, std::string labelName, std::string caption, std::string text);

// Rows 1 to 15 of the window and raised-door elevations: the W x H outline starting y above the
// base point, then the outlines 15 and 40 outside it. `lastBlanks` ends the outer outline's
// bottom row (3 restarts LINE, 1 leaves the closing to the carriage return).
Steps nestedOutlines(double W, double H, double y, int lastBlanks);

} // namespace quendra
