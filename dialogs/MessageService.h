#pragma once

#include "rules/Outcome.h"

#include <QString>

#include <deque>
#include <vector>

class QWidget;

namespace quendra {

// Every message box of the program goes through here. In a test it shows nothing: it records
// each box and answers it from a queue (when the queue is empty: OK, or Cancel where there is one,
// else Yes), so nothing blocks and no question asked again loops.
class MessageService
{
public:
    enum class Buttons { Ok, YesNo, YesNoCancel };
    enum class Answer { Ok, Yes, No, Cancel };
    struct Record
    {
        Message message;
        Buttons buttons = Buttons::Ok;
    };

    static constexpr const char *applicationTitle = quendra::applicationTitle;

    explicit MessageService(bool interactive = true) : interactive_(interactive) {}

    Answer show(QWidget *parent, const Message &message, Buttons buttons = Buttons::Ok);
    Answer show(QWidget *parent, const QString &text, Icon icon = Icon::Exclamation,
                const QString &title = QStringLiteral("Quendra_LT"), Buttons buttons = Buttons::Ok);
    // The beep of the digit filter.
    void beep();

    // For tests.
    void queueAnswer(Answer a) { answers_.push_back(a); }
    const std::vector<Record> &history() const { return history_; }
    int beeps() const { return beeps_; }
    void clear();

private:
    bool interactive_;
    std::deque<Answer> answers_;
    std::vector<Record> history_;
    int beeps_ = 0;
};

} // namespace quendra
