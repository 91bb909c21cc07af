#include "rules/FormDefinition.h"

#include <algorithm>

namespace quendra {

const Control *FormDefinition::control(const std::string &name) const
{
    for (const Control &c : controls)
        if (c.name == name) return &c;
    return nullptr;
}

const Button *FormDefinition::button(const std::string &name) const
{
    for (const Button &b : buttons)
        if (b.name == name) return &b;
    return nullptr;
}

FormState FormDefinition::initialState() const
{
    FormState state;
    for (const Control &c : controls) {
        switch (c.kind) {
        case Control::Kind::Combo:
        case Control::Kind::Text:
            state.setText(c.name, c.text);
            break;
        case Control::Kind::Option:
        case Control::Kind::Check:
            state.setChecked(c.name, c.checked);
            break;
        case Control::Kind::Label:
            break;
        }
    }
    return state;
}

bool setInput(const FormDefinition &form, FormState &state, const std::string &control,
              const std::string &value)
{
    const Control *c = form.control(control);
    if (!c) return false;
    switch (c->kind) {
    case Control::Kind::Combo:
        if (!c->editable && std::find(c->items.begin(), c->items.end(), value) == c->items.end())
            return false;
        state.setText(c->name, value);
        return true;
    case Control::Kind::Text:
        state.setText(c->name, value);
        return true;
    case Control::Kind::Check:
        if (value != "0" && value != "1") return false;
        state.setChecked(c->name, value == "1");
        return true;
    case Control::Kind::Option:
        if (value != "1") return false;
        for (const Control &other : form.controls)
            if (other.kind == Control::Kind::Option && other.group == c->group)
                state.setChecked(other.name, other.name == c->name);
        return true;
    case Control::Kind::Label:
        return false;
    }
    return false;
}

} // namespace quendra
