#include "tools/SketchPad.h"

#include "tools/BitmapFile.h"

#include <QMouseEvent>
#include <QPainter>

#include <array>
#include <cmath>

namespace quendra {

namespace {

struct PaletteEntry
{
    const char *caption;
    QRgb rgb;
};

// Entries 0, 4, 9, 6 and 7 of the sixteen-colour text-mode palette.
constexpr std::array<PaletteEntry, SketchPad::colorCount> colorTable = {{
    {"黒", qRgb(0, 0, 0)},
    {"赤", qRgb(128, 0, 0)},
    {"青", qRgb(0, 0, 255)},
    {"黄", qRgb(128, 128, 0)},
    {"白", qRgb(192, 192, 192)},
}};

constexpr std::array<const char *, SketchPad::toolCount> toolCaptions = {
    "連続線", "円", "四角形", "直線(二点指示)", "円塗りつぶし", "四角形塗りつぶし",
};

// The designed size of the pad, 5775 x 3375 twips at 15 twips a pixel.
constexpr QSize designedSize(385, 225);

bool validColor(int index)
{
    return index >= 0 && index < SketchPad::colorCount;
}

// Shapes are drawn without smoothing so that every pixel has exactly a palette colour.
void preparePen(QPainter &painter, const QColor &color)
{
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(color, 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
}

// The rectangle with both points as corners, both inside (QRect::normalized() would shrink it).
QRect corners(QPoint a, QPoint b)
{
    return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                 QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
}

int distance(QPoint a, QPoint b)
{
    const QPoint d = b - a;
    return static_cast<int>(std::lround(std::hypot(double(d.x()), double(d.y()))));
}

} // namespace

SketchPad::SketchPad(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Picture1"));
    setAttribute(Qt::WA_StaticContents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    growDrawing(size());
}

QString SketchPad::toolCaption(Tool tool)
{
    return QString::fromUtf8(toolCaptions.at(static_cast<size_t>(tool)));
}

QString SketchPad::colorCaption(int index)
{
    return validColor(index) ? QString::fromUtf8(colorTable.at(static_cast<size_t>(index)).caption)
                             : QString();
}

QColor SketchPad::paletteColor(int index)
{
    return validColor(index) ? QColor(colorTable.at(static_cast<size_t>(index)).rgb) : QColor();
}

void SketchPad::setLineColor(int index)
{
    if (!validColor(index)) return;
    lineColor_ = index;
    fillColor_ = index;
}

void SketchPad::setBackColor(int index)
{
    if (!validColor(index) || index == backColor_) return;
    backColor_ = index;
    changed(rect());
}

void SketchPad::clearAll()
{
    current_ = QPoint();
    if (!drawn_) return;
    clearDrawing();
    changed(rect());
}

bool SketchPad::openBackground(const QString &path)
{
    const std::optional<QImage> picture = bitmapFile::read(path);
    if (!picture) return false;
    picture_ = picture->convertToFormat(QImage::Format_RGB32);
    clearDrawing();
    // The pad takes the size of its picture until the window lays it out again.
    growDrawing(picture_.size());
    resize(picture_.size());
    updateGeometry();
    update();
    modified_ = false;
    return true;
}

void SketchPad::closeBackground()
{
    picture_ = QImage();
    clearDrawing();
    updateGeometry();
    update();
    modified_ = false;
}

void SketchPad::reset()
{
    lineColor_ = black;
    backColor_ = white;
    penDown_ = false;
    closeBackground();
}

QImage SketchPad::image() const
{
    QImage shown(size(), QImage::Format_RGB32);
    if (shown.isNull()) return shown;
    shown.fill(paletteColor(backColor_));
    QPainter painter(&shown);
    painter.drawImage(0, 0, picture_);
    painter.drawImage(0, 0, drawing_);
    return shown;
}

bool SketchPad::saveBitmap(const QString &path)
{
    if (!bitmapFile::write(image(), path)) return false;
    modified_ = false;
    return true;
}

QSize SketchPad::sizeHint() const
{
    return hasBackground() ? picture_.size() : designedSize;
}

void SketchPad::mousePressEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    if (tool_ == Tool::Freehand)
        pressFreehand(event->button(), at);
    else
        pressTwoClick(at);
}

void SketchPad::mouseMoveEvent(QMouseEvent *event)
{
    if (tool_ == Tool::Freehand && penDown_) lineTo(event->position().toPoint());
}

// A released left button always lifts the pen, so that it cannot stay down behind a tool change.
void SketchPad::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) penDown_ = false;
}

void SketchPad::paintEvent(QPaintEvent *event)
{
    const QRect area = event->rect();
    QPainter painter(this);
    painter.fillRect(area, paletteColor(backColor_));
    if (!picture_.isNull()) painter.drawImage(area, picture_, area);
    painter.drawImage(area, drawing_, area);
}

void SketchPad::resizeEvent(QResizeEvent *event)
{
    growDrawing(size());
    QWidget::resizeEvent(event);
}

// A release that happens while the pad is hidden never arrives; the stroke ends here instead.
void SketchPad::hideEvent(QHideEvent *event)
{
    penDown_ = false;
    QWidget::hideEvent(event);
}

// Left: start a stroke at the point. Right: one straight line from the last point.
void SketchPad::pressFreehand(Qt::MouseButton button, QPoint at)
{
    if (button == Qt::LeftButton) {
        penDown_ = true;
        plot(at);
    } else if (button == Qt::RightButton) {
        lineTo(at);
    }
}

// Any button: the first click marks the point, the second draws the shape from it.
void SketchPad::pressTwoClick(QPoint at)
{
    if (!pending_.pending) {
        plot(at);
        pending_ = {true, at};
        return;
    }
    drawShape(pending_.at, at);
    pending_.pending = false;
}

void SketchPad::drawShape(QPoint from, QPoint to)
{
    const QColor color = lineColorValue();
    QPainter painter(&drawing_);
    preparePen(painter, color);
    QRect area = corners(from, to);
    switch (tool_) {
    case Tool::Circle:
    case Tool::FilledCircle: {
        const int radius = distance(from, to);
        // The filled circle is in the saved fill colour, outline and inside: the colour last chosen
        // under ラインカラー, which choosing the sketch pad again (black lines) does not reset.
        if (tool_ == Tool::FilledCircle) {
            preparePen(painter, paletteColor(fillColor_));
            painter.setBrush(paletteColor(fillColor_));
        }
        painter.drawEllipse(from, radius, radius);
        area = QRect(from - QPoint(radius, radius), from + QPoint(radius, radius));
        current_ = from;
        break;
    }
    case Tool::Rectangle:
        painter.drawPolyline(QPolygon(
            {area.topLeft(), area.topRight(), area.bottomRight(), area.bottomLeft(), area.topLeft()}));
        current_ = to;
        break;
    case Tool::FilledRectangle:
        painter.fillRect(area, color);
        current_ = to;
        break;
    case Tool::Line:
    case Tool::Freehand:
        painter.drawLine(from, to);
        current_ = to;
        break;
    }
    painter.end();
    stroked(area);
}

void SketchPad::plot(QPoint at)
{
    QPainter painter(&drawing_);
    preparePen(painter, lineColorValue());
    painter.drawPoint(at);
    painter.end();
    current_ = at;
    stroked(QRect(at, QSize(1, 1)));
}

void SketchPad::lineTo(QPoint at)
{
    const QPoint from = current_;
    QPainter painter(&drawing_);
    preparePen(painter, lineColorValue());
    painter.drawLine(from, at);
    painter.end();
    current_ = at;
    stroked(corners(from, at));
}

void SketchPad::stroked(const QRect &area)
{
    drawn_ = true;
    changed(area);
}

void SketchPad::changed(const QRect &area)
{
    modified_ = true;
    update(area.adjusted(-2, -2, 2, 2));
    emit modified();
}

void SketchPad::growDrawing(QSize size)
{
    const QSize needed = drawing_.size().expandedTo(size).expandedTo(QSize(1, 1));
    if (needed == drawing_.size()) return;
    QImage grown(needed, QImage::Format_ARGB32_Premultiplied);
    grown.fill(Qt::transparent);
    QPainter painter(&grown);
    painter.drawImage(0, 0, drawing_);
    painter.end();
    drawing_ = std::move(grown);
}

void SketchPad::clearDrawing()
{
    drawing_.fill(Qt::transparent);
    drawn_ = false;
}

} // namespace quendra
