#include "host/window/Canvas.h"

#include "cad/model/InputReading.h"
#include "cad/model/Selection.h"
#include "host/session/HostSession.h"

#include <QMenu>
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
const QColor gripColor(40, 90, 255);
constexpr std::size_t maxGripped = 2000; // beyond, grips would hide the drawing
const QColor windowColor(80, 120, 255), crossingColor(80, 200, 120);
constexpr double dragPixels = 4;

} // namespace

QString snapName(cad::SnapPoint::Kind kind)
{
    using K = cad::SnapPoint::Kind;
    switch (kind) {
    case K::End:
        return QStringLiteral("端点");
    case K::Mid:
        return QStringLiteral("中点");
    case K::Intersection:
        return QStringLiteral("交点");
    case K::Apparent:
        return QStringLiteral("仮想交点");
    case K::Centre:
        return QStringLiteral("中心");
    case K::Quadrant:
        return QStringLiteral("四半円点");
    case K::Insert:
        return QStringLiteral("挿入基点");
    case K::Perpendicular:
        return QStringLiteral("垂線");
    case K::Nearest:
        return QStringLiteral("近接点");
    }
    return {};
}

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
    // An override lasts for one point of one command.
    connect(&session_, &HostSession::promptChanged, this, [this] {
        if (override_ && session_.interpreter().commandName().empty()) {
            override_.reset();
            updateSnap();
            emit modesChanged();
        }
    });
    connect(&session_, &HostSession::zoomExtentsWanted, this, &Canvas::zoomExtents);
    connect(&session_, &HostSession::selectionChanged, viewport(), qOverload<>(&QWidget::update));
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
    emit modesChanged();
}

void Canvas::setGridSnap(bool enabled)
{
    gridSnap_ = enabled;
    viewport()->update();
    emit modesChanged();
}

void Canvas::setOrtho(bool enabled)
{
    ortho_ = enabled;
    polar_ = polar_ && !enabled;
    viewport()->update();
    emit modesChanged();
}

void Canvas::setPolar(bool enabled)
{
    polar_ = enabled;
    ortho_ = ortho_ && !enabled;
    viewport()->update();
    emit modesChanged();
}

void Canvas::setPolarAngle(double degrees)
{
    if (!(degrees > 0 && degrees <= 180)) return;
    polarAngle_ = degrees;
    emit modesChanged();
}

void Canvas::setGridSpacing(double spacing)
{
    if (!(spacing > 0 && spacing < 1e12)) return;
    gridSpacing_ = spacing;
    cacheValid_ = false;
    viewport()->update();
    emit modesChanged();
}

void Canvas::setSnapOverride(cad::SnapPoint::Kind kind)
{
    override_ = kind;
    updateSnap();
    viewport()->update();
    emit modesChanged();
}

void Canvas::setRunningSnaps(cad::SnapModes modes)
{
    running_ = modes;
    updateSnap();
    viewport()->update();
}

void Canvas::startMidBetween()
{
    if (session_.interpreter().commandName().empty()) return;
    midBetween_ = true;
    midFirst_.reset();
    session_.note(QStringLiteral("2 点間の中点の 1 点目:"));
    emit modesChanged();
}

bool Canvas::takeTypedPoint(const QString &text)
{
    if (session_.interpreter().commandName().empty()) midBetween_ = false; // the command has ended
    if (!midBetween_) return false;
    const cad::Point last = midFirst_ ? *midFirst_ : session_.interpreter().lastPoint();
    const auto p = cad::readPoint(text.trimmed().toStdString(), last);
    if (!p) {
        session_.note(QStringLiteral("点を指定して下さい (M2P): %1").arg(text.trimmed()));
        return true;
    }
    givePoint(*p);
    return true;
}

void Canvas::givePoint(cad::Point p)
{
    if (session_.interpreter().commandName().empty()) midBetween_ = false; // the command has ended
    if (!midBetween_) {
        session_.pick(p);
        return;
    }
    if (!midFirst_) {
        midFirst_ = p;
        session_.note(QStringLiteral("2 点間の中点の 2 点目:"));
        return;
    }
    const cad::Point middle{(midFirst_->x + p.x) / 2, (midFirst_->y + p.y) / 2};
    midBetween_ = false;
    midFirst_.reset();
    emit modesChanged();
    session_.pick(middle);
}

void Canvas::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu menu(this);
    for (const cad::SnapPoint::Kind kind : allSnaps) {
        QAction *a = menu.addAction(snapName(kind), this, [this, kind] { setSnapOverride(kind); });
        a->setEnabled(!session_.interpreter().commandName().empty());
    }
    menu.addSeparator();
    QAction *mid = menu.addAction(QStringLiteral("2 点間の中点 (M2P)"), this, &Canvas::startMidBetween);
    mid->setEnabled(!session_.interpreter().commandName().empty());
    menu.exec(event->globalPos());
}

QString Canvas::modeText() const
{
    QStringList on;
    if (midBetween_) on << QStringLiteral("[M2P]");
    if (override_) on << QStringLiteral("[%1]").arg(snapName(*override_));
    if (snap_) on << QStringLiteral("Oスナップ");
    if (gridSnap_) on << QStringLiteral("グリッド スナップ %1").arg(gridSpacing_);
    if (ortho_) on << QStringLiteral("直交");
    if (polar_) on << QStringLiteral("極トラッキング %1°").arg(polarAngle_);
    return on.join(QLatin1Char(' '));
}

cad::Point Canvas::pickPoint(QPointF device) const
{
    if (snapPoint_) return snapPoint_->p;
    cad::Point p = view_.toDrawing(target(), device);
    const bool inCommand = !session_.interpreter().commandName().empty();
    if (ortho_ && inCommand) {
        // Square to the last point: along whichever axis the cursor is further from it.
        const cad::Point from = session_.interpreter().lastPoint();
        if (std::abs(p.x - from.x) >= std::abs(p.y - from.y))
            p.y = from.y;
        else
            p.x = from.x;
    }
    // Within a few degrees of a tracked angle, the pick goes along it.
    constexpr double trackingDegrees = 3;
    if (polar_ && inCommand)
        if (const auto q =
                cad::polarPoint(session_.interpreter().lastPoint(), p, polarAngle_, trackingDegrees))
            p = *q;
    if (gridSnap_) {
        const auto round = [this](double v) { return std::round(v / gridSpacing_) * gridSpacing_ + 0.0; };
        p = {round(p.x), round(p.y)};
    }
    return p;
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
    session_.setPickTolerance(snapPixels / view_.scale);
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
    // The set spacing, or a multiple of ten of it where it would be too dense to see.
    double step = gridSpacing_;
    while (step * view_.scale < 8)
        step *= 10;
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

namespace {

// Where a selected entity shows its grips: its ends, middle, centre, vertices or insertion point.
std::vector<cad::Point> gripsOf(const cad::EntityView &e)
{
    using T = cad::Entity::Type;
    switch (e.type) {
    case T::Line:
        return {e.a, e.b, {(e.a.x + e.b.x) / 2, (e.a.y + e.b.y) / 2}};
    case T::Arc:
        return {cad::arcStart(e), cad::arcEnd(e), e.centre};
    case T::Circle:
    case T::Ellipse:
        return {e.centre};
    case T::Text:
        return {e.insert};
    default:
        return {e.vertices.begin(), e.vertices.end()};
    }
}

} // namespace

// Selected entities drawn dashed in their own colours over a blank of the background, so that
// a selection shows in any colour; with `grips`, blue squares at their grips.
void Canvas::paintSelected(QPainter &painter, const std::vector<std::size_t> &indices, bool grips)
{
    if (indices.empty()) return;
    const cad::Drawing &d = session_.drawing();
    std::vector<cad::Entity> shown;
    shown.reserve(indices.size());
    for (std::size_t i : indices)
        if (i < d.size()) shown.push_back(d.at(i));
    cad::RenderStyle blank = style_;
    blank.fillBackground = false;
    blank.antialiasing = false;
    blank.color = background;
    blank.lineWidth = 3;
    cad::render(painter, shown, target(), view_, blank);
    cad::RenderStyle dashed = style_;
    dashed.fillBackground = false;
    dashed.lineStyle = Qt::DashLine;
    cad::render(painter, shown, target(), view_, dashed);
    if (!grips || indices.size() > maxGripped) return;
    painter.setPen(QPen(Qt::white, 0));
    painter.setBrush(gripColor);
    for (std::size_t i : indices) {
        if (i >= d.size()) continue;
        for (const cad::Point &p : gripsOf(d.view(i))) {
            const QPointF at = view_.toDevice(target(), p);
            painter.drawRect(QRectF(at.x() - 3, at.y() - 3, 6, 6));
        }
    }
    painter.setBrush(Qt::NoBrush);
}

void Canvas::paintSelection(QPainter &painter)
{
    // What was selected before a command shows its grips; what a command has taken so far not.
    paintSelected(painter, session_.interpreter().selection(), true);
    paintSelected(painter, session_.interpreter().chosen(), false);
    if (pressAt_ && !pressInCommand_ && cursor_ && QLineF(*pressAt_, *cursor_).length() > dragPixels) {
        const bool crossing = cursor_->x() < pressAt_->x();
        const QColor c = crossing ? crossingColor : windowColor;
        painter.setPen(QPen(c, 1, crossing ? Qt::DashLine : Qt::SolidLine));
        painter.setBrush(QColor(c.red(), c.green(), c.blue(), 50));
        painter.drawRect(QRectF(*pressAt_, *cursor_).normalized());
        painter.setBrush(Qt::NoBrush);
    }
}

void Canvas::paintOverlay(QPainter &painter)
{
    if (!cursor_) return;
    const QRectF t = target();
    const cad::Point at = pickPoint(*cursor_);
    cad::RenderStyle overlay = style_;
    overlay.fillBackground = false;
    cad::render(painter, session_.interpreter().preview(at), t, view_, overlay);
    paintSelection(painter);

    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(crosshairColor, 0));
    const QPointF c = *cursor_;
    painter.drawLine(QPointF(t.left(), c.y()), QPointF(t.right(), c.y()));
    painter.drawLine(QPointF(c.x(), t.top()), QPointF(c.x(), t.bottom()));
    painter.drawRect(QRectF(c.x() - 4, c.y() - 4, 8, 8));
    if (!snapPoint_) {
        // Where the grid or ortho takes the pick, a small cross marks it.
        const QPointF g = view_.toDevice(t, at);
        if ((gridSnap_ || ortho_ || polar_) && QLineF(g, c).length() > 0.5) {
            painter.setPen(QPen(snapColor, 1));
            painter.drawLine(g - QPointF(5, 5), g + QPointF(5, 5));
            painter.drawLine(g - QPointF(5, -5), g + QPointF(5, -5));
        }
        return;
    }
    const QPointF s = view_.toDevice(t, snapPoint_->p);
    painter.setPen(QPen(snapColor, 2));
    painter.setBrush(Qt::NoBrush);
    using K = cad::SnapPoint::Kind;
    switch (snapPoint_->kind) {
    case K::End:
        painter.drawRect(QRectF(s.x() - 6, s.y() - 6, 12, 12));
        break;
    case K::Mid:
        painter.drawPolygon(QPolygonF{QPointF(s.x(), s.y() - 7), QPointF(s.x() + 7, s.y() + 5),
                                      QPointF(s.x() - 7, s.y() + 5)});
        break;
    case K::Intersection:
    case K::Apparent:
        painter.drawLine(s - QPointF(6, 6), s + QPointF(6, 6));
        painter.drawLine(s - QPointF(6, -6), s + QPointF(6, -6));
        if (snapPoint_->kind == K::Apparent) painter.drawRect(QRectF(s.x() - 6, s.y() - 6, 12, 12));
        break;
    case K::Centre:
        painter.drawEllipse(s, 7, 7);
        break;
    case K::Quadrant:
        painter.drawPolygon(QPolygonF{QPointF(s.x(), s.y() - 7), QPointF(s.x() + 7, s.y()),
                                      QPointF(s.x(), s.y() + 7), QPointF(s.x() - 7, s.y())});
        break;
    case K::Insert:
        painter.drawRect(QRectF(s.x() - 6, s.y() - 6, 12, 12));
        painter.drawLine(s - QPointF(6, 0), s + QPointF(6, 0));
        break;
    case K::Perpendicular:
        painter.drawLine(s + QPointF(-6, 6), s + QPointF(6, 6));
        painter.drawLine(s + QPointF(-6, 6), s + QPointF(-6, -6));
        painter.drawLine(s + QPointF(-6, 0), s + QPointF(0, 0));
        painter.drawLine(s + QPointF(0, 0), s + QPointF(0, 6));
        break;
    case K::Nearest:
        painter.drawPolygon(QPolygonF{QPointF(s.x() - 6, s.y() - 6), QPointF(s.x() + 6, s.y() - 6),
                                      QPointF(s.x() - 6, s.y() + 6), QPointF(s.x() + 6, s.y() + 6)});
        break;
    }
    painter.drawText(s + QPointF(10, -10), snapName(snapPoint_->kind));
}

void Canvas::updateSnap()
{
    snapPoint_.reset();
    if ((!snap_ && !override_) || !cursor_) return;
    cad::SnapQuery query;
    query.near = view_.toDrawing(target(), *cursor_);
    query.tolerance = snapPixels / view_.scale;
    query.modes = override_ ? cad::snapBit(*override_) : running_;
    // A perpendicular drops from the running command's last point.
    if (!session_.interpreter().commandName().empty()) query.from = session_.interpreter().lastPoint();
    snapPoint_ = cad::findSnap(session_.drawing(), query);
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
    pressAt_ = event->position();
    pressInCommand_ = !session_.interpreter().commandName().empty();
    if (!pressInCommand_) return; // a selection, finished on release
    const cad::Point p = pickPoint(event->position());
    if (override_) {
        override_.reset();
        emit modesChanged();
    }
    givePoint(p);
}

void Canvas::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::MiddleButton) panFrom_.reset();
    if (event->button() != Qt::LeftButton || !pressAt_) return;
    const QPointF from = *pressAt_;
    pressAt_.reset();
    const bool dragged = QLineF(from, event->position()).length() > dragPixels;
    if (!pressInCommand_) {
        selectAt(from, event->position(), event->modifiers() & Qt::ShiftModifier);
    } else if (dragged && session_.interpreter().commandName().size() &&
               session_.interpreter().prompt() == "もう一方のコーナーを指定: ") {
        // A window dragged at a command's "select objects": the release is the other corner.
        session_.pick(view_.toDrawing(target(), event->position()));
    }
    viewport()->update();
}

void Canvas::selectAt(QPointF from, QPointF to, bool remove)
{
    const QRectF t = target();
    std::vector<std::size_t> found;
    if (QLineF(from, to).length() > dragPixels) {
        cad::Box box;
        const cad::Point a = view_.toDrawing(t, from), b = view_.toDrawing(t, to);
        box.add(a);
        box.add(b);
        found = cad::windowSelect(session_.drawing(), box, cad::isCrossing(a, b));
    } else if (auto hit =
                   cad::pickObject(session_.drawing(), view_.toDrawing(t, from), snapPixels / view_.scale);
               !hit.empty()) {
        found = std::move(hit);
    } else if (!remove) {
        session_.setSelection({}); // a click on nothing clears
        return;
    }
    std::vector<std::size_t> now = session_.interpreter().selection();
    for (std::size_t i : found) {
        const auto it = std::find(now.begin(), now.end(), i);
        if (remove && it != now.end()) now.erase(it);
        if (!remove && it == now.end()) now.push_back(i);
    }
    session_.setSelection(std::move(now));
}

void Canvas::cycleSelection()
{
    if (!cursor_ || !session_.interpreter().commandName().empty()) return;
    const cad::Drawing &d = session_.drawing();
    const auto found = cad::pickCandidates(d, view_.toDrawing(target(), *cursor_), snapPixels / view_.scale);
    if (found.empty()) return;
    if (found == cycle_) {
        cycleAt_ = (cycleAt_ + 1) % found.size();
    } else {
        cycle_ = found;
        const bool firstTaken = session_.interpreter().selection() == cad::wholeOf(d, found.front());
        cycleAt_ = firstTaken && found.size() > 1 ? 1 : 0;
    }
    session_.setSelection(cad::wholeOf(d, found[cycleAt_]));
    session_.note(QStringLiteral("選択の切り替え: %1 / %2").arg(cycleAt_ + 1).arg(found.size()));
}

void Canvas::selectAll()
{
    session_.setSelection(cad::selectAll(session_.drawing()));
}

void Canvas::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void Canvas::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::MiddleButton) zoomExtents();
    if (event->button() != Qt::LeftButton || !session_.interpreter().commandName().empty()) return;
    // A symbol goes back to the form that drew it.
    const cad::Drawing &d = session_.drawing();
    std::vector<std::size_t> hit =
        cad::pickObject(d, view_.toDrawing(target(), event->position()), snapPixels / view_.scale);
    if (hit.empty() || d.symbolOf(hit.front()) == 0) return;
    session_.setSelection(std::move(hit));
    session_.type(QStringLiteral("SYMEDIT\r"));
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
    const cad::Point p = pickPoint(pos);
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
