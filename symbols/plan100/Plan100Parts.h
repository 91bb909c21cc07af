#pragma once

// What the 1:100 fittings share beyond the common form parts.

#include "rules/FormDefinition.h"
#include "rules/Steps.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quendra {

// The bad-angle message of the sliding fittings.
inline constexpr const char *enteredAngleMessage = "入力された角度が正しくありません。";
// No hinge side chosen.
inline constexpr const char *hingeMessage = "戸吊元をクリックして下さい。";

// Rows 1 to 8 of the 1:100 fittings: the wall faces y = 50 and y = -50 along the stretch of
// W + 100, then the jambs 50 in from its ends, drawn from y = 50 down or from y = -50 up.
enum class Jambs { Down, Up };
Steps wallAndJambs(double W, Jambs jambs = Jambs::Down);

// The two hinge-side buttons "戸吊元": Option1 at the first jamb of the preview (selected),
// Option2 at the second, following the jambs as the drawing turns; for jambs drawn Jambs::Up.
std::vector<Control> hingeOptions();
// 1 or 2 for the selected hinge side, nullopt when neither is selected.
std::optional<int> hingeSide(const FormState &state);

// The tab order of these dialogs: the inputs, then base point, draw, back and exit.
std::vector<std::string> inputsThenBackBeforeExit(const std::vector<Control> &controls);

// The two scripts of a fitting with arcs, turned by the angle: the LINE rows closed by a
// carriage return, then the ARC rows, which end on their own blanks.
Outcome sendLinesAndArcs(const Steps &lineRows, const Steps &arcRows, int angle);

// A fitting on its stretch of wall: the width in Combo1, the angle in Combo2 read strictly (the
// angle message when it is none of the four), then rows 1 to 8 and the fitting's own LINE rows,
// and its ARC rows where it has them, all turned by the angle.
using WidthRows = std::function<Steps(double W)>;
Outcome drawOnWall(const FormState &state, const WidthRows &lineRows, const WidthRows &arcRows = {});

// The angle-0 rows of a hinged fitting for one hinge side (1 or 2).
struct SwingRows
{
    Steps lines;
    Steps arcs;
};
using HingedRows = SwingRows (*)(double width, int side);

// The draw of the hinged fittings: width from Combo1; the hinge side must be chosen, then the
// angle in Combo2 must be a strict 0, 90, 180 or 270 (these dialogs give the number message for
// a bad angle).
Outcome drawHinged(const FormState &state, HingedRows rows);

} // namespace quendra
