#pragma once

// The frame forms draw one jamb per click: the left jamb at angle 0 is their table; the right jamb
// is its mirror about the base point's y axis, and the drawing angle turns either.

#include "rules/FormDefinition.h"

#include <functional>
#include <string>
#include <vector>

namespace quendra {

struct JambForm
{
    enum class TabOrder { InputsFirst, InputsLast };
    std::string name;
    std::string caption;
    MenuEntry menu;
    std::string sideGroup; // caption of the frame holding "左側" and "右側"
    std::string drawCaption;
    std::vector<Control> inputs;
    std::vector<Control> sketchLabels; // fixed texts shown on the preview
    BaseRule basePoint;
    std::function<Steps(const FormState &)> leftRows; // the left jamb at angle 0
    TabOrder tabOrder = TabOrder::InputsFirst;
};

FormDefinition defineJambForm(const JambForm &jamb);

// The script of the chosen side and angle, or the message when either is missing.
Outcome drawJamb(const FormState &state, const Steps &leftRows);

} // namespace quendra
