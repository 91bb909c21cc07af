#include "symbols/elevation/tenhiki.h"

#include "symbols/elevation/ElevationParts.h"

namespace quendra {

namespace {

Outcome draw(const FormState &s)
{
    const double W = s.number("Text1");
    const double H = s.number("Text2");
    Steps rows = nestedOutlines(W, H, 0, 3); // 1 to 15
    const Steps sashes = {
        pt(W / 2 - 20 + 40, 40), // 16
        pt(0, H, 3),             // 17 meeting line; restart
        pt(40, -(H - 40)),       // 18
        pt(0, H - 80),           // 19 right glass: left
        pt(W / 2 - 60, 0),       // 20 top
        pt(0, -(H - 80)),        // 21 right
        pt(-(W / 2 - 60), 0, 3), // 22 bottom; restart
        pt(-40, 0),              // 23
        pt(-(W / 2 - 60), 0),    // 24 left glass: bottom
        pt(0, H - 80),           // 25 left
        pt(W / 2 - 60, 0, 3),    // 26 top, onto the meeting line; restart
        pt(220, -(H / 2 + 10)),  // 27
        pt(100, 50),             // 28 arrow barb
        pt(-600, 0),             // 29 shaft
        pt(100, 50),             // 30 barb
    };
    rows.insert(rows.end(), sashes.begin(), sashes.end());
    return Outcome().send(script("LINE ", rows));
}

FormDefinition define()
{
    FormDefinition f;
    f.name = "tenhiki";
    f.caption = "Quendra_LT(引違イ窓立面図)";
    f.menu = {"mnutenkai", "mnuritumen", "引違イ窓立面", 0};
    f.controls = {
        labelledBox("Text1", "Label1", "建具W寸法(&W)", "1700"),
        labelledBox("Text2", "Label2", "建具H寸法(&H)", "1000"),
    };
    f.buttons = elevationButtons("引違イ窓作図(&A)", draw, "Text1");
    f.closeStyle = FormDefinition::CloseStyle::Plain;
    return f;
}

} // namespace

const FormDefinition &tenhiki()
{
    static const FormDefinition form = define();
    return form;
}

} // namespace quendra
