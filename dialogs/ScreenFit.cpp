#include "dialogs/ScreenFit.h"

#include <QComboBox>
#include <QLayout>
#include <QLineEdit>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QWidget>

#include <algorithm>

namespace quendra {

namespace {

// The smallest font a window is given to fit its screen, as a share of its own and in points.
constexpr double smallestShare = 0.7;
constexpr double smallestPoints = 6.0;
constexpr double fontStep = 0.5;

// Room for the frame and title the window system adds, where it has not told yet.
QSize frameAllowance(const QWidget &window)
{
    const QSize known = window.frameGeometry().size() - window.size();
    return known.isEmpty() ? QSize(8, 32) : known;
}

QSize wanted(QWidget &content)
{
    if (QLayout *l = content.layout()) l->activate();
    return content.sizeHint().expandedTo(content.minimumSizeHint());
}

bool fits(QSize size, QSize room)
{
    return size.width() <= room.width() && size.height() <= room.height();
}

} // namespace

void keepRoomForDigits(QWidget &box)
{
    const QFontMetrics fm = box.fontMetrics();
    const QSize digits(fm.horizontalAdvance(QStringLiteral("00000")) + 4, fm.height());
    QSize need;
    if (auto *combo = qobject_cast<QComboBox *>(&box)) {
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.editable = combo->isEditable();
        need = combo->style()->sizeFromContents(QStyle::CT_ComboBox, &option, digits, combo);
    } else if (auto *edit = qobject_cast<QLineEdit *>(&box)) {
        QStyleOptionFrame option;
        option.initFrom(edit);
        option.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
        need = edit->style()->sizeFromContents(QStyle::CT_LineEdit, &option, digits, edit);
    }
    if (need.width() > box.minimumWidth()) box.setMinimumWidth(need.width());
}

void fitToScreen(QWidget &window, QWidget &content)
{
    const QScreen *screen = window.screen();
    if (!screen) return;
    const QSize room = screen->availableGeometry().size() - frameAllowance(window);
    QSize size = wanted(content);
    QFont font = window.font();
    const double own = font.pointSizeF();
    if (own > 0) {
        const double smallest = std::max(own * smallestShare, smallestPoints);
        for (double points = own - fontStep; !fits(size, room) && points >= smallest; points -= fontStep) {
            font.setPointSizeF(points);
            window.setFont(font);
            size = wanted(content);
        }
    }
    if (!fits(size, room)) {
        // Scrolled: the bars take room of their own.
        const int bar = window.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &window);
        size = QSize(size.width() + bar, size.height() + bar);
    }
    window.resize(size.boundedTo(room));
}

} // namespace quendra
