#include "FormDefinition.h"

namespace quendra {

const Control *FormDefinition::control(const std::string &name) const
{
    for (const Control &c : controls)
        if (c.name == name)
            return &c;
    return nullptr;
}

const Button *FormDefinition::button(const std::string &name) const
{
    for (const Button &b : buttons)
        if (b.name == name)
            return &b;
    return nullptr;
}

FormState FormDefinition::initialState() const
{
    FormState state;
    for (const Control &c : controls) {
        switch (c.kind) {
        case Control::Kind::Combo:
        case Control::Kind::Text: state.setText(c.name, c.text); break;
        case Control::Kind::Option:
        case Control::Kind::Check: state.setChecked(c.name, c.checked); break;
        case Control::Kind::Label: break;
        }
    }
    return state;
}

} // namespace quendra
