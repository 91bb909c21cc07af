#include "host/Canvas.h"

#include "cad/InputReading.h"
#include "host/HostSession.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <cmath>

namespace host {

namespace {

constexpr int scrollSteps = 10000;
constexpr double snapPixels = 10;
constexpr double minScale = 1e-9, maxScale = 1e9;

const QColor background(30, 34, 40);
const QColor gridColor(52, 58, 68);
const QColor crosshairColor(200, 200, 200);
const QColor snapColor(255, 200, 0);

QString snapName(cad::SnapPoint::Kind kind)
{
    switch (kind) {
    case cad::SnapPoint::Kind::End:
        return QStringLiteral("端点");
    case cad::SnapPoint::Kind::Mid:
        return QStringLiteral("中点");
    case cad::SnapPoint::Kind::Centre:
        return QStringLiteral("中心");
    case cad::SnapPoint::Kind::Insert:
        return QStringLiteral("挿入基点");
    }
    return {};
}

// The grid spacing: 1, 2 or 5 times a power of ten, at least this many pixels apart.
double gridSpacing(double scale, double pixels)
{
    const double raw = pixels / scale;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= raw) return m * power;
    return 10 * power;
}

} // namespace

Canvas::Canvas(HostSession &session, QWidget *parent) : QAbstractScrollArea(parent), session_(session)
{
    style_.background = background;
    style_.antialiasing = true;
    setFocusPolicy(Qt::NoFocus);
    viewport()->setMouseTracking(true);
    viewport()->setCursor(Qt::BlankCursor);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    horizontalScrollBar()->setRange(0, scrollSteps);
    verticalScrollBar()->setRange(0, scrollSteps);
    // An A3 sheet at 1:100 until the user moves the view.
    view_.centre = {21000, 14850};
    view_.scale = 0.025;
    connect(&session_, &HostSession::drawingChanged, this, [this] {
        cacheValid_ = false;
        updateScrollBars();
        viewport()->update();
    });
    connect(&session_, &HostSession::promptChanged, viewport(), qOverload<>(&QWidget::update));
    connect(&session_, &HostSession::zoomExtentsWanted, this, &Canvas::zoomExtents);
}

void Canvas::setView(const cad::ViewTransform &view)
{
    if (!(view.scale >= minScale && view.scale <= maxScale) || !cad::isSane(view.centre)) return;
    view_ = view;
    viewChanged();
}

cad::Box Canvas::visibleBox() const
{
    cad::Box box;
    box.add(view_.toDrawing(target(), target().topLeft()));
    box.add(view_.toDrawing(target(), target().bottomRight()));
    return box;
}

void Canvas::zoomExtents()
{
    const cad::Box box = cad::extents(session_.drawing());
    if (box.empty()) return;
    cad::ViewTransform v = cad::fitView(box, target());
    if (box.width() == 0 && box.height() == 0) v.scale = view_.scale;
    setView(v);
}

void Canvas::zoomBy(double factor)
{
    zoomAbout(factor, target().center());
}

void Canvas::setGridVisible(bool visible)
{
    grid_ = visible;
    cacheValid_ = false;
    viewport()->update();
}

void Canvas::setSnapEnabled(bool enabled)
{
    snap_ = enabled;
    updateSnap();
    viewport()->update();
}

QImage Canvas::grab()
{
    renderCache();
    QImage image = cache_.copy();
    QPainter painter(&image);
    paintOverlay(painter);
    return image;
}

void Canvas::zoomAbout(double factor, QPointF device)
{
    const cad::Point fixed = view_.toDrawing(target(), device);
    cad::ViewTransform v = view_;
    v.scale = std::clamp(view_.scale * factor, minScale, maxScale);
    // Keep the drawing point under the cursor where it is.
    const QPointF moved = v.toDevice(target(), fixed);
    v.centre.x += (moved.x() - device.x()) / v.scale;
    v.centre.y -= (moved.y() - device.y()) / v.scale;
    setView(v);
}

void Canvas::viewChanged()
{
    cacheValid_ = false;
    updateScrollBars();
    updateSnap();
    viewport()->update();
}

void Canvas::updateScrollBars()
{
    const QRectF t = target();
    cad::Box area = cad::extents(session_.drawing());
    const cad::Point a = view_.toDrawing(t, t.topLeft()), b = view_.toDrawing(t, t.bottomRight());
    cad::Box seen;
    seen.add(a);
    seen.add(b);
    area.include(seen);
    // Room to scroll a screen beyond the drawing on every side.
    area.add({area.min.x - seen.width(), area.min.y - seen.height()});
    area.add({area.max.x + seen.width(), area.max.y + seen.height()});
    scrollArea_ = area;
    const double freeX = area.width() - seen.width(), freeY = area.height() - seen.height();
    updatingBars_ = true;
    horizontalScrollBar()->setPageStep(
        static_cast<int>(scrollSteps * seen.width() / std::max(area.width(), 1e-300)));
    verticalScrollBar()->setPageStep(
        static_cast<int>(scrollSteps * seen.height() / std::max(area.height(), 1e-300)));
    horizontalScrollBar()->setValue(
        freeX > 0 ? static_cast<int>(std::lround(scrollSteps * (seen.min.x - area.min.x) / freeX)) : 0);
    verticalScrollBar()->setValue(
        freeY > 0 ? static_cast<int>(std::lround(scrollSteps * (area.max.y - seen.max.y) / freeY)) : 0);
    updatingBars_ = false;
}

void Canvas::scrollContentsBy(int, int)
{
    if (updatingBars_) return;
    const QRectF t = target();
    const double w = t.width() / view_.scale, h = t.height() / view_.scale;
    const double freeX = scrollArea_.width() - w, freeY = scrollArea_.height() - h;
    cad::ViewTransform v = view_;
    v.centre.x = scrollArea_.min.x + freeX * horizontalScrollBar()->value() / scrollSteps + w / 2;
    v.centre.y = scrollArea_.max.y - freeY * verticalScrollBar()->value() / scrollSteps - h / 2;
    view_ = v;
    cacheValid_ = false;
    updateSnap();
    viewport()->update();
}

void Canvas::renderCache()
{
    if (cacheValid_ && cache_.size() == viewport()->size()) return;
    cache_ = QImage(viewport()->size(), QImage::Format_RGB32);
    QPainter painter(&cache_);
    painter.fillRect(cache_.rect(), background);
    if (grid_) paintGrid(painter);
    cad::RenderStyle style = style_;
    style.fillBackground = false;
    cad::render(painter, session_.drawing(), target(), view_, style);
    cacheValid_ = true;
}

void Canvas::paintGrid(QPainter &painter) const
{
    const QRectF t = target();
    const double step = gridSpacing(view_.scale, 16);
    const cad::Point a = view_.toDrawing(t, t.topLeft()), b = view_.toDrawing(t, t.bottomRight());
    painter.setPen(QPen(gridColor, 0));
    for (double x = std::ceil(a.x / step) * step; x <= b.x; x += step)
        painter.drawLine(QPointF(view_.toDevice(t, {x, 0}).x(), t.top()),
                         QPointF(view_.toDevice(t, {x, 0}).x(), t.bottom()));
    for (double y = std::ceil(b.y / step) * step; y <= a.y; y += step)
        painter.drawLine(QPointF(t.left(), view_.toDevice(t, {0, y}).y()),
                         QPointF(t.right(), view_.toDevice(t, {0, y}).y()));
}

void Canvas::paintEvent(QPaintEvent *)
{
    renderCache();
    QPainter painter(viewport());
    painter.drawImage(0, 0, cache_);
    paintOverlay(painter);
}

void Canvas::paintOverlay(QPainter &painter)
{
    if (!cursor_) return;
    const QRectF t = target();
    const cad::Point at = snapPoint_ ? snapPoint_->p : view_.toDrawing(t, *cursor_);
    cad::RenderStyle overlay = style_;
    overlay.fillBackground = false;
    cad::render(painter, session_.interpreter().preview(at), t, view_, overlay);

    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(crosshairColor, 0));
    const QPointF c = *cursor_;
    painter.drawLine(QPointF(t.left(), c.y()), QPointF(t.right(), c.y()));
    painter.drawLine(QPointF(c.x(), t.top()), QPointF(c.x(), t.bottom()));
    painter.drawRect(QRectF(c.x() - 4, c.y() - 4, 8, 8));
    if (!snapPoint_) return;
    const QPointF s = view_.toDevice(t, snapPoint_->p);
    painter.setPen(QPen(snapColor, 2));
    painter.setBrush(Qt::NoBrush);
    switch (snapPoint_->kind) {
    case cad::SnapPoint::Kind::End:
        painter.drawRect(QRectF(s.x() - 6, s.y() - 6, 12, 12));
        break;
    case cad::SnapPoint::Kind::Mid:
        painter.drawPolygon(QPolygonF{QPointF(s.x(), s.y() - 7), QPointF(s.x() + 7, s.y() + 5),
                                      QPointF(s.x() - 7, s.y() + 5)});
        break;
    case cad::SnapPoint::Kind::Centre:
        painter.drawEllipse(s, 7, 7);
        break;
    case cad::SnapPoint::Kind::Insert:
        painter.drawRect(QRectF(s.x() - 6, s.y() - 6, 12, 12));
        painter.drawLine(s - QPointF(6, 0), s + QPointF(6, 0));
        break;
    }
    painter.drawText(s + QPointF(10, -10), snapName(snapPoint_->kind));
}

void Canvas::updateSnap()
{
    snapPoint_.reset();
    if (!snap_ || !cursor_) return;
    const cad::Point p = view_.toDrawing(target(), *cursor_);
    snapPoint_ = cad::findSnap(session_.drawing(), p, snapPixels / view_.scale);
}

void Canvas::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    cacheValid_ = false;
    updateScrollBars();
}

void Canvas::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::MiddleButton) {
        panFrom_ = event->position().toPoint();
        return;
    }
    if (event->button() != Qt::LeftButton) return;
    const cad::Point p = snapPoint_ ? snapPoint_->p : view_.toDrawing(target(), event->position());
    session_.pick(p);
}

void Canvas::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::MiddleButton) panFrom_.reset();
}

void Canvas::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::MiddleButton) zoomExtents();
}

void Canvas::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF pos = event->position();
    if (panFrom_) {
        const QPoint d = pos.toPoint() - *panFrom_;
        panFrom_ = pos.toPoint();
        cad::ViewTransform v = view_;
        v.centre.x -= d.x() / v.scale;
        v.centre.y += d.y() / v.scale;
        setView(v);
    }
    cursor_ = pos;
    updateSnap();
    const cad::Point p = view_.toDrawing(target(), pos);
    emit cursorMoved(p.x, p.y);
    viewport()->update();
}

void Canvas::wheelEvent(QWheelEvent *event)
{
    const double steps = event->angleDelta().y() / 120.0;
    if (steps != 0) zoomAbout(std::pow(1.25, steps), event->position());
}

void Canvas::leaveEvent(QEvent *)
{
    cursor_.reset();
    snapPoint_.reset();
    viewport()->update();
}

} // namespace host
