#include "symbols/detail50/katabiraki50.h"

#include "symbols/common/FormParts.h"

namespace quendra {

namespace {

constexpr const char *hingeMessage = "戸吊元を指示して下さい。";

struct Door
{
    double W = 0;
    double D = 0; // wall thickness with both reveals, summed C + K + T
};

// The LINE rows; the right hinge differs only in rows 30 and 32.
Steps lineRows(const Door &d, bool rightHinge)
{
    const double W = d.W, D = d.D;
    return {
        pt(-40, -(D / 2 - 80)),                                      // 1
        pt(40, 0),                                                   // 2
        pt(0, -40),                                                  // 3
        pt(-15, 0),                                                  // 4
        pt(0, -40),                                                  // 5
        pt(-25, 0),                                                  // 6
        pt(0, 30, 3),                                                // 7 left jamb profile
        pt(25, 50),                                                  // 8
        pt(0, D - 80),                                               // 9
        pt(-25, 0),                                                  // 10
        pt(0, -(D - 80), 3),                                         // 11 rest of the left jamb
        pt(W + 80, 0),                                               // 12
        pt(-40, 0),                                                  // 13
        pt(0, -40),                                                  // 14
        pt(15, 0),                                                   // 15
        pt(0, -40),                                                  // 16
        pt(25, 0),                                                   // 17
        pt(0, 30, 3),                                                // 18 right jamb profile
        pt(-25, 50),                                                 // 19
        pt(0, D - 80),                                               // 20
        pt(25, 0),                                                   // 21
        pt(0, -(D - 80), 3),                                         // 22 rest of the right jamb
        pt(-(W + 50), -45),                                          // 23
        pt(W + 20, 0),                                               // 24
        pt(0, -30),                                                  // 25
        pt(-(W + 20), 0),                                            // 26
        pt(0, 30, 2),                                                // 27 closed leaf; LINE ends
        word("DDCOLOR "),                                            // 28
        word("LINE "),                                               // 29
        rightHinge ? pt(W + 20, -30) : pt(0, -30),                   // 30 hinge point
        pt(0, -(W + 20), 3),                                         // 31 open leaf
        rightHinge ? pt(-(W + 25), D + W + 15) : pt(-5, D + W + 15), // 32
        pt(W + 30, 0, 3),                                            // 33 face line y = D / 2
        pt(-(W + 15), -(D - 80)),                                    // 34
        pt(W, 0, 3),                                                 // 35 stop line
        pt(-(W + 15), -80),                                          // 36
        pt(W + 30, 0, 3),                                            // 37 face line y = -D / 2
        pt(-(W / 2 + 15), D + 100),                                  // 38
        pt(0, -(D + 200)),                                           // 39 centre line x = W / 2
    };
}

// The ARC rows: centre at the hinge point, then start and end of the quarter circle.
Steps arcRows(const Door &d, bool rightHinge)
{
    const double W = d.W;
    if (rightHinge)
        return {
            word("c "), pt(W / 2 + 10, 105), // 40
            pt(-(W + 20), 0),                // 41 closed leaf's free end
            pt(0, -(W + 20)),                // 42 open leaf's tip
        };
    return {
        word("c "), pt(-(W / 2 + 10), 105), // 40
        pt(0, -(W + 20)),                   // 41 open leaf's tip
        pt(W + 20, 0),                      // 42 closed leaf's free end
    };
}

Outcome draw(const FormState &s)
{
    const double W = s.number("Combo1");
    const double T = s.number("Combo3");
    const double K = s.number("Combo5");
    const double C = s.number("Combo4");
    if (!s.checked("Option1") && !s.checked("Option2")) return rejected(hingeMessage);
    const bool right = !s.checked("Option1");
    const auto A = fittingAngle(s.strictNumber("Combo2"));
    if (!A) return rejected(angleMessage);
    const Door door{W, C + K + T};
    return Outcome()
        .send(script("LINE ", turned(lineRows(door, right), *A)))
        .send(script("ARC ", turned(arcRows(door, right), *A), false));
}

FormDefinition define()
{
    const std::vector<std::string> reveals = {"5", "10", "15", "20"};
    FormDefinition f;
    f.name = "katabiraki50";
    f.caption = "Quendra_LT(1/50用片開キ戸)";
    f.menu = {"n", "p", "片開キ戸"};
    f.controls = {
        combo("Combo1", "Ｗ寸法(&W)", "800", {"600", "700", "800", "900", "1000"}),
        combo("Combo5", "壁厚(&K)", "90",
              {"100", "110", "120", "125", "130", "135", "140", "145", "150", "155", "160", "165", "170"}),
        combo("Combo3", "枠ﾁﾘ寸法(&T)", "15", reveals),
        combo("Combo4", "額縁ﾁﾘ寸法(&S)", "15", reveals),
        angleCombo(),
        // The hinge sides sit on the preview at the two jambs, by the outer corners of their
        // profiles (the ends of rows 10 and 21), across the wall from the leaf.
        option("Option1", "吊元", true, {}, Anchor{0.08, 0.22, 7, true}),
        option("Option2", "吊元", false, {}, Anchor{0.92, 0.22, 16, true}),
    };
    f.buttons = standardButtons("片開キ戸作図(&A)", widthAtLeast(100), draw);
    f.tabOrder = {"Combo1",   "Combo5",   "Combo3",   "Combo4",  "Combo2", "Command1",
                  "Command2", "Command4", "Command3", "Option1", "Option2"};
    return f;
}

} // namespace

const FormDefinition &katabiraki50()
{
    static const FormDefinition form = define();
    return form;
}

} // namespace quendra
