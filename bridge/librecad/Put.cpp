#include "bridge/librecad/Put.h"

#include "cad/model/Angle.h"
#include "cad/render/Render.h"

#include "document_interface.h"

#include <vector>

namespace bridge {

namespace {

// LibreCAD's colours: -1 ByLayer, -2 ByBlock, else 24-bit RGB; black is its white-on-dark 7.
int libreCadColor(int index)
{
    if (index == cad::colorByLayer) return -1;
    if (index == 0) return -2;
    if (index == 7) return 0;
    return static_cast<int>(cad::colorOf(index, cad::RenderStyle{}).rgb() & 0xffffff);
}

QPointF at(cad::Point p)
{
    return QPointF(p.x, p.y);
}

// With LibreCAD's current pen (ByLayer unless the user chose otherwise).
void putPlain(Document_Interface *doc, const Placement &p)
{
    QPointF a = at(p.points.front());
    switch (p.kind) {
    case Placement::Kind::Line: {
        QPointF b = at(p.points[1]);
        doc->addLine(&a, &b);
        break;
    }
    case Placement::Kind::Circle:
        doc->addCircle(&a, p.radius);
        break;
    case Placement::Kind::Arc:
        doc->addArc(&a, p.radius, p.startAngle, p.endAngle);
        break;
    case Placement::Kind::Ellipse: {
        QPointF axis = at(p.points[1]);
        doc->addEllipse(&a, &axis, p.ratio, 0, 0); // both angles 0: the whole ellipse
        break;
    }
    case Placement::Kind::Text:
        // LibreCAD 2.2 takes the vertical alignment as its own number (baseline, bottom, middle,
        // top): VAlignBottom is its middle.
        doc->addText(QString::fromStdString(p.text), QString::fromUtf8(textFont), &a, p.height, p.rotation,
                     DPI::HAlignCenter, DPI::VAlignBottom);
        break;
    case Placement::Kind::Polyline: {
        std::vector<Plug_VertexData> vertices;
        for (const cad::Point &v : p.points)
            vertices.emplace_back(at(v), 0.0);
        doc->addPolyline(vertices, p.closed);
        break;
    }
    }
}

} // namespace

// The entity is made and given its pen before it is added, as LibreCAD's undo takes a change
// after adding for a second change and would bring the entity without its pen back.
void putWithPen(Document_Interface *doc, const Placement &p, const QHash<int, QVariant> &pen)
{
    const cad::Point a = p.points.front();
    QHash<int, QVariant> data = pen;
    data.insert(DPI::STARTX, a.x);
    data.insert(DPI::STARTY, a.y);
    Plug_Entity *e = nullptr;
    switch (p.kind) {
    case Placement::Kind::Line:
        e = doc->newEntity(DPI::LINE);
        data.insert(DPI::ENDX, p.points[1].x);
        data.insert(DPI::ENDY, p.points[1].y);
        break;
    case Placement::Kind::Circle:
    case Placement::Kind::Arc:
        e = doc->newEntity(p.kind == Placement::Kind::Arc ? DPI::ARC : DPI::CIRCLE);
        data.insert(DPI::RADIUS, p.radius);
        data.insert(DPI::STARTANGLE, p.startAngle * cad::radiansPerDegree);
        data.insert(DPI::ENDANGLE, p.endAngle * cad::radiansPerDegree);
        break;
    case Placement::Kind::Ellipse:
        e = doc->newEntity(DPI::ELLIPSE);
        data.insert(DPI::ENDX, p.points[1].x);
        data.insert(DPI::ENDY, p.points[1].y);
        data.insert(DPI::HEIGHT, p.ratio);
        break;
    case Placement::Kind::Polyline: {
        if (p.points.size() < 2) return;
        e = doc->newEntity(DPI::POLYLINE);
        QList<Plug_VertexData> vertices;
        for (const cad::Point &v : p.points)
            vertices.append(Plug_VertexData(at(v), 0.0));
        if (e) e->updatePolylineData(&vertices);
        data.insert(DPI::CLOSEPOLY, p.closed ? 1 : 0);
        break;
    }
    case Placement::Kind::Text:
        // The interface makes no text with an alignment but through addText, which takes the
        // current pen.
        putPlain(doc, p);
        return;
    }
    if (!e) return;
    e->updateData(&data);
    // Not deleted: the wrapper would take the entity, which the document owns now, with it.
    doc->addEntity(e);
}

void put(Document_Interface *doc, const Placement &p)
{
    const int color = libreCadColor(p.color);
    if (color == -1)
        putPlain(doc, p);
    else
        putWithPen(doc, p, {{DPI::COLOR, color}});
}

} // namespace bridge
