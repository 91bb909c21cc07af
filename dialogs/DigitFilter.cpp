#include "dialogs/DigitFilter.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QValidator>

namespace quendra {

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The last guard: whatever reaches the line edit's text (a commit, a paste, a drop) keeps only
// its digits, and a beep says that something was dropped.
class DigitsOnly : public QValidator
{
public:
    DigitsOnly(std::function<void()> beep, QObject *parent) : QValidator(parent), beep_(std::move(beep)) {}

    State validate(QString &input, int &pos) const override
    {
        const qsizetype before = input.size();
        QString kept;
        int keptBeforeCursor = 0;
        for (qsizetype i = 0; i < before; ++i) {
            if (!isDigit(input.at(i))) continue;
            kept.append(input.at(i));
            if (i < pos) ++keptBeforeCursor;
        }
        if (kept.size() == before) return Acceptable;
        input = kept;
        pos = keptBeforeCursor;
        beep_();
        return Acceptable;
    }

private:
    std::function<void()> beep_;
};

} // namespace

void DigitFilter::install(QComboBox *box, std::function<void()> beep)
{
    auto *filter = new DigitFilter(beep, box);
    box->installEventFilter(filter);
    box->lineEdit()->installEventFilter(filter);
    box->lineEdit()->setValidator(new DigitsOnly(std::move(beep), box));
}

bool DigitFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab || key->key() == Qt::Key_Escape)
        return false;
    // A Ctrl combination types a control character, even where the platform leaves the text empty.
    const bool control = (key->modifiers() & Qt::ControlModifier) && key->key() >= Qt::Key_Space &&
                         key->key() <= Qt::Key_AsciiTilde;
    const QString typed = key->text();
    if (typed.isEmpty() && !control) return false;
    if (!control && typed.size() == 1 && isDigit(typed.at(0))) return false;
    beep_();
    return true;
}

} // namespace quendra
