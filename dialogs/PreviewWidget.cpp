#include "dialogs/PreviewWidget.h"

#include "cad/command/Replay.h"
#include "cad/model/Geometry.h"

#include <QPainter>

#include <algorithm>
#include <optional>

namespace quendra {

namespace {

const QString markCaption = QStringLiteral("基準点");
constexpr int gap = 3; // between a button and what it must not cover

// The start or end of an entity that has one.
std::optional<cad::Point> endOf(const cad::Entity &e, bool atEnd)
{
    if (e.type == cad::Entity::Type::Line) return atEnd ? e.b : e.a;
    if (e.type == cad::Entity::Type::Polyline && !e.vertices.empty())
        return atEnd ? e.vertices.back() : e.vertices.front();
    return std::nullopt;
}

QRect inside(QRect r, const QRect &bounds)
{
    r.moveLeft(std::clamp(r.left(), bounds.left(), std::max(bounds.left(), bounds.right() - r.width() + 1)));
    r.moveTop(std::clamp(r.top(), bounds.top(), std::max(bounds.top(), bounds.bottom() - r.height() + 1)));
    return r;
}

// The nearest place for `r` within `bounds` that leaves `keepOff` free; `r` itself when it does
// already or when there is no room.
QRect clearOf(const QRect &r, const QRect &keepOff, const QRect &bounds)
{
    if (keepOff.isEmpty() || !r.intersects(keepOff)) return r;
    const QPoint shifts[] = {
        {0, keepOff.bottom() + gap + 1 - r.top()},
        {0, keepOff.top() - gap - 1 - r.bottom()},
        {keepOff.left() - gap - 1 - r.right(), 0},
        {keepOff.right() + gap + 1 - r.left(), 0},
    };
    QRect best = r;
    int bestCost = -1;
    for (const QPoint &s : shifts) {
        const QRect moved = inside(r.translated(s), bounds);
        const int cost = (moved.topLeft() - r.topLeft()).manhattanLength();
        if (!moved.intersects(keepOff) && (bestCost < 0 || cost < bestCost)) {
            best = moved;
            bestCost = cost;
        }
    }
    return best;
}

} // namespace

PreviewWidget::PreviewWidget(QWidget *parent) : QWidget(parent)
{
    setMinimumSize(300, 200);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void PreviewWidget::show(const std::vector<std::string> &scripts)
{
    drawing_ = cad::replay(scripts);
    placeAnchored();
    update();
}

void PreviewWidget::clear()
{
    drawing_ = cad::Drawing();
    placeAnchored();
    update();
}

void PreviewWidget::addAnchored(QWidget *w, const Anchor &anchor)
{
    w->setParent(this);
    anchored_.push_back({w, anchor});
    placeAnchored();
}

QRectF PreviewWidget::area() const
{
    return QRectF(rect()).adjusted(24, 24, -24, -24);
}

cad::ViewTransform PreviewWidget::view() const
{
    // The base point belongs in the view even where the symbol lies off to one side of it.
    cad::Box box = cad::extents(drawing_);
    if (marksBasePoint_) box.add({0, 0});
    return cad::fitView(box, area(), 0.08);
}

QRect PreviewWidget::basePointMark() const
{
    if (!marksBasePoint_) return {};
    const QPoint base = view().toDevice(area(), {0, 0}).toPoint();
    const QRect caption = fontMetrics().boundingRect(markCaption).translated(base + QPoint(6, -6));
    return QRect(base - QPoint(5, 5), QSize(11, 11)).united(caption);
}

// At a fraction of the preview; or beside an end of an entity, outside the drawing across the
// edge of the drawing nearest to it, so a button at a jamb stays at that jamb as the drawing turns.
QRect PreviewWidget::anchoredRect(const Anchor &anchor, QSize size) const
{
    QRect r(QPoint(0, 0), size);
    r.moveCenter(QPoint(static_cast<int>(anchor.x * width()), static_cast<int>(anchor.y * height())));
    if (anchor.entity < 0 || static_cast<std::size_t>(anchor.entity) >= drawing_.size()) return r;
    const auto end = endOf(drawing_.at(static_cast<std::size_t>(anchor.entity)), anchor.atEnd);
    if (!end) return r;
    const cad::ViewTransform v = view();
    const cad::Box box = cad::extents(drawing_);
    const QRectF drawn = QRectF(v.toDevice(area(), box.min), v.toDevice(area(), box.max)).normalized();
    const QPointF p = v.toDevice(area(), *end);
    const double toLeft = p.x() - drawn.left(), toRight = drawn.right() - p.x();
    const double toTop = p.y() - drawn.top(), toBottom = drawn.bottom() - p.y();
    const double nearest = std::min({toLeft, toRight, toTop, toBottom});
    r.moveCenter(p.toPoint());
    if (nearest == toTop)
        r.moveBottom(static_cast<int>(drawn.top()) - gap);
    else if (nearest == toBottom)
        r.moveTop(static_cast<int>(drawn.bottom()) + gap);
    else if (nearest == toLeft)
        r.moveRight(static_cast<int>(drawn.left()) - gap);
    else
        r.moveLeft(static_cast<int>(drawn.right()) + gap);
    return r;
}

void PreviewWidget::placeAnchored()
{
    const QRect mark = basePointMark();
    for (const Anchored &a : anchored_) {
        a.widget->adjustSize();
        const QRect r = inside(anchoredRect(a.anchor, a.widget->size()), rect());
        a.widget->move(clearOf(r, mark, rect()).topLeft());
    }
}

void PreviewWidget::resizeEvent(QResizeEvent *)
{
    placeAnchored();
}

void PreviewWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(QColor(200, 200, 200));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));

    const cad::ViewTransform v = view();
    cad::RenderStyle style;
    style.fillBackground = false;
    cad::render(painter, drawing_, area(), v, style);

    if (!marksBasePoint_) return;
    const QPointF base = v.toDevice(area(), {0, 0});
    painter.setPen(QPen(Qt::red, 1.5));
    painter.drawEllipse(base, 4, 4);
    painter.drawText(base + QPointF(6, -6), markCaption);
}

} // namespace quendra
