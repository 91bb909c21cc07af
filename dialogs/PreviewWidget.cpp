#include "dialogs/PreviewWidget.h"

#include "cad/Geometry.h"
#include "cad/Render.h"
#include "cad/Replay.h"

#include <QPainter>

namespace quendra {

PreviewWidget::PreviewWidget(QWidget *parent) : QWidget(parent)
{
    setMinimumSize(300, 200);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void PreviewWidget::show(const std::vector<std::string> &scripts)
{
    drawing_ = cad::replay(scripts);
    update();
}

void PreviewWidget::clear()
{
    drawing_ = cad::Drawing();
    update();
}

void PreviewWidget::addAnchored(QWidget *w, double fx, double fy)
{
    w->setParent(this);
    anchored_.push_back({w, fx, fy});
    placeAnchored();
}

void PreviewWidget::placeAnchored()
{
    for (const Anchored &a : anchored_) {
        a.widget->adjustSize();
        const QSize s = a.widget->size();
        const int x = static_cast<int>(a.fx * width() - s.width() / 2.0);
        const int y = static_cast<int>(a.fy * height() - s.height() / 2.0);
        a.widget->move(std::clamp(x, 0, std::max(0, width() - s.width())), std::clamp(y, 0, std::max(0, height() - s.height())));
    }
}

void PreviewWidget::resizeEvent(QResizeEvent *)
{
    placeAnchored();
}

void PreviewWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRectF area = QRectF(rect()).adjusted(24, 24, -24, -24);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(QColor(200, 200, 200));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));

    // The base point belongs in the view even where the symbol lies off to one side of it.
    cad::Box box = cad::extents(drawing_);
    if (marksBasePoint_)
        box.add({0, 0});
    const cad::ViewTransform view = cad::fitView(box, area, 0.08);
    cad::RenderStyle style;
    style.fillBackground = false;
    cad::render(painter, drawing_, area, view, style);

    if (!marksBasePoint_)
        return;
    const QPointF base = view.toDevice(area, {0, 0});
    painter.setPen(QPen(Qt::red, 1.5));
    painter.drawEllipse(base, 4, 4);
    painter.drawText(base + QPointF(6, -6), QStringLiteral("基準点"));
}

} // namespace quendra
