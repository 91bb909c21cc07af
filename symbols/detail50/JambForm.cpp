#include "symbols/detail50/JambForm.h"

#include "symbols/common/FormParts.h"

#include <initializer_list>
#include <optional>

namespace quendra {

namespace {

constexpr const char *sideMessage = "作図方向を指示して下さい。";
constexpr const char *angleGroup = "作図角度";

struct AngleOption
{
    const char *name;
    const char *caption;
    int degrees;
};

// Tested in this order; the first selected wins.
constexpr AngleOption angleOptions[] = {
    {"Option3", "０度", 0},
    {"Option4", "９０度", 90},
    {"Option5", "１８０度", 180},
    {"Option6", "２７０度", 270},
};

std::optional<int> chosenAngle(const FormState &s)
{
    for (const AngleOption &a : angleOptions)
        if (s.checked(a.name)) return a.degrees;
    return std::nullopt;
}

std::vector<Control> sideAndAngleOptions(const std::string &sideGroup)
{
    std::vector<Control> out = {
        option("Option1", "左側", true, sideGroup),
        option("Option2", "右側", false, sideGroup),
    };
    for (const AngleOption &a : angleOptions)
        out.push_back(option(a.name, a.caption, a.degrees == 0, angleGroup));
    return out;
}

std::vector<std::string> namesOf(const std::vector<Control> &controls)
{
    std::vector<std::string> out;
    for (const Control &c : controls)
        if (c.kind != Control::Kind::Label) out.push_back(c.name);
    return out;
}

std::vector<std::string> joined(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> out;
    for (const auto &part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

} // namespace

Outcome drawJamb(const FormState &s, const Steps &leftRows)
{
    if (!s.checked("Option1") && !s.checked("Option2")) return rejected(sideMessage);
    const bool left = s.checked("Option1");
    const auto angle = chosenAngle(s);
    if (!angle) return rejected(angleMessage);
    return Outcome().send(script("LINE ", turned(left ? leftRows : mirrored(leftRows), *angle)));
}

FormDefinition defineJambForm(const JambForm &jamb)
{
    FormDefinition f;
    f.name = jamb.name;
    f.caption = jamb.caption;
    f.menu = jamb.menu;
    const std::vector<Control> options = sideAndAngleOptions(jamb.sideGroup);
    f.controls = jamb.inputs;
    f.controls.insert(f.controls.end(), options.begin(), options.end());
    f.controls.insert(f.controls.end(), jamb.sketchLabels.begin(), jamb.sketchLabels.end());

    const auto rows = jamb.leftRows;
    const std::string first = jamb.inputs.front().name;
    f.buttons = standardButtons(
        jamb.drawCaption, jamb.basePoint, [rows](const FormState &s) { return drawJamb(s, rows(s)); }, first);

    const std::vector<std::string> inputs = namesOf(jamb.inputs);
    const std::vector<std::string> buttons = {"Command1", "Command2", "Command4", "Command3"};
    const std::vector<std::string> optionNames = namesOf(options);
    f.tabOrder = jamb.tabOrder == JambForm::TabOrder::InputsFirst ? joined({inputs, buttons, optionNames})
                                                                  : joined({buttons, optionNames, inputs});
    return f;
}

} // namespace quendra
