#include "symbols/elements/reberu.h"

#include "symbols/common/FormParts.h"
#include "symbols/elements/ElementParts.h"

namespace quendra {

namespace {

struct Sizes
{
    double height;
    double axis;
    double otherAxis;
};

Outcome draw(const FormState &s)
{
    const std::string sign = s.text("Combo1");
    const double V = s.number("Text1");
    // Only 1/100 is tested; anything else is 1/50.
    const Sizes z = s.checked("Option1") ? Sizes{250, 700, 200} : Sizes{125, 350, 100};
    const Steps text = {
        word("j "),                   // 1
        word("m "),                   // 2
        pt(0, 0),                     // 3 middle of the text: the base point
        value(z.height),              // 4
        word("0 "),                   // 5 rotation
        word(sign),      value(V, 0), // 6 the level, e.g. ＋1000
    };
    const Steps ellipse = {
        word("c "), pt(0, 0), // 7 centre: the base point
        pt(z.axis, 0),        // 8 end of the horizontal axis
        pt(0, z.otherAxis),   // 9 the other half-axis
    };
    return Outcome().send(textScript(text)).send(script("ELLIPSE ", ellipse, false));
}

FormDefinition define()
{
    FormDefinition f;
    f.name = "reberu";
    f.caption = "Quendra_LT(レベル記号)";
    f.menu = {"b", "aa", "レベル記号(&R)"};
    f.closeStyle = FormDefinition::CloseStyle::Plain;
    Control sign = combo("Combo1", "符号(&H)", "", {"＋", "－", "±"});
    sign.editable = false;
    f.controls = {
        sign,
        textBox("Text1", "数値(&S)", ""),
        option("Option1", "1/100", true, "縮尺"),
        option("Option2", "1/50", false, "縮尺"),
    };
    f.buttons = annotationButtons("ﾚﾍﾞﾙ記号作図(&A)", BaseRule{}, draw);
    return f;
}

} // namespace

const FormDefinition &reberu()
{
    static const FormDefinition form = define();
    return form;
}

} // namespace quendra
