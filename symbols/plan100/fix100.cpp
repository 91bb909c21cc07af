#include "symbols/plan100/fix100.h"

#include "symbols/common/FormParts.h"
#include "symbols/plan100/Plan100Parts.h"

namespace quendra {

namespace {

// Rows 9 on, after the wall and jambs.
Steps rows(double W)
{
    return {
        pt(0, -50), // 9
        pt(-W, 0),  // 10 glass line
    };
}

Outcome draw(const FormState &s)
{
    return drawOnWall(s, rows);
}

FormDefinition define()
{
    FormDefinition f;
    f.name = "fix100";
    f.caption = "Quendra_LT(1/100用FIX窓)";
    f.menu = {"c", "g", "ＦＩＸ窓"};
    f.controls = {
        combo("Combo1", "W寸法(&W)", "500", {"500", "600", "800", "900", "1000"}),
        angleCombo(),
    };
    f.buttons = standardButtons("ＦＩＸ窓作図(&A)", widthAtLeast(0), draw);
    return f;
}

} // namespace

const FormDefinition &fix100()
{
    static const FormDefinition form = define();
    return form;
}

} // namespace quendra
