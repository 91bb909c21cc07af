#include "symbols/detail50/mokuhikito.h"

#include "symbols/detail50/JambForm.h"
#include "symbols/detail50/WoodenFrame.h"

namespace quendra {

namespace {

Steps leftRows(const FormState &s)
{
    const double K = s.number("Combo1");
    return {
        pt(0, K / 2), // 1
        pt(-9, 0),    // 2
        pt(0, -15),   // 3
        pt(-9, 0),    // 4
        pt(0, 15),    // 5
        pt(-7, 0),    // 6
        pt(0, -K),    // 7
        pt(7, 0),     // 8
        pt(0, 15),    // 9
        pt(9, 0),     // 10
        pt(0, -15),   // 11
        pt(9, 0),     // 12
        pt(0, K, 3),  // 13 jamb board, one closed outline
        pt(-9, 0),    // 14
        pt(0, 15),    // 15
        pt(-35, 0),   // 16
        pt(0, -15),   // 17
        pt(19, 0, 3), // 18 casing on the +y face
        pt(0, -K),    // 19
        pt(-19, 0),   // 20
        pt(0, -15),   // 21
        pt(35, 0),    // 22
        pt(0, 15),    // 23 casing on the -y face
    };
}

FormDefinition define()
{
    JambForm j = woodenFrame();
    j.name = "mokuhikito";
    j.caption = "Quendra_LT(1/50用引キ戸用木枠)";
    j.menu = {"q", "u", "木枠引戸"};
    // The side frame carries no caption of its own in the original; named like its sibling's.
    j.sideGroup = "木枠（引キ戸用）";
    j.leftRows = leftRows;
    return defineJambForm(j);
}

} // namespace

const FormDefinition &mokuhikito()
{
    static const FormDefinition form = define();
    return form;
}

} // namespace quendra
