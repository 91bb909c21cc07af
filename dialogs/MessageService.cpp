#include "dialogs/MessageService.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>

namespace quendra {

namespace {

QMessageBox::Icon boxIcon(Icon icon)
{
    switch (icon) {
    case Icon::Exclamation:
        return QMessageBox::Warning;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::None:
        return QMessageBox::NoIcon;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons boxButtons(MessageService::Buttons buttons)
{
    switch (buttons) {
    case MessageService::Buttons::Ok:
        return QMessageBox::Ok;
    case MessageService::Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageService::Buttons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

MessageService::Answer answerOf(int button)
{
    switch (button) {
    case QMessageBox::Yes:
        return MessageService::Answer::Yes;
    case QMessageBox::No:
        return MessageService::Answer::No;
    case QMessageBox::Cancel:
        return MessageService::Answer::Cancel;
    default:
        return MessageService::Answer::Ok;
    }
}

} // namespace

MessageService::Answer MessageService::show(QWidget *parent, const Message &message, Buttons buttons)
{
    Message m = message;
    if (m.title.empty()) m.title = applicationTitle;
    history_.push_back({m, buttons});
    if (!interactive_) {
        if (!answers_.empty()) {
            const Answer a = answers_.front();
            answers_.pop_front();
            return a;
        }
        return buttons == Buttons::Ok            ? Answer::Ok
               : buttons == Buttons::YesNoCancel ? Answer::Cancel
                                                 : Answer::Yes;
    }
    QMessageBox box(boxIcon(m.icon), QString::fromStdString(m.title), QString::fromStdString(m.text),
                    boxButtons(buttons), parent);
    if (buttons != Buttons::Ok) box.setDefaultButton(QMessageBox::Yes);
    // Wide enough for its whole title ("Quendra_LT for Windows95"), with room for the title bar's
    // own buttons: a message box is otherwise only as wide as its text.
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout())) {
        const int titleWidth =
            QFontMetrics(QApplication::font("QMdiSubWindowTitleBar")).horizontalAdvance(box.windowTitle()) +
            160;
        grid->addItem(new QSpacerItem(titleWidth, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    return answerOf(box.exec());
}

MessageService::Answer MessageService::show(QWidget *parent, const QString &text, Icon icon,
                                            const QString &title, Buttons buttons)
{
    return show(parent, Message{text.toStdString(), icon, title.toStdString()}, buttons);
}

void MessageService::beep()
{
    ++beeps_;
    if (interactive_) QApplication::beep();
}

void MessageService::clear()
{
    history_.clear();
    answers_.clear();
    beeps_ = 0;
}

} // namespace quendra
