#pragma once

#include <QObject>

#include <functional>

namespace quendra {

// The key filter of the angle boxes: a typed character passes only if it is a digit; any other
// character (minus, point, Backspace, Enter, Ctrl combinations) is swallowed with a beep. Keys
// that type nothing (arrows, Tab) and Esc, which presses the back button, pass untouched.
class DigitFilter : public QObject
{
public:
    DigitFilter(std::function<void()> beep, QObject *parent) : QObject(parent), beep_(std::move(beep)) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void()> beep_;
};

} // namespace quendra
