#pragma once

#include "link/HostPlace.h"

#include <QList>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>

class QWidget;

namespace quendra {

// Where a symbol dialog stands. It first opens where the form puts it (the middle of the screen).
// Once the user has moved it, it stands where it was left, in this run and the next, on a screen
// that is still there. Without such a place it comes back beside the CAD host's window, off the
// drawing, where the host can tell where that is: when it returns after a pick or a draw, and when
// it is opened again.
class DialogPlacement : public QObject
{
public:
    using HostTeller = std::function<std::optional<HostPlace>()>;

    // Watches the dialog (named by its object name) and places it as it opens; made before the
    // dialog is first shown, after the dialog has its form's place and size.
    DialogPlacement(QWidget &dialog, HostTeller host);
    ~DialogPlacement() override;

    // Before the dialog comes back by itself, restored from minimised.
    void beforeReturn();
    // Where the user left the dialog, if anywhere.
    std::optional<QPoint> remembered() const { return remembered_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void placeAgain();
    bool moveBesideHost();
    void moveTo(QPoint place);
    void save();

    QWidget &dialog_;
    HostTeller host_;
    QString key_;
    std::optional<QPoint> remembered_;
    QPoint placed_;
    bool opened_ = false;
    QTimer saving_;
};

// The place for a window frame of `size` beside the host's window, the one of the places around
// the window and its drawing area that covers least of the drawing on `screen`.
QPoint besideHost(QSize size, const QRect &window, const QRect &drawing, const QRect &screen);
// A frame's place moved onto the screen it shows most on (the first when it shows on none),
// whole where it fits.
QPoint keptOnScreen(const QRect &frame, const QList<QRect> &screens);

} // namespace quendra
