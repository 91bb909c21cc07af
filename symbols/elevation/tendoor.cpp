#include "symbols/elevation/tendoor.h"

#include "symbols/common/FormParts.h"
#include "symbols/elevation/ElevationParts.h"

namespace quendra {

namespace {

// The opening mark from its start on the latch side: to the middle of the hinge side, then to
// the other latch-side corner.
Steps openingMark(const Step &start, double W, double H, bool hingesLeft)
{
    if (hingesLeft) return {start, pt(-W, -(H / 2)), pt(W, -(H / 2))};
    return {start, pt(W, -(H / 2)), pt(-W, -(H / 2))};
}

// The leaf and its frames stand on the floor: three outlines open at the bottom.
Steps flush(double W, double H, bool hingesLeft)
{
    Steps rows = {
        pt(0, 0),            // 1
        pt(0, H),            // 2 leaf: left side up
        pt(W, 0),            // 3 top
        pt(0, -H, 3),        // 4 right side to the floor; restart
        pt(-(W + 15), 0),    // 5
        pt(0, H + 15),       // 6 inner frame: left
        pt(W + 30, 0),       // 7 top
        pt(0, -(H + 15), 3), // 8 right; restart
        pt(-(W + 55), 0),    // 9
        pt(0, H + 40),       // 10 outer frame: left
        pt(W + 80, 0),       // 11 top
        pt(0, -(H + 40), 3), // 12 right, ending at (W + 40, 0); restart
    };
    const Step start = hingesLeft ? pt(-40, H) : pt(-(W + 40), H); // 13
    const Steps mark = openingMark(start, W, H, hingesLeft);       // 13 to 15
    rows.insert(rows.end(), mark.begin(), mark.end());
    return rows;
}

// The door starts Y above the floor: three closed rectangles.
Steps raised(double W, double H, double Y, bool hingesLeft)
{
    Steps rows = nestedOutlines(W, H, Y, 3);                             // 1 to 15
    const Step start = hingesLeft ? pt(W + 40, H + 40) : pt(40, H + 40); // 16
    const Steps mark = openingMark(start, W, H, hingesLeft);             // 16 to 18
    rows.insert(rows.end(), mark.begin(), mark.end());
    return rows;
}

Outcome draw(const FormState &s)
{
    const double W = s.number("Text1");
    const double H = s.number("Text2");
    const double Y = s.number("Text3");
    const bool hingesLeft = s.checked("Option1");
    const Steps rows = s.checked("Check1") ? flush(W, H, hingesLeft) : raised(W, H, Y, hingesLeft);
    return Outcome().send(script("LINE ", rows));
}

FormDefinition define()
{
    FormDefinition f;
    f.name = "tendoor";
    f.caption = "Quendra_LT(片開キ戸立面図)";
    f.menu = {"mnutenkai", "mnuritumen", "片開キドア立面", 2};
    Control height = labelledBox("Text3", "Label3", "床からの高さ(&Y)", "100");
    height.enabled = false; // the threshold starts flush
    f.controls = {
        labelledBox("Text1", "Label1", "建具W寸法(&W)", "800"),
        labelledBox("Text2", "Label2", "建具H寸法(&H)", "2000"),
        height,
        checkBox("Check1", "沓摺は床とゾロ", true),
        // Both read "戸吊元": the jamb each stands at tells them apart.
        option("Option1", "戸吊元", true, {}, Anchor{0.25, 0.5}),
        option("Option2", "戸吊元", false, {}, Anchor{0.75, 0.5}),
    };
    f.buttons = elevationButtons("片開キ戸作図(&A)", draw, "Text1");
    f.toggles = {CheckToggle{"Check1", {"Label3", "Text3"}, false}};
    f.closeStyle = FormDefinition::CloseStyle::Plain;
    return f;
}

} // namespace

const FormDefinition &tendoor()
{
    static const FormDefinition form = define();
    return form;
}

} // namespace quendra
