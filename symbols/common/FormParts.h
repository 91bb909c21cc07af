#pragma once

// The pieces most forms share, so that a definition lists only what is its own.

#include "rules/ButtonPress.h"
#include "rules/FormDefinition.h"

#include <optional>
#include <string>
#include <vector>

namespace quendra {

Control combo(std::string name, std::string caption, std::string text, std::vector<std::string> items);
Control textBox(std::string name, std::string caption, std::string text);
Control option(std::string name, std::string caption, bool selected, std::string group = {},
               std::optional<Anchor> anchor = std::nullopt);
Control checkBox(std::string name, std::string caption, bool checked);
Button button(std::string name, std::string caption, Button::Role role);
// The angle box "建具角度(&R)": Combo2, "0", the four angles, digits only.
Control angleCombo();

// The four buttons of most dialogs: Command1 base point, Command2 draw, Command3 exit,
// Command4 back (Esc). After a draw the focus goes to `focusAfter` and the dialog minimises.
std::vector<Button> standardButtons(std::string drawCaption, BaseRule basePoint, DrawFunction draw,
                                    std::string focusAfter = "Combo1");
// The base-point check of the lenient width in `input` against `threshold`.
BaseRule widthAtLeast(double threshold, std::string input = "Combo1");

inline constexpr const char *angleMessage = "正しい角度を入力して下さい。";
inline constexpr const char *numberMessage = "入力された数値が正しくありません。";
inline constexpr const char *retypeMessage = "数値を入力し直して下さい。";

} // namespace quendra
