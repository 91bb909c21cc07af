#pragma once

#include <QObject>

#include <functional>

class QComboBox;

namespace quendra {

// The key filter of the angle boxes: a typed character passes only if it is a digit; any other
// character (minus, point, Backspace, Enter, Ctrl combinations) is swallowed with a beep. Keys
// that type nothing (arrows, Tab) and Esc, which presses the back button, pass untouched.
// Text that arrives otherwise than by key (an input method's commit, a paste, a drop) is held to
// the same rule: its non-digits are dropped, with a beep.
class DigitFilter : public QObject
{
public:
    DigitFilter(std::function<void()> beep, QObject *parent) : QObject(parent), beep_(std::move(beep)) {}

    // Puts the filter on an editable combo box: on the box itself, which takes the focus and hands
    // keys straight to its line edit, on the line edit, and on whatever else changes its text.
    static void install(QComboBox *box, std::function<void()> beep);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void()> beep_;
};

} // namespace quendra
