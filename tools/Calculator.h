#pragma once

#include "tools/CalculatorLogic.h"

#include <QDialog>

#include <functional>

class QKeyEvent;
class QLabel;
class QPushButton;

namespace quendra {

// The calculator window dentaku: a readout and a keypad worked with the mouse. Where it leads
// and how its messages are shown is the application's business, given as callbacks.
class Calculator : public QDialog
{
    Q_OBJECT

public:
    struct Hooks
    {
        // Shows one message box (exclamation icon, OK) with the given text and title.
        std::function<void(const QString &text, const QString &title)> showMessage;
        // "戻る(&R)": show the main window. The calculator hides itself afterwards.
        std::function<void()> onBack;
        // "Quendra_LTの終了(&Q)": show the exit dialog. The calculator hides itself afterwards.
        std::function<void()> onQuit;
        // The close box, after endMessage: end the program.
        std::function<bool()> onCloseBox; // false: the program goes on
    };

    static constexpr const char *caption = "Quendra_LT(簡易電卓)";
    static constexpr const char *endMessage = quendra::endMessage;
    static constexpr const char *endTitle = "Quendra_LT";

    explicit Calculator(Hooks hooks, QWidget *parent = nullptr);

    const CalculatorLogic &logic() const { return logic_; }
    QString readoutText() const;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildMenu();
    void buildKeypad();
    QPushButton *makeKey(const QString &caption, const QString &name, int index);
    void press(const QString &caption);
    // The caption of the key a key press stands for; "" for none.
    static QString keyCaption(const QKeyEvent &event);
    void leaveFor(const std::function<void()> &next);
    void centre();

    Hooks hooks_;
    CalculatorLogic logic_;
    QLabel *readout_ = nullptr;
    bool loaded_ = false;
};

} // namespace quendra
