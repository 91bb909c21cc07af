#include "symbols/elements/syuuryou.h"

namespace quendra {

namespace {

Button make(std::string name, std::string caption, Button::Role role, DrawFunction draw = {})
{
    Button b;
    b.name = std::move(name);
    b.caption = std::move(caption);
    b.role = role;
    b.draw = std::move(draw);
    b.minimiseAfter = false;
    return b;
}

Control label(std::string name, std::string caption)
{
    Control c;
    c.name = std::move(name);
    c.kind = Control::Kind::Label;
    c.caption = std::move(caption);
    return c;
}

FormDefinition define()
{
    FormDefinition f;
    f.name = "syuuryou";
    f.caption = "Quendra_LT";
    f.closeStyle = FormDefinition::CloseStyle::Plain;
    f.controls = {label("Label1", endMessage), label("Label2", "AutoCAD LTも終了させるか選択して下さい。")};
    Button both = make("Command1", "LT共終了(&L)", Button::Role::Draw,
                       [](const FormState &) { return Outcome().send(std::string(exitScript)); });
    both.isDefault = true;
    // No title of its own: the box carries the application's.
    Button alone = make("Command3", "終　了(&Q)", Button::Role::Draw, [](const FormState &) {
        return Outcome().say(Message{endMessage, Icon::None, applicationTitle});
    });
    Button back = make("Command2", "戻る(&B)", Button::Role::Back);
    back.isCancel = true;
    f.buttons = {both, alone, back};
    return f;
}

} // namespace

const FormDefinition &syuuryou()
{
    static const FormDefinition form = define();
    return form;
}

} // namespace quendra
