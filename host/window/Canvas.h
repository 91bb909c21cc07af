#pragma once

#include "cad/model/Snap.h"
#include "cad/render/Render.h"

#include <QAbstractScrollArea>
#include <QImage>

#include <optional>

namespace host {

class HostSession;

// A snap's name as menus and the marker show it ("端点", "中点"...).
QString snapName(cad::SnapPoint::Kind kind);
// Every kind of snap, in the order menus list them.
inline constexpr cad::SnapPoint::Kind allSnaps[] = {
    cad::SnapPoint::Kind::End,      cad::SnapPoint::Kind::Mid,           cad::SnapPoint::Kind::Intersection,
    cad::SnapPoint::Kind::Apparent, cad::SnapPoint::Kind::Centre,        cad::SnapPoint::Kind::Quadrant,
    cad::SnapPoint::Kind::Insert,   cad::SnapPoint::Kind::Perpendicular, cad::SnapPoint::Kind::Nearest};

// The drawing on screen: pan with the middle button or the scroll bars, zoom about the cursor
// with the wheel, a crosshair, a grid, and picks that snap: to objects (the running snap, or a
// kind typed for one pick), to the grid, square to the last point (ortho) or along a tracked
// angle from it (polar). Only picks snap:
// points typed or sent in scripts are taken as they are.
class Canvas : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit Canvas(HostSession &session, QWidget *parent = nullptr);

    const cad::ViewTransform &view() const { return view_; }
    // The part of the drawing on screen.
    cad::Box visibleBox() const;
    void setView(const cad::ViewTransform &view);
    void zoomExtents();
    void zoomBy(double factor);
    void setGridVisible(bool visible);
    void setSnapEnabled(bool enabled);
    void setGridSnap(bool enabled);
    void setOrtho(bool enabled);
    // Polar tracking (F10): picks near a multiple of the angle from the last point go along it.
    // Ortho and polar tracking exclude each other, as drafters know them.
    void setPolar(bool enabled);
    void setPolarAngle(double degrees);
    // The grid's spacing in drawing units, shown and snapped to; a spacing that is no number
    // above zero is ignored.
    void setGridSpacing(double spacing);
    // One pick snaps to this kind only (END, INT... typed at a point prompt).
    void setSnapOverride(cad::SnapPoint::Kind kind);
    // The kinds the running snap looks for (the snap settings dialog).
    void setRunningSnaps(cad::SnapModes modes);
    cad::SnapModes runningSnaps() const { return running_; }
    // M2P: the next two points given (picked, snapped or typed) make one, the point midway.
    void startMidBetween();
    bool midBetweenActive() const { return midBetween_; }
    // A point typed while M2P gathers its two: taken here (true), else it goes on as input.
    bool takeTypedPoint(const QString &text);
    bool gridVisible() const { return grid_; }
    bool snapEnabled() const { return snap_; }
    bool gridSnap() const { return gridSnap_; }
    bool ortho() const { return ortho_; }
    bool polar() const { return polar_; }
    double polarAngle() const { return polarAngle_; }
    double gridSpacing() const { return gridSpacing_; }
    std::optional<cad::SnapPoint::Kind> snapOverride() const { return override_; }
    // The point a click at `device` picks: snapped to an object, or to the grid, or square.
    cad::Point pickPoint(QPointF device) const;
    // The drafting aids that are on, for the status bar ("スナップ グリッド 直交").
    QString modeText() const;
    // At the command prompt: a click selects what it hits, a drag selects by window (to the
    // right) or crossing (to the left); with Shift it removes. Ctrl+A takes all.
    void selectAll();
    // Selection cycling (Shift+Space): of the objects under the cursor, the next one is selected
    // in place of the one before; the first Shift+Space after a click takes the second.
    void cycleSelection();
    // Draws the canvas as it is now into an image (the screenshot of a test or the user).
    QImage grab();

signals:
    // The point a click would pick now.
    void cursorMoved(double x, double y);
    void modesChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void leaveEvent(QEvent *event) override;
    // The one-off snaps and M2P, as a menu at the cursor.
    void contextMenuEvent(QContextMenuEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    QRectF target() const { return QRectF(viewport()->rect()); }
    void zoomAbout(double factor, QPointF device);
    void viewChanged();
    void updateScrollBars();
    void scrolled();
    void renderCache();
    void paintGrid(QPainter &painter) const;
    void paintOverlay(QPainter &painter);
    void paintSelection(QPainter &painter);
    void paintSelected(QPainter &painter, const std::vector<std::size_t> &indices, bool grips);
    void updateSnap();
    // A point for the running command: the pick itself, or M2P's first or middle point.
    void givePoint(cad::Point p);

    HostSession &session_;
    cad::ViewTransform view_;
    cad::RenderStyle style_;
    QImage cache_;
    bool cacheValid_ = false;
    std::optional<QPointF> cursor_;
    std::optional<cad::SnapPoint> snapPoint_;
    std::optional<QPoint> panFrom_;
    // Where the left button went down, for a selection window.
    std::optional<QPointF> pressAt_;
    bool pressInCommand_ = false;
    void selectAt(QPointF from, QPointF to, bool remove);
    bool grid_ = false;
    bool snap_ = true;
    bool gridSnap_ = false;
    bool ortho_ = false;
    bool polar_ = false;
    double polarAngle_ = 45;
    double gridSpacing_ = 100; // 100 mm: a tenth of a metre module at 1:100
    std::optional<cad::SnapPoint::Kind> override_;
    cad::SnapModes running_ = cad::runningSnaps;
    bool midBetween_ = false;
    std::vector<std::size_t> cycle_;
    std::size_t cycleAt_ = 0;
    std::optional<cad::Point> midFirst_;
    // The area the scroll bars move over, fixed while they are dragged.
    cad::Box scrollArea_;
    bool updatingBars_ = false;
};

} // namespace host
