#include "symbols/elements/tategukigou.h"

#include "symbols/common/FormParts.h"
#include "symbols/elements/ElementParts.h"

namespace quendra {

namespace {

Outcome draw(const FormState &s)
{
    const std::string C = s.text("Combo1");
    const double N = s.number("Text1");
    // An empty text line would end DTEXT at once, and the second carriage return would start it
    // again, swallowing the scripts that follow.
    if (C.empty()) return rejected("建具記号を入力して下さい。");
    // A line break would end the text early and feed the rest to the command line.
    if (C.find_first_of("\r\n") != std::string::npos) return rejected("建具記号に改行は使えません。");
    const Steps code = {
        word("j "), // 1
        word("m "), // 2
        pt(0, 150), // 3 middle of the code, 150 above the base point
        value(250), // 4 height
        word("0 "), // 5 rotation
        word(C),    // 6 the code as typed
    };
    const Steps number = {
        word("j "),  // 7
        word("m "),  // 8
        pt(0, -300), // 9 middle of the number, 150 below the base point
        value(250),  // 10
        word("0 "),  // 11
        value(N, 0), // 12
    };
    const Steps lines = {
        pt(-350, 150),   // 13 left end of the diameter
        pt(700, 0, 2),   // 14 the diameter; the second blank ends LINE
        word("CIRCLE "), // 15
        pt(-350, 0),     // 16 centre: the base point
        value(350),      // 17 radius
    };
    return Outcome().send(textScript(code)).send(textScript(number)).send(script("LINE ", lines, false));
}

FormDefinition define()
{
    FormDefinition f;
    f.name = "tategukigou";
    f.caption = "Quendra_LT(建具記号)";
    f.menu = {"b", "z", "建具記号(&C)"};
    f.closeStyle = FormDefinition::CloseStyle::Plain;
    f.numberMessage = retypeMessage;
    f.controls = {
        combo("Combo1", "建具記号(&T)", "AW", {"AW", "SD", "WD", "FD", "AD", "FF"}),
        textBox("Text1", "建具番号(&N)", ""),
    };
    f.buttons =
        annotationButtons("建具記号作図(&A)", BaseRule{"Text1", Reading::Strict, 0, retypeMessage}, draw);
    return f;
}

} // namespace

const FormDefinition &tategukigou()
{
    static const FormDefinition form = define();
    return form;
}

} // namespace quendra
