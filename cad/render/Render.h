#pragma once

#include "cad/model/Drawing.h"
#include "cad/model/Geometry.h"

#include <QColor>
#include <QPointF>
#include <QRectF>

#include <optional>

class QPainter;

namespace cad {

// Where the drawing sits on a device: the drawing point shown at the middle of the target, and
// device pixels per drawing unit. The drawing's y axis points up.
struct ViewTransform
{
    Point centre;
    double scale = 1;

    QPointF toDevice(const QRectF &target, Point p) const
    {
        return {(p.x - centre.x) * scale + target.center().x(),
                (centre.y - p.y) * scale + target.center().y()};
    }
    Point toDrawing(const QRectF &target, QPointF d) const
    {
        return {centre.x + (d.x() - target.center().x()) / scale,
                centre.y - (d.y() - target.center().y()) / scale};
    }
};

// The view that shows `box` whole in `target`, with `margin` (a fraction of the target) around it.
ViewTransform fitView(const Box &box, const QRectF &target, double margin = 0.05);

struct RenderStyle
{
    QColor background = Qt::white; // ByLayer and colour 7 are drawn in the contrasting colour
    bool antialiasing = true;
    bool fillBackground = true;
    bool monochrome = false; // every colour drawn as the contrasting one (plots in black)
    // Lines dashed (the selection), and every entity in one colour.
    Qt::PenStyle lineStyle = Qt::SolidLine;
    std::optional<QColor> color;
    double lineWidth = 0; // pixels; 0 is the thinnest line
};

// The colour of a DXF colour index on this background.
QColor colorOf(int colorIndex, const RenderStyle &style = {});

// Paints the drawing fitted to its extents in `target`.
void render(QPainter &painter, const Drawing &drawing, const QRectF &target, const RenderStyle &style = {});
// Paints with a given view, clipped to `target`.
void render(QPainter &painter, const Drawing &drawing, const QRectF &target, const ViewTransform &view,
            const RenderStyle &style = {});
// Paints loose entities (a command's rubber band, a preview) with a given view.
void render(QPainter &painter, const std::vector<Entity> &entities, const QRectF &target,
            const ViewTransform &view, const RenderStyle &style = {});

} // namespace cad
