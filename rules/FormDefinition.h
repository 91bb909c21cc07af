#pragma once

#include "rules/FormState.h"
#include "rules/Outcome.h"

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quendra {

// A place on the dialog's preview, as fractions of its width and height from the top left:
// option buttons that the sketch puts at a jamb or a corner sit there.
struct Anchor
{
    double x = 0;
    double y = 0;
    // Set: the place is the start (or end) of that entity of the drawing shown, a jamb line, so
    // the button follows it as the drawing turns or grows and sits just outside the drawing
    // there. The fractions serve while nothing is drawn.
    int entity = -1;
    bool atEnd = false;
};

// The side of the preview where a group of inputs and buttons stands, next to what it draws.
enum class Side { None, Above, Below, Left, Right };

struct Control
{
    enum class Kind { Combo, Text, Option, Check, Label };
    std::string name; // "Combo1", "Text1", "Option1", "Check1", "Label1"
    Kind kind = Kind::Text;
    std::string caption; // label of a combo or text box ("W寸法(&W)"); own caption otherwise
    std::string text;    // initial text of a combo or text box
    std::vector<std::string> items;
    bool checked = false; // initial value of an option button or check box
    bool enabled = true;
    bool digitsOnly = false; // the digit filter of the angle boxes
    bool editable = true;    // false: a drop-down list whose text is one of its items
    std::string group;       // frame caption that groups option buttons; "" is the form's own group
    std::string labelName;   // name of the label of a combo or text box ("Label3"), for enable rules
    std::optional<Anchor> anchor;
    bool beside = false;    // a combo or text box on the row of the one before, to its right
    Side side = Side::None; // stands beside the preview with the others of that side
};

enum class Reading { None, Lenient, Strict };

// The base-point check: the input read, its reading, the least valid value and the message.
struct BaseRule
{
    std::string input;
    Reading reading = Reading::None;
    double threshold = 0;
    std::string message = "入力された数値が正しくありません。";
};

using DrawFunction = std::function<Outcome(const FormState &)>;

struct Button
{
    enum class Role { BasePoint, Draw, Back, Exit };
    std::string name; // "Command1"
    std::string caption;
    Role role = Role::Draw;
    bool isDefault = false;    // Enter presses it
    bool isCancel = false;     // Esc presses it
    BaseRule rule;             // base-point buttons
    DrawFunction draw;         // draw buttons
    std::string focusAfter;    // draw buttons: the input that gets the focus after sending; "" none
    bool minimiseAfter = true; // draw buttons: minimise after sending
    bool enabled = true;
    Side side = Side::None; // stands beside the preview with the inputs of that side
};

// A check box that enables or disables other controls by its value.
struct CheckToggle
{
    std::string check;
    std::vector<std::string> targets;
    bool enabledWhenChecked = true;
};

// Clicking or focusing one of the triggers enables some controls and disables others.
struct Activation
{
    std::vector<std::string> triggers;
    std::vector<std::string> enable;
    std::vector<std::string> disable;
};

// A form's entry in the main window's symbol menu: the object name of the submenu it sits in, its
// own object name and caption, and its index where entries share a name (a menu array).
struct MenuEntry
{
    MenuEntry() = default;
    MenuEntry(std::string menu, std::string name, std::string caption, int index = -1)
        : menu(std::move(menu)), name(std::move(name)), caption(std::move(caption)), index(index)
    {
    }
    std::string menu; // "" : not on the menu
    std::string name;
    std::string caption;
    int index = -1;
};

struct FormDefinition
{
    enum class CloseStyle { Exclamation, Plain };
    std::string name;              // "fix100"
    std::string caption;           // "Quendra_LT(1/100用FIX窓)"
    MenuEntry menu;                // {"c", "g", "ＦＩＸ窓"}
    std::vector<Control> controls; // in tab order unless tabOrder says otherwise
    std::vector<Button> buttons;
    std::vector<std::string> tabOrder; // control and button names; empty: controls, then buttons
    std::vector<CheckToggle> toggles;
    std::vector<Activation> activations;
    CloseStyle closeStyle = CloseStyle::Exclamation;
    // The message for a number that cannot be written into a script (too large, infinite).
    std::string numberMessage = "入力された数値が正しくありません。";

    const Control *control(const std::string &name) const;
    const Button *button(const std::string &name) const;
    FormState initialState() const;
};

// Sets one control as a user would: the text of a combo or text box (one of its items for a
// drop-down list); "1" selects an option button and clears the others of its group; "0" or "1"
// for a check box. False if the form has no such control or the value does not fit it.
bool setInput(const FormDefinition &form, FormState &state, const std::string &control,
              const std::string &value);

} // namespace quendra
