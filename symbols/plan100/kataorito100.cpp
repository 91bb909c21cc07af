#include "symbols/plan100/kataorito100.h"

#include "symbols/common/FormParts.h"
#include "symbols/plan100/Plan100Parts.h"

namespace quendra {

namespace {

// Rows 9 on, after the wall and jambs.
Steps rows(double W)
{
    return {
        pt(-W, -100),         // 9
        pt(100, -(W / 2)),    // 10 first stroke of the V
        pt(100, W / 2, 3),    // 11 second stroke
        pt(W / 2 - 200, 200), // 12
        pt(0, -300),          // 13 cross line
    };
}

Outcome draw(const FormState &s)
{
    return drawOnWall(s, rows);
}

FormDefinition define()
{
    FormDefinition f;
    f.name = "kataorito100";
    f.caption = "Quendra_LT(1/100用片折リ戸)";
    f.menu = {"c", "l", "片折リ戸"};
    f.controls = {
        combo("Combo1", "W寸法(&W)", "800", {"500", "600", "700", "800", "900", "1000"}),
        angleCombo(),
    };
    f.buttons = standardButtons("片折リ戸作図(&A)", widthAtLeast(400), draw);
    f.tabOrder = inputsThenBackBeforeExit(f.controls);
    return f;
}

} // namespace

const FormDefinition &kataorito100()
{
    static const FormDefinition form = define();
    return form;
}

} // namespace quendra
