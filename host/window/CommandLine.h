#pragma once

#include "cad/model/Snap.h"

#include <QStringList>
#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace host {

class HostSession;

// The command history above, the prompt and the input line below. A blank or Enter sends what
// was typed (a blank stays text where the prompt takes text); Escape cancels; Up and Down recall
// earlier inputs.
class CommandLine : public QWidget
{
    Q_OBJECT

public:
    explicit CommandLine(HostSession &session, QWidget *parent = nullptr);
    QLineEdit *input() const { return input_; }
    // Asked first with every line typed while a command runs; true: taken (an M2P point).
    std::function<bool(const QString &)> takesLine;

signals:
    // END, INT... typed while a command runs: the next pick snaps to that kind only. Never
    // passed on as input, so a script's points never snap.
    void snapOverrideTyped(cad::SnapPoint::Kind kind);
    // M2P (or MTP) typed while a command runs: the next two points make the one midway.
    void midBetweenTyped();
    // Shift+Space: select the next of the objects under the cursor.
    void cycleTyped();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void send(const QString &ending);
    void recall(int step);

    HostSession &session_;
    QPlainTextEdit *history_;
    QLabel *prompt_;
    QLineEdit *input_;
    QStringList typed_;
    int recallAt_ = 0;
};

} // namespace host
