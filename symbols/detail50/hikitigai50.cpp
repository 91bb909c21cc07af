#include "symbols/detail50/hikitigai50.h"

#include "symbols/common/FormParts.h"

namespace quendra {

namespace {

Steps rows(double W, double M, double S)
{
    return {
        pt(-40, 35),                // 1
        pt(40, 0, 3),               // 2 outer frame line y = 35, left
        pt(-40, -70),               // 3
        pt(40, 0, 3),               // 4 outer frame line y = -35, left
        pt(-20, 70),                // 5
        pt(0, -70, 3),              // 6 left jamb x = -20
        pt(5, 0),                   // 7
        pt(0, -M),                  // 8
        pt(-25, 0),                 // 9
        pt(0, M, 3),                // 10 left frame-depth return
        pt(W + 80, 70),             // 11
        pt(-40, 0, 3),              // 12 outer frame line y = 35, right
        pt(40, -70),                // 13
        pt(-40, 0, 3),              // 14 outer frame line y = -35, right
        pt(20, 70),                 // 15
        pt(0, -70, 3),              // 16 right jamb x = W + 20
        pt(-5, 0),                  // 17
        pt(0, -M),                  // 18
        pt(25, 0),                  // 19
        pt(0, M, 3),                // 20 right frame-depth return
        pt(-(W + 40), 65),          // 21
        pt(40, 0),                  // 22
        pt(0, -30),                 // 23
        pt(-40, 0, 3),              // 24 outer sash stile
        pt(40, 15),                 // 25
        pt(W / 2 - 60, 0, 3),       // 26 outer glass line y = 15
        pt(40, 15),                 // 27
        pt(-40, 0),                 // 28
        pt(0, -30),                 // 29
        pt(40, 0),                  // 30
        pt(0, -30),                 // 31
        pt(-40, 0, 3),              // 32 meeting stiles
        pt(40, 15),                 // 33
        pt(W / 2 - 60, 0, 3),       // 34 inner glass line y = -15
        pt(40, 15),                 // 35
        pt(-40, 0),                 // 36
        pt(0, -30),                 // 37
        pt(40, 0, 2),               // 38 inner sash stile; LINE ends
        word("DDCOLOR "),           // 39
        word("LINE "),              // 40
        pt(-W, 65),                 // 41
        pt(W, 0, 3),                // 42 frame line y = 35 across the opening
        pt(-W, -70),                // 43
        pt(W, 0, 3),                // 44 frame line y = -35 across the opening
        pt(-(W + 15), -M),          // 45
        pt(W + 30, 0, 3),           // 46 inner face y = -35 - M
        pt(-(W + 80), S + M + 100), // 47
        pt(0, 15),                  // 48
        pt(W + 130, 0),             // 49
        pt(0, -15, 3),              // 50 exterior strip
        pt(-(W / 2 + 65), 100),     // 51
        pt(0, -300),                // 52 centre line x = W / 2
    };
}

Outcome draw(const FormState &s)
{
    const double W = s.number("Combo1");
    const double M = s.number("Combo3");
    const double S = s.number("Text1");
    const auto A = fittingAngle(s.strictNumber("Combo2"));
    if (!A) return rejected(angleMessage);
    return Outcome().send(script("LINE ", turned(rows(W, M, S), *A)));
}

FormDefinition define()
{
    FormDefinition f;
    f.name = "hikitigai50";
    f.caption = "Quendra_LT(1/50用引違イ窓)";
    f.menu = {"n", "o", "引違イ窓"};
    f.controls = {
        combo("Combo1", "Ｗ寸法(&W)", "1700", {"1100", "1700", "2300"}),
        combo("Combo3", "枠見込(&M)", "60", {"55", "60", "70", "80", "90", "100"}),
        textBox("Text1", "外壁仕上厚(&S)", "0"),
        angleCombo(),
    };
    f.buttons = standardButtons("引違イ窓作図(&A)", widthAtLeast(500), draw);
    f.tabOrder = {"Combo1", "Combo2", "Command1", "Command2", "Command4", "Command3", "Combo3", "Text1"};
    return f;
}

} // namespace

const FormDefinition &hikitigai50()
{
    static const FormDefinition form = define();
    return form;
}

} // namespace quendra
