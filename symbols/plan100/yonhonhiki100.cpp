#include "symbols/plan100/yonhonhiki100.h"

#include "symbols/common/FormParts.h"
#include "symbols/plan100/Plan100Parts.h"

namespace quendra {

namespace {

Outcome draw(const FormState &s)
{
    const double W = s.number("Combo1");
    const auto A = fittingAngle(s.number("Combo2"));
    if (!A) return rejected(enteredAngleMessage);
    const Steps rows = wallAndJambs(W) + Steps{
                                             pt(-W, -30),           // 9
                                             pt(W / 4 + 50, 0, 3),  // 10 first sash y = 20
                                             pt(-100, -40),         // 11
                                             pt(W / 2 + 100, 0, 3), // 12 middle sash y = -20
                                             pt(-100, 40),          // 13
                                             pt(W / 4 + 50, 0, 3),  // 14 last sash y = 20
                                             pt(-(W * 3 / 4), 130), // 15
                                             pt(0, -300, 3),        // 16 cross line at W/4 + 50
                                             pt(W / 4, 300),        // 17
                                             pt(0, -300, 3),        // 18 cross line at W/2 + 50
                                             pt(W / 4, 300),        // 19
                                             pt(0, -300),           // 20 cross line at 3W/4 + 50
                                         };
    return Outcome().send(script("LINE ", turned(rows, *A)));
}

FormDefinition define()
{
    FormDefinition f;
    f.name = "yonhonhiki100";
    f.caption = "Quendra_LT(1/100用４本引戸)";
    f.menu = {"c", "m", "４本引戸"};
    f.controls = {
        combo("Combo1", "W寸法(&W)", "3500",
              {"2800", "2900", "3000", "3100", "3200", "3300", "3400", "3500"}),
        angleCombo(),
    };
    f.buttons = standardButtons("４本引戸作図(&A)", widthAtLeast(2000), draw);
    f.tabOrder = inputsThenBackBeforeExit(f.controls);
    return f;
}

} // namespace

const FormDefinition &yonhonhiki100()
{
    static const FormDefinition form = define();
    return form;
}

} // namespace quendra
