#include "symbols/plan100/ryouhiraki100.h"

#include "symbols/common/FormParts.h"
#include "symbols/plan100/Plan100Parts.h"

namespace quendra {

namespace {

Outcome draw(const FormState &s)
{
    const double W1 = s.number("Combo1");
    const double W2 = s.number("Combo3");
    const auto A = fittingAngle(s.strictNumber("Combo2"));
    if (!A) return rejected(angleMessage);
    const Steps lines = wallAndJambs(W1 + W2) + Steps{
                                                    pt(-W2, 0),      // 9
                                                    pt(0, -100, 3),  // 10 meeting line
                                                    pt(-W1, 0),      // 11 first hinge
                                                    pt(0, -W1, 3),   // 12 first leaf
                                                    pt(W1 + W2, W1), // 13 second hinge
                                                    pt(0, -W2),      // 14 second leaf
                                                };
    const Steps arcs = {
        word("c "),   pt(-(W1 + W2), W2), // 15 centre on the first hinge
        pt(0, -W1),                       // 16 start at the first leaf's tip
        pt(W1, 0, 2),                     // 17 end at the meeting line; ARC repeats
        word("c "),   pt(W2, 0),          // 18 centre on the second hinge
        pt(-W2, 0),                       // 19 start at the meeting line
        pt(0, -W2),                       // 20 end at the second leaf's tip
    };
    return sendLinesAndArcs(lines, arcs, *A);
}

Control openingLabel()
{
    Control c;
    c.name = "Label3";
    c.kind = Control::Kind::Label;
    c.caption = "建具有効開口";
    return c;
}

FormDefinition define()
{
    const std::vector<std::string> widths = {"400", "500", "600", "700", "800", "900", "1000"};
    FormDefinition f;
    f.name = "ryouhiraki100";
    f.caption = "Quendra_LT(1/100用両開キ戸)";
    f.menu = {"c", "j", "両開キ戸"};
    // The two leaf widths side by side, the clear opening named beneath them.
    Control second = combo("Combo3", "W寸法(&K)", "800", widths);
    second.beside = true;
    f.controls = {
        combo("Combo1", "W寸法(&W)", "800", widths),
        second,
        openingLabel(),
        angleCombo(),
    };
    f.buttons = standardButtons("両開キ戸作図(&A)", widthAtLeast(200), draw);
    f.tabOrder = inputsThenBackBeforeExit(f.controls);
    return f;
}

} // namespace

const FormDefinition &ryouhiraki100()
{
    static const FormDefinition form = define();
    return form;
}

} // namespace quendra
