#pragma once

// Pressing a form's buttons in tests: set inputs as a user would, press, look at what happened.

#include "rules/ButtonPress.h"
#include "rules/FormDefinition.h"

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace harness {

using Inputs = std::vector<std::pair<std::string, std::string>>;

// The form's state as loaded, with `inputs` set on top (see quendra::setInput).
inline quendra::FormState stateOf(const quendra::FormDefinition &form, const Inputs &inputs = {})
{
    quendra::FormState s = form.initialState();
    for (const auto &[control, value] : inputs)
        if (!quendra::setInput(form, s, control, value))
            throw std::invalid_argument("no input " + control + "=" + value);
    return s;
}

inline quendra::ButtonPress press(const quendra::FormDefinition &form, const std::string &button,
                                  const Inputs &inputs = {})
{
    return quendra::press(form, stateOf(form, inputs), button);
}

inline std::vector<std::string> messages(const quendra::ButtonPress &p)
{
    std::vector<std::string> out;
    for (const quendra::Event &e : p.outcome.events)
        if (e.kind == quendra::Event::Kind::Message) out.push_back(e.message.text);
    return out;
}

inline std::vector<std::string> scripts(const quendra::ButtonPress &p)
{
    return p.outcome.scripts();
}

} // namespace harness
