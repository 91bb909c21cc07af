#include "symbols/plan100/katabiraki100.h"

#include "symbols/common/FormParts.h"
#include "symbols/plan100/Plan100Parts.h"

namespace quendra {

namespace {

SwingRows rows(double W, int side)
{
    Steps lines = wallAndJambs(W, Jambs::Up) + Steps{
                                                   pt(-W, 50),  // 9
                                                   pt(W, 0, 3), // 10 closed sash
                                               };
    if (side == 1) {
        lines.push_back(pt(-W, -50)); // 11 hinge at the first jamb
        lines.push_back(pt(0, -W));   // 12 open sash
        return {lines,
                {
                    word("c "), pt(0, W), // 13 centre on the hinge
                    pt(0, -W),            // 14 start at the sash's tip
                    pt(W, 0),             // 15 end at the second jamb
                }};
    }
    lines.push_back(pt(0, -50)); // 11 hinge at the second jamb
    lines.push_back(pt(0, -W));  // 12 open sash
    return {lines,
            {
                word("c "), pt(0, W), // 13 centre on the hinge
                pt(-W, 0),            // 14 start at the first jamb
                pt(0, -W),            // 15 end at the sash's tip
            }};
}

Outcome draw(const FormState &s)
{
    return drawHinged(s, rows);
}

FormDefinition define()
{
    FormDefinition f;
    f.name = "katabiraki100";
    f.caption = "Quendra_LT(1/100用片開キ窓)";
    f.menu = {"c", "f", "片開キ窓"};
    f.controls = {
        combo("Combo1", "W寸法(&W)", "800", {"500", "600", "800", "900", "1000"}),
        angleCombo(),
    };
    for (Control &hinge : hingeOptions())
        f.controls.push_back(std::move(hinge));
    f.buttons = standardButtons("片開キ窓作図(&A)", widthAtLeast(0), draw);
    f.tabOrder = inputsThenBackBeforeExit(f.controls);
    return f;
}

} // namespace

const FormDefinition &katabiraki100()
{
    static const FormDefinition form = define();
    return form;
}

} // namespace quendra
