#include "symbols/elements/tourisin.h"

#include "symbols/common/FormParts.h"
#include "symbols/elements/ElementParts.h"

#include <optional>

namespace quendra {

namespace {

// One of the four like groups: its inputs, its buttons, its letter, and the side of the bubble as
// the turning of the bubble above the base point.
struct Group
{
    std::string text;
    std::string check;
    std::string basePoint;
    std::string drawButton;
    std::string letter;
    std::string checkCaption;
    int angle;
    Side side; // where the group stands around the preview: where its bubble lies
};

const Group groups[] = {
    {"Text1", "Check1", "Command1", "Command2", "X", "Ｘを付ける", 0, Side::Above},
    {"Text2", "Check2", "Command5", "Command6", "X", "Ｘを付ける", 180, Side::Below},
    {"Text3", "Check3", "Command7", "Command8", "Y", "Ｙを付ける", 90, Side::Left},
    {"Text4", "Check4", "Command9", "Command10", "Y", "Ｙを付ける", 270, Side::Right},
};

// Bubble radius and text height by scale.
struct Size
{
    double R;
    double Ht;
};

std::optional<Size> bubbleSize(const FormState &s)
{
    const Size sizes[] = {{350, 300}, {175, 150}, {105, 90}, {70, 60}, {35, 30}};
    for (int i = 0; i < 5; ++i)
        if (s.checked("Option" + std::to_string(i + 1))) return sizes[i];
    return std::nullopt;
}

Outcome draw(const FormState &s, const Group &g)
{
    const std::optional<double> T = s.strictNumber(g.text);
    if (!T) return rejected(retypeMessage);
    const auto size = bubbleSize(s);
    if (!size) return rejected("縮尺を指定して下さい。");
    const Steps text = {
        word("j "),      // 1
        word("m "),      // 2
        pt(0, size->R),  // 3 middle of the text, R beyond the end
        value(size->Ht), // 4 height
        word("0 "),      // 5 rotation
        word(s.checked(g.check) ? g.letter : ""),
        value(*T, 0), // 6 label
    };
    const Steps circle = {
        pt(0, 0),       // 7 centre: the middle of the text
        value(size->R), // 8 radius
    };
    return Outcome().send(textScript(turned(text, g.angle))).send(script("CIRCLE ", circle, false));
}

std::vector<std::string> allBut(const Group &own)
{
    std::vector<std::string> out;
    for (const Group &g : groups)
        if (&g != &own) out.insert(out.end(), {g.basePoint, g.drawButton});
    return out;
}

FormDefinition define()
{
    FormDefinition f;
    f.name = "tourisin";
    f.caption = "Quendra_LT(通リ芯記号)";
    f.menu = {"b", "v", "通リ芯記号(&K)"};
    f.numberMessage = retypeMessage;
    const char *scales[] = {"1:100", "1:50", "1:30", "1:20", "1:10"};
    for (int i = 0; i < 5; ++i)
        f.controls.push_back(option("Option" + std::to_string(i + 1), scales[i], i == 0, "縮尺"));
    for (const Group &g : groups) {
        Control number = textBox(g.text, "通リ芯記号", "");
        Control letter = checkBox(g.check, g.checkCaption, true);
        number.side = letter.side = g.side;
        f.controls.push_back(number);
        f.controls.push_back(letter);
        BaseRule rule{g.text, Reading::Strict, 0, retypeMessage};
        Button base = button(g.basePoint, "基準点指定", Button::Role::BasePoint);
        base.rule = rule;
        Button drawButton = button(g.drawButton, "通リ芯記号作図", Button::Role::Draw);
        drawButton.draw = [&g](const FormState &s) { return draw(s, g); };
        drawButton.focusAfter = g.text;
        const bool first = &g == &groups[0];
        base.enabled = drawButton.enabled = first;
        base.side = drawButton.side = g.side;
        f.buttons.push_back(base);
        f.buttons.push_back(drawButton);
        f.activations.push_back({{g.check, g.text}, {g.basePoint, g.drawButton}, allBut(g)});
        f.tabOrder.insert(f.tabOrder.end(), {g.text, g.check, g.basePoint, g.drawButton});
    }
    f.tabOrder.insert(f.tabOrder.end(), {"Option1", "Option2", "Option3", "Option4", "Option5"});
    Button exit = button("Command3", "終了(&Q)", Button::Role::Exit);
    Button back = button("Command4", "戻る(&B)", Button::Role::Back);
    back.isCancel = true;
    f.buttons.push_back(exit);
    f.buttons.push_back(back);
    f.tabOrder.insert(f.tabOrder.end(), {"Command3", "Command4"});
    return f;
}

} // namespace

const FormDefinition &tourisin()
{
    static const FormDefinition form = define();
    return form;
}

} // namespace quendra
