#include "dialogs/DialogPlacement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <algorithm>
#include <array>

namespace quendra {

namespace {

// The user's moves are written a moment after the last one, not at every step of a drag.
constexpr int saveDelayMs = 300;

QPoint clampedInto(const QRect &frame, const QRect &area)
{
    const int x = std::max(area.left(), std::min(frame.left(), area.right() + 1 - frame.width()));
    const int y = std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - frame.height()));
    return {x, y};
}

qint64 overlap(const QRect &a, const QRect &b)
{
    const QRect both = a.intersected(b);
    return both.isEmpty() ? 0 : qint64(both.width()) * both.height();
}

// The screen that holds a point given in device pixels.
QScreen *screenAtDevicePoint(QPoint p)
{
    for (QScreen *s : QGuiApplication::screens()) {
        const QRect g = s->geometry();
        if (QRect(g.topLeft(), (QSizeF(g.size()) * s->devicePixelRatio()).toSize()).contains(p)) return s;
    }
    return QGuiApplication::primaryScreen();
}

// The host tells device pixels; Qt keeps a screen's top left where the device has it and scales
// what lies beyond it.
QRect fromDevicePixels(const ScreenRect &r, const QScreen &screen)
{
    const QPointF origin = screen.geometry().topLeft();
    const qreal ratio = screen.devicePixelRatio();
    const QPointF topLeft = origin + (QPointF(r.left, r.top) - origin) / ratio;
    return {topLeft.toPoint(), (QSizeF(r.width, r.height) / ratio).toSize()};
}

QList<QRect> availableScreens()
{
    QList<QRect> areas;
    if (const QScreen *primary = QGuiApplication::primaryScreen()) areas.append(primary->availableGeometry());
    for (const QScreen *s : QGuiApplication::screens())
        if (s != QGuiApplication::primaryScreen()) areas.append(s->availableGeometry());
    return areas;
}

} // namespace

QPoint besideHost(QSize size, const QRect &window, const QRect &drawing, const QRect &screen)
{
    const int w = size.width();
    const int h = size.height();
    // Right of the window first, where the eye goes from the drawing to the dialog and back.
    const std::array<QPoint, 6> places{QPoint(window.right() + 1, drawing.top()),
                                       QPoint(window.left() - w, drawing.top()),
                                       QPoint(drawing.right() + 1, drawing.top()),
                                       QPoint(drawing.left() - w, drawing.top()),
                                       QPoint(drawing.right() + 1 - w, drawing.bottom() + 1),
                                       QPoint(drawing.right() + 1 - w, drawing.top() - h)};
    QPoint best;
    qint64 least = -1;
    for (const QPoint &p : places) {
        const QPoint kept = clampedInto(QRect(p, size), screen);
        const qint64 covered = overlap(QRect(kept, size), drawing);
        if (least < 0 || covered < least) {
            least = covered;
            best = kept;
        }
    }
    return best;
}

QPoint keptOnScreen(const QRect &frame, const QList<QRect> &screens)
{
    if (screens.isEmpty()) return frame.topLeft();
    const QRect *home = &screens.first();
    qint64 most = 0;
    for (const QRect &s : screens) {
        if (const qint64 shown = overlap(frame, s); shown > most) {
            most = shown;
            home = &s;
        }
    }
    return clampedInto(frame, *home);
}

DialogPlacement::DialogPlacement(QWidget &dialog, HostTeller host)
    : QObject(&dialog), dialog_(dialog), host_(std::move(host)),
      key_(QStringLiteral("dialogs/%1/place").arg(dialog.objectName())), placed_(dialog.pos())
{
    const QVariant place = QSettings().value(key_);
    if (place.canConvert<QPoint>() && place.isValid()) remembered_ = place.toPoint();
    saving_.setSingleShot(true);
    saving_.setInterval(saveDelayMs);
    connect(&saving_, &QTimer::timeout, this, &DialogPlacement::save);
    // Before the window exists: once it does, the window system may take a first place for the
    // window's inside rather than its frame.
    if (remembered_) moveTo(keptOnScreen(QRect(*remembered_, dialog.size()), availableScreens()));
    dialog.installEventFilter(this);
}

DialogPlacement::~DialogPlacement()
{
    if (saving_.isActive()) save();
}

void DialogPlacement::beforeReturn()
{
    placeAgain();
}

bool DialogPlacement::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != &dialog_) return false;
    if (event->type() == QEvent::Show && !event->spontaneous()) {
        // The first opening keeps the place the dialog was given when it was made.
        if (opened_) placeAgain();
        opened_ = true;
    } else if (event->type() == QEvent::Move && event->spontaneous() && dialog_.isVisible() &&
               !dialog_.isMinimized() && dialog_.pos() != placed_) {
        // Moved by the window system, not by us: the user's place.
        placed_ = dialog_.pos();
        remembered_ = placed_;
        saving_.start();
    }
    return false;
}

void DialogPlacement::placeAgain()
{
    if (remembered_)
        moveTo(keptOnScreen(QRect(*remembered_, dialog_.frameGeometry().size()), availableScreens()));
    else
        moveBesideHost();
}

bool DialogPlacement::moveBesideHost()
{
    const std::optional<HostPlace> place = host_ ? host_() : std::nullopt;
    if (!place) return false;
    const ScreenRect &w = place->window;
    const QScreen *screen = screenAtDevicePoint(QPoint(w.left + w.width / 2, w.top + w.height / 2));
    if (!screen) return false;
    const QRect window = fromDevicePixels(place->window, *screen);
    const QRect drawing = fromDevicePixels(place->drawing, *screen);
    moveTo(besideHost(dialog_.frameGeometry().size(), window, drawing, screen->availableGeometry()));
    return true;
}

void DialogPlacement::moveTo(QPoint place)
{
    placed_ = place;
    dialog_.move(place);
}

void DialogPlacement::save()
{
    saving_.stop();
    if (remembered_) QSettings().setValue(key_, *remembered_);
}

} // namespace quendra
