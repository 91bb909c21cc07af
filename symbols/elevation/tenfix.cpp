#include "symbols/elevation/tenfix.h"

#include "symbols/elevation/ElevationParts.h"

namespace quendra {

namespace {

Outcome draw(const FormState &s)
{
    const double W = s.number("Text1");
    const double H = s.number("Text2");
    // Row 15 ends on one blank: the carriage return closes the last line.
    return Outcome().send(script("LINE ", nestedOutlines(W, H, 0, 1)));
}

FormDefinition define()
{
    FormDefinition f;
    f.name = "tenfix";
    f.caption = "Quendra_LT(FIX窓立面図)";
    f.menu = {"mnutenkai", "mnuritumen", "ＦＩＸ窓立面", 1};
    f.controls = {
        labelledBox("Text1", "Label1", "建具W寸法(&W)", "500"),
        labelledBox("Text2", "Label2", "建具H寸法(&H)", "1000"),
    };
    f.buttons = elevationButtons("FIX窓作図(&A)", draw, "Text1");
    f.closeStyle = FormDefinition::CloseStyle::Plain;
    return f;
}

} // namespace

const FormDefinition &tenfix()
{
    static const FormDefinition form = define();
    return form;
}

} // namespace quendra
