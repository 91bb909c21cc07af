#include "symbols/detail50/sutiruwaku.h"

#include "symbols/common/FormParts.h"
#include "symbols/detail50/JambForm.h"

namespace quendra {

namespace {

Steps leftRows(const FormState &s)
{
    const double M = s.number("Text1");
    const double E = s.number("Text2");
    const double T = s.number("Text4");
    const double G = s.number("Text5");
    return {
        pt(-40, E),     // 1
        pt(40, 0),      // 2
        pt(0, -40),     // 3
        pt(-15, 0),     // 4
        pt(0, -40),     // 5
        pt(-25, 0),     // 6
        pt(0, 30, 3),   // 7 frame section, open at the back up to y = E
        pt(40 - T, 50), // 8
        pt(0, M),       // 9
        pt(-G, 0),      // 10
        pt(0, -M),      // 11 casing
    };
}

FormDefinition define()
{
    JambForm j;
    j.name = "sutiruwaku";
    j.caption = "Quendra_LT(1/50用スチール枠)";
    j.menu = {"q", "s", "スチール枠"};
    j.sideGroup = "スチール枠";
    j.drawCaption = "スチール枠作図(&A)";
    j.inputs = {
        textBox("Text1", "枠見込み寸法(&M)", "40"),
        textBox("Text2", "壁芯からの距離(&W)", "20"),
        textBox("Text4", "ちり寸法(&T)", "15"),
        textBox("Text5", "額縁厚さ(&G)", "25"),
    };
    Control depth;
    depth.name = "Label1";
    depth.kind = Control::Kind::Label;
    depth.caption = "スチール枠見込み寸法(80-W)";
    depth.anchor = Anchor{0.5, 0.06};
    j.sketchLabels = {depth};
    j.basePoint = widthAtLeast(0, "Text1");
    j.leftRows = leftRows;
    return defineJambForm(j);
}

} // namespace

const FormDefinition &sutiruwaku()
{
    static const FormDefinition form = define();
    return form;
}

} // namespace quendra
