#include "rules/ButtonPress.h"

#include <cmath>

namespace quendra {

namespace {

ButtonPress basePoint(const FormState &state, const BaseRule &rule)
{
    ButtonPress p;
    if (rule.reading != Reading::None) {
        const std::optional<double> v = rule.reading == Reading::Strict
                                            ? state.strictNumber(rule.input)
                                            : std::optional<double>(state.number(rule.input));
        if (!v || std::isnan(*v) || *v < rule.threshold) {
            p.outcome.say(rule.message);
            return p;
        }
    }
    p.minimiseBeforeSending = true;
    p.outcome.send(basePointScript);
    return p;
}

ButtonPress draw(const FormDefinition &form, const FormState &state, const Button &b)
{
    ButtonPress p;
    if (!b.draw) return p;
    p.outcome = b.draw(state);
    if (!p.outcome.finite) {
        p.outcome = rejected(form.numberMessage);
        return p;
    }
    if (p.outcome.sends()) {
        p.focus = b.focusAfter;
        p.minimiseAfterSending = b.minimiseAfter;
    }
    return p;
}

} // namespace

ButtonPress press(const FormDefinition &form, const FormState &state, const std::string &button)
{
    const Button *b = form.button(button);
    if (!b) return {};
    switch (b->role) {
    case Button::Role::BasePoint:
        return basePoint(state, b->rule);
    case Button::Role::Draw:
        return draw(form, state, *b);
    case Button::Role::Back:
        return {{}, false, false, {}, ButtonPress::Navigate::Back};
    case Button::Role::Exit:
        return {{}, false, false, {}, ButtonPress::Navigate::Exit};
    }
    return {};
}

std::optional<int> fittingAngle(double degrees)
{
    for (int a : {0, 90, 180, 270})
        if (degrees == a) return a;
    return std::nullopt;
}

std::optional<int> fittingAngle(std::optional<double> degrees)
{
    return degrees ? fittingAngle(*degrees) : std::nullopt;
}

} // namespace quendra
