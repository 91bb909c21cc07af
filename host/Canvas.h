#pragma once

#include "cad/Render.h"
#include "cad/Snap.h"

#include <QAbstractScrollArea>
#include <QImage>

#include <optional>

namespace host {

class HostSession;

// The drawing on screen: pan with the middle button or the scroll bars, zoom about the cursor
// with the wheel, a crosshair, picks that snap to end, mid and centre points, and a grid.
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
    bool gridVisible() const { return grid_; }
    bool snapEnabled() const { return snap_; }
    // Draws the canvas as it is now into an image (the screenshot of a test or the user).
    QImage grab();

signals:
    void cursorMoved(double x, double y);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void leaveEvent(QEvent *event) override;
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
    void updateSnap();

    HostSession &session_;
    cad::ViewTransform view_;
    cad::RenderStyle style_;
    QImage cache_;
    bool cacheValid_ = false;
    std::optional<QPointF> cursor_;
    std::optional<cad::SnapPoint> snapPoint_;
    std::optional<QPoint> panFrom_;
    bool grid_ = false;
    bool snap_ = true;
    // The area the scroll bars move over, fixed while they are dragged.
    cad::Box scrollArea_;
    bool updatingBars_ = false;
};

} // namespace host
