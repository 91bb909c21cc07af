#include "symbols/plan100/ryouorito100.h"

#include "symbols/common/FormParts.h"
#include "symbols/plan100/Plan100Parts.h"

namespace quendra {

namespace {

// Rows 9 on, after the wall and jambs.
Steps rows(double W)
{
    return {
        pt(-W, -100),            // 9
        pt(100, -(W / 4)),       // 10 first leaf, first stroke
        pt(100, W / 4, 3),       // 11 first leaf, second stroke
        pt(W - 200, 0),          // 12
        pt(-100, -(W / 4)),      // 13 second leaf, first stroke
        pt(-100, W / 4, 3),      // 14 second leaf, second stroke
        pt(-(W / 2 - 200), 200), // 15
        pt(0, -300),             // 16 cross line
    };
}

Outcome draw(const FormState &s)
{
    return drawOnWall(s, rows);
}

FormDefinition define()
{
    FormDefinition f;
    f.name = "ryouorito100";
    f.caption = "Quendra_LT(1/100用両折リ戸)";
    f.menu = {"c", "k", "両折リ戸"};
    f.controls = {
        combo("Combo1", "W寸法(&W)", "1700",
              {"800", "900", "1000", "1100", "1200", "1300", "1400", "1500", "1600", "1700", "1800"}),
        angleCombo(),
    };
    f.buttons = standardButtons("両折リ戸作図(&A)", widthAtLeast(800), draw);
    f.tabOrder = inputsThenBackBeforeExit(f.controls);
    return f;
}

} // namespace

const FormDefinition &ryouorito100()
{
    static const FormDefinition form = define();
    return form;
}

} // namespace quendra
