#include "symbols/plan100/tatejiku100.h"

#include "symbols/common/FormParts.h"
#include "symbols/plan100/Plan100Parts.h"

namespace quendra {

namespace {

// Rows 9 to 12, after the wall and jambs.
Steps lines(double W)
{
    return {
        pt(0, -50),            // 9
        pt(-W, 0, 3),          // 10 closed sash
        pt(W / 2, W / 2 + 50), // 11
        pt(0, -(W + 100)),     // 12 open sash
    };
}

// Rows 13 to 18.
Steps arcs(double W)
{
    return {
        word("c "),      pt(0, W / 2 + 100),    // 13 centre (W/2 + 50, 50)
        pt(W / 2, 0),                           // 14 start at the second jamb
        pt(0, W / 2, 2),                        // 15 end at the open sash; ARC repeats
        word("c "),      pt(0, -(W / 2 + 100)), // 16 centre (W/2 + 50, -50)
        pt(-(W / 2), 0),                        // 17 start at the first jamb
        pt(0, -(W / 2)),                        // 18 end at the open sash's other end
    };
}

Outcome draw(const FormState &s)
{
    return drawOnWall(s, lines, arcs);
}

FormDefinition define()
{
    FormDefinition f;
    f.name = "tatejiku100";
    f.caption = "Quendra_LT(1/100用竪軸回転窓)";
    f.menu = {"c", "h", "竪軸回転窓"};
    f.controls = {
        combo("Combo1", "W寸法(&W)", "500", {"500", "600", "800", "900", "1000"}),
        angleCombo(),
    };
    f.buttons = standardButtons("竪軸回転窓作図(&A)", widthAtLeast(0), draw);
    f.tabOrder = inputsThenBackBeforeExit(f.controls);
    return f;
}

} // namespace

const FormDefinition &tatejiku100()
{
    static const FormDefinition form = define();
    return form;
}

} // namespace quendra
