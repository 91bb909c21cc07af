#include "dialogs/DigitFilter.h"

#include <QKeyEvent>

namespace quendra {

bool DigitFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab || key->key() == Qt::Key_Escape)
        return false;
    const QString typed = key->text();
    if (typed.isEmpty())
        return false;
    if (typed.size() == 1 && typed.at(0) >= QLatin1Char('0') && typed.at(0) <= QLatin1Char('9'))
        return false;
    beep_();
    return true;
}

} // namespace quendra
