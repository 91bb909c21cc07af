#include "symbols/plan100/katabirakito100.h"

#include "symbols/common/FormParts.h"
#include "symbols/plan100/Plan100Parts.h"

namespace quendra {

namespace {

SwingRows rows(double W, int side)
{
    Steps lines = wallAndJambs(W, Jambs::Up);
    if (side == 1) {
        lines.push_back(pt(-W, 0)); // 9 hinge at the first jamb
        lines.push_back(pt(0, -W)); // 10 door leaf
        return {lines,
                {
                    word("c "), pt(0, W), // 11 centre on the hinge
                    pt(0, -W),            // 12 start at the leaf's tip
                    pt(W, 0),             // 13 end at the second jamb
                }};
    }
    lines.push_back(pt(0, 0));  // 9 hinge at the second jamb
    lines.push_back(pt(0, -W)); // 10 door leaf
    return {lines,
            {
                word("c "), pt(0, W), // 11 centre on the hinge
                pt(-W, 0),            // 12 start at the first jamb
                pt(0, -W),            // 13 end at the leaf's tip
            }};
}

Outcome draw(const FormState &s)
{
    return drawHinged(s, rows);
}

FormDefinition define()
{
    FormDefinition f;
    f.name = "katabirakito100";
    f.caption = "Quendra_LT(1/100用片開キ戸)";
    f.menu = {"c", "i", "片開キ戸"};
    f.controls = {
        combo("Combo1", "W寸法(&W)", "800", {"600", "700", "800", "900", "1000"}),
        angleCombo(),
    };
    for (Control &hinge : hingeOptions())
        f.controls.push_back(std::move(hinge));
    f.buttons = standardButtons("片開キ戸作図(&A)", widthAtLeast(0), draw);
    f.tabOrder = inputsThenBackBeforeExit(f.controls);
    return f;
}

} // namespace

const FormDefinition &katabirakito100()
{
    static const FormDefinition form = define();
    return form;
}

} // namespace quendra
