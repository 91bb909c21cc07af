#pragma once

#include "rules/FormDefinition.h"

#include <optional>
#include <string>

namespace quendra {

// What pressing one button of a form does, worked out without any window: the dialog and
// quendra-script both act on this.
struct ButtonPress
{
    enum class Navigate { None, Back, Exit };
    Outcome outcome;
    bool minimiseBeforeSending = false; // the base point: the CAD window must be free for the pick
    bool minimiseAfterSending = false;  // the draw buttons' closing step
    std::string focus;                  // the input that gets the focus after sending
    Navigate navigate = Navigate::None;
};

// The string that asks the CAD host for the base point.
inline constexpr const char *basePointScript = "ID\r";

ButtonPress press(const FormDefinition &form, const FormState &state, const std::string &button);

// The case of a fitting angle compared exactly with 0, 90, 180 and 270; nullopt for any other.
std::optional<int> fittingAngle(double degrees);
std::optional<int> fittingAngle(std::optional<double> degrees);

} // namespace quendra
