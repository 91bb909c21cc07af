#include "symbols/common/FormParts.h"

namespace quendra {

Control combo(std::string name, std::string caption, std::string text, std::vector<std::string> items)
{
    Control c;
    c.name = std::move(name);
    c.kind = Control::Kind::Combo;
    c.caption = std::move(caption);
    c.text = std::move(text);
    c.items = std::move(items);
    return c;
}

Control textBox(std::string name, std::string caption, std::string text)
{
    Control c;
    c.name = std::move(name);
    c.kind = Control::Kind::Text;
    c.caption = std::move(caption);
    c.text = std::move(text);
    return c;
}

Control option(std::string name, std::string caption, bool selected, std::string group,
               std::optional<Anchor> anchor)
{
    Control c;
    c.name = std::move(name);
    c.kind = Control::Kind::Option;
    c.caption = std::move(caption);
    c.checked = selected;
    c.group = std::move(group);
    c.anchor = anchor;
    return c;
}

Control checkBox(std::string name, std::string caption, bool checked)
{
    Control c;
    c.name = std::move(name);
    c.kind = Control::Kind::Check;
    c.caption = std::move(caption);
    c.checked = checked;
    return c;
}

Button button(std::string name, std::string caption, Button::Role role)
{
    Button b;
    b.name = std::move(name);
    b.caption = std::move(caption);
    b.role = role;
    return b;
}

Control angleCombo()
{
    Control c = combo("Combo2", "建具角度(&R)", "0", {"0", "90", "180", "270"});
    c.digitsOnly = true;
    return c;
}

std::vector<Button> standardButtons(std::string drawCaption, BaseRule basePoint, DrawFunction draw,
                                    std::string focusAfter)
{
    Button base = button("Command1", "基準点指定(&C)", Button::Role::BasePoint);
    base.rule = std::move(basePoint);
    Button drawButton = button("Command2", std::move(drawCaption), Button::Role::Draw);
    drawButton.draw = std::move(draw);
    drawButton.focusAfter = std::move(focusAfter);
    Button exit = button("Command3", "終了(&Q)", Button::Role::Exit);
    Button back = button("Command4", "戻る(&B)", Button::Role::Back);
    back.isCancel = true;
    return {base, drawButton, exit, back};
}

BaseRule widthAtLeast(double threshold, std::string input)
{
    return BaseRule{std::move(input), Reading::Lenient, threshold, numberMessage};
}

} // namespace quendra
