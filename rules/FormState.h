#pragma once

#include <map>
#include <optional>
#include <string>

namespace quendra {

// The state of a form's controls as a draw function sees it: texts of combo and text boxes,
// values of option buttons and check boxes, by control name.
class FormState
{
public:
    void setText(const std::string &control, std::string text) { texts_[control] = std::move(text); }
    void setChecked(const std::string &control, bool on) { checks_[control] = on; }

    std::string text(const std::string &control) const;
    bool checked(const std::string &control) const;
    // The lenient and strict readings of a control's text.
    double number(const std::string &control) const;
    std::optional<double> strictNumber(const std::string &control) const;

    const std::map<std::string, std::string> &texts() const { return texts_; }
    const std::map<std::string, bool> &checks() const { return checks_; }

private:
    std::map<std::string, std::string> texts_;
    std::map<std::string, bool> checks_;
};

} // namespace quendra
