#include "host/window/CommandLine.h"

#include "host/session/HostSession.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>

namespace host {

CommandLine::CommandLine(HostSession &session, QWidget *parent)
    : QWidget(parent), session_(session), history_(new QPlainTextEdit(this)), prompt_(new QLabel(this)),
      input_(new QLineEdit(this))
{
    QFont font(QStringLiteral("IPAGothic"));
    font.setStyleHint(QFont::Monospace);
    font.setPointSize(10);
    history_->setFont(font);
    prompt_->setFont(font);
    input_->setFont(font);
    history_->setReadOnly(true);
    history_->setMaximumBlockCount(5000);
    history_->setFocusPolicy(Qt::ClickFocus);
    history_->setObjectName(QStringLiteral("history"));
    input_->setObjectName(QStringLiteral("commandInput"));
    input_->setFrame(false);
    input_->installEventFilter(this);

    auto *line = new QHBoxLayout;
    line->setContentsMargins(4, 2, 4, 2);
    line->addWidget(prompt_);
    line->addWidget(input_, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(history_, 1);
    layout->addLayout(line);

    prompt_->setText(QString::fromStdString(session_.interpreter().prompt()));
    connect(&session_, &HostSession::promptChanged, prompt_, &QLabel::setText);
    connect(&session_, &HostSession::historyAdded, this, [this](const QStringList &lines) {
        for (const QString &l : lines)
            history_->appendPlainText(l);
        history_->verticalScrollBar()->setValue(history_->verticalScrollBar()->maximum());
    });
    connect(input_, &QLineEdit::returnPressed, this, [this] { send(QStringLiteral("\n")); });
}

void CommandLine::send(const QString &ending)
{
    const QString text = input_->text();
    if (!text.isEmpty() && (typed_.isEmpty() || typed_.back() != text)) typed_ << text;
    recallAt_ = static_cast<int>(typed_.size());
    input_->clear();
    const bool atPoint =
        !session_.interpreter().commandName().empty() && !session_.interpreter().readsTextLine();
    const QString word = text.trimmed().toUpper();
    const auto kind = cad::snapOverride(word.toStdString());
    if (atPoint && (kind || word == QLatin1String("M2P") || word == QLatin1String("MTP"))) {
        session_.note(QString::fromStdString(session_.interpreter().prompt()) + word);
        if (kind)
            emit snapOverrideTyped(*kind);
        else
            emit midBetweenTyped();
        return;
    }
    if (atPoint && !text.trimmed().isEmpty() && takesLine && takesLine(text)) return;
    session_.type(text + ending);
}

void CommandLine::recall(int step)
{
    if (typed_.isEmpty()) return;
    recallAt_ = std::clamp(recallAt_ + step, 0, static_cast<int>(typed_.size()));
    input_->setText(recallAt_ < typed_.size() ? typed_[recallAt_] : QString());
}

bool CommandLine::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != input_) return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::ShortcutOverride) {
        // With nothing typed, undo, redo and select all belong to the drawing, not to the input line.
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool undoRedo = key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
                              key->keyCombination() == QKeyCombination(Qt::CTRL, Qt::Key_Y) ||
                              key->matches(QKeySequence::SelectAll);
        if (undoRedo && input_->text().isEmpty()) {
            event->ignore();
            return true;
        }
        return false;
    }
    if (event->type() != QEvent::KeyPress) return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    switch (key->key()) {
    case Qt::Key_Escape:
        input_->clear();
        session_.cancel();
        return true;
    case Qt::Key_Space:
        if (session_.interpreter().readsTextLine()) return false;
        // Shift+Space with nothing typed: the next object under the cursor (selection cycling).
        if (key->modifiers() == Qt::ShiftModifier && input_->text().isEmpty()) {
            emit cycleTyped();
            return true;
        }
        send(QStringLiteral(" "));
        return true;
    case Qt::Key_Up:
        recall(-1);
        return true;
    case Qt::Key_Down:
        recall(1);
        return true;
    default:
        return false;
    }
}

} // namespace host
