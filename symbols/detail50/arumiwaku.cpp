#include "symbols/detail50/arumiwaku.h"

#include "symbols/common/FormParts.h"
#include "symbols/detail50/JambForm.h"

namespace quendra {

namespace {

Steps leftRows(const FormState &s)
{
    const double U = s.number("Text1");
    const double D = s.number("Text2");
    const double M = s.number("Text3");
    const double T = s.number("Text4");
    const double G = s.number("Text5");
    return {
        pt(-40, U),         // 1
        pt(40, 0, 3),       // 2 frame line y = U
        pt(-40, -(U + D)),  // 3
        pt(40, 0, 3),       // 4 frame line y = -D
        pt(-20, U + D),     // 5
        pt(0, -(U + D), 3), // 6 frame centre line x = -20
        pt(20 - T, 0),      // 7
        pt(0, -M),          // 8
        pt(-G, 0),          // 9
        pt(0, M),           // 10 casing
    };
}

FormDefinition define()
{
    JambForm j;
    j.name = "arumiwaku";
    j.caption = "Quendra_LT(1/50用アルミ枠)";
    j.menu = {"q", "r", "アルミ枠"};
    j.sideGroup = "アルミ枠";
    j.drawCaption = "アルミ枠作図(&A)";
    j.inputs = {
        textBox("Text1", "壁芯からの距離(&U)", "35"), textBox("Text2", "壁芯からの距離(&D)", "35"),
        textBox("Text3", "額縁見込み寸法(&M)", "60"), textBox("Text4", "ちり寸法(&T)", "15"),
        textBox("Text5", "額縁厚さ(&G)", "25"),
    };
    j.basePoint = widthAtLeast(0, "Text1");
    j.leftRows = leftRows;
    return defineJambForm(j);
}

} // namespace

const FormDefinition &arumiwaku()
{
    static const FormDefinition form = define();
    return form;
}

} // namespace quendra
