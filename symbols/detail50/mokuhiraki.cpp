#include "symbols/detail50/mokuhiraki.h"

#include "symbols/detail50/JambForm.h"
#include "symbols/detail50/WoodenFrame.h"

namespace quendra {

namespace {

Steps leftRows(const FormState &s)
{
    const double K = s.number("Combo1");
    return {
        pt(0, -(K / 2 - 69)), // 1
        pt(-21, 0),           // 2
        pt(0, -25),           // 3
        pt(21, 0),            // 4
        pt(0, 25, 3),         // 5 door stop
        pt(-12, 0),           // 6
        pt(0, K - 69),        // 7
        pt(-9, 0),            // 8
        pt(0, -15),           // 9
        pt(-9, 0),            // 10
        pt(0, 15),            // 11
        pt(-7, 0),            // 12
        pt(0, -K),            // 13
        pt(7, 0),             // 14
        pt(0, 15),            // 15
        pt(9, 0),             // 16
        pt(0, -15),           // 17
        pt(9, 0),             // 18
        pt(0, 44, 3),         // 19 jamb board, open where the stop sits
        pt(-9, K - 44),       // 20
        pt(0, 15),            // 21
        pt(-35, 0),           // 22
        pt(0, -15),           // 23
        pt(19, 0, 3),         // 24 casing on the +y face
        pt(0, -K),            // 25
        pt(-19, 0),           // 26
        pt(0, -15),           // 27
        pt(35, 0),            // 28
        pt(0, 15),            // 29 casing on the -y face
    };
}

FormDefinition define()
{
    JambForm j = woodenFrame();
    j.name = "mokuhiraki";
    j.caption = "Quendra_LT(1/50用開キ戸用木枠)";
    j.menu = {"q", "t", "木枠開キ"};
    j.sideGroup = "木枠（開キ戸用）";
    Control doorSide;
    doorSide.name = "Label1";
    doorSide.kind = Control::Kind::Label;
    doorSide.caption = "扉側";
    doorSide.anchor = Anchor{0.85, 0.85};
    j.sketchLabels = {doorSide};
    j.leftRows = leftRows;
    return defineJambForm(j);
}

} // namespace

const FormDefinition &mokuhiraki()
{
    static const FormDefinition form = define();
    return form;
}

} // namespace quendra
