#include "symbols/plan100/hikitigai100.h"

#include "symbols/common/FormParts.h"
#include "symbols/plan100/Plan100Parts.h"

namespace quendra {

Outcome drawSlidingPair(const FormState &s)
{
    const double W = s.number("Combo1");
    const auto A = fittingAngle(s.number("Combo2"));
    if (!A) return rejected(enteredAngleMessage);
    const Steps rows = wallAndJambs(W) + Steps{
                                             pt(-W, -30),          // 9
                                             pt(W / 2 + 50, 0, 3), // 10 first sash y = 20
                                             pt(-100, -40),        // 11
                                             pt(W / 2 + 50, 0, 3), // 12 second sash y = -20
                                             pt(-(W / 2), 170),    // 13
                                             pt(0, -300),          // 14 cross line
                                         };
    return Outcome().send(script("LINE ", turned(rows, *A)));
}

namespace {

FormDefinition define()
{
    FormDefinition f;
    f.name = "hikitigai100";
    f.caption = "Quendra_LT(1/100用引違イ窓)";
    f.menu = {"c", "d", "引違イ窓"};
    f.controls = {
        combo("Combo1", "W寸法(&W)", "1700", {"1100", "1700", "2300"}),
        angleCombo(),
    };
    f.buttons = standardButtons("引違イ窓作図(&A)", widthAtLeast(500), drawSlidingPair);
    f.tabOrder = inputsThenBackBeforeExit(f.controls);
    return f;
}

} // namespace

const FormDefinition &hikitigai100()
{
    static const FormDefinition form = define();
    return form;
}

} // namespace quendra
