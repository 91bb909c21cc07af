#include "cad/dxf/EntityWriter.h"

#include "cad/dxf/tags/DxfText.h"
#include "cad/model/Geometry.h"

#include <cmath>
#include <cstdlib>
#include <numbers>

namespace cad {

std::string EntityWriter::written(const Setting &setting, std::string_view utf8)
{
    return setting.utf8 ? std::string(utf8) : encodeDxfText(utf8, setting.inCodepage);
}

void EntityWriter::write(const EntityView &e, const std::vector<XdataGroup> *xdata)
{
    xdata_ = xdata;
    xdataWritten_ = false;
    layer_ =
        e.layer < setting_.layers.size() ? std::string_view(setting_.layers[e.layer]) : std::string_view("0");
    switch (e.type) {
    case Entity::Type::Line:
        line(e);
        break;
    case Entity::Type::Circle:
        circle(e);
        break;
    case Entity::Type::Arc:
        arc(e);
        break;
    case Entity::Type::Ellipse:
        ellipse(e);
        break;
    case Entity::Type::Text:
        text(e);
        break;
    case Entity::Type::Polyline:
        polyline(e.vertices, e.startWidth, e.endWidth, e.closed, e.color);
        break;
    case Entity::Type::Fill:
        fill(e);
        break;
    case Entity::Type::Ray:
        ray(e);
        break;
    }
    writeXdata();
}

void EntityWriter::layer(const std::string &name, const Layer &l, const LayerForm &form)
{
    tableEntry("LAYER", "AcDbLayerTableRecord", form.table);
    string(2, name);
    integer(70, l.frozen ? 1 : 0);
    integer(62, l.on ? l.color : -l.color);
    string(6, form.linetype.empty() ? std::string_view("CONTINUOUS") : std::string_view(form.linetype));
    if (setting_.r12) return;
    if (!form.weight.empty()) integer(370, std::atoll(form.weight.c_str()));
    if (!form.plotStyle.empty()) string(390, form.plotStyle);
}

void EntityWriter::appid(std::string_view name, std::uint64_t table)
{
    tableEntry("APPID", "AcDbRegAppTableRecord", table);
    string(2, name);
    integer(70, 0);
}

void EntityWriter::group(std::uint64_t handle, std::uint64_t owner, const KeptSymbol &symbol,
                         std::span<const std::uint64_t> members)
{
    if (!out_) return;
    string(0, "GROUP");
    this->handle(5, handle);
    this->handle(330, owner);
    string(100, "AcDbGroup");
    string(300, written(setting_, symbol.symbol.caption));
    integer(70, 1); // unnamed
    integer(71, 1); // selectable
    for (const std::uint64_t h : members)
        this->handle(340, h);
    cad::writeXdata(*out_, symbolXdata(symbol, [this](std::string_view t) { return written(setting_, t); }));
}

void EntityWriter::line(const EntityView &e)
{
    begin("LINE", "AcDbLine", e.color);
    point(10, e.a);
    point(11, e.b);
}

void EntityWriter::circle(const EntityView &e)
{
    begin("CIRCLE", "AcDbCircle", e.color);
    point(10, e.centre);
    real(40, e.radius);
}

void EntityWriter::arc(const EntityView &e)
{
    begin("ARC", "AcDbCircle", e.color);
    point(10, e.centre);
    real(40, e.radius);
    subclass("AcDbArc");
    real(50, e.startAngle);
    real(51, e.endAngle);
}

void EntityWriter::ellipse(const EntityView &e)
{
    if (!setting_.r12) {
        begin("ELLIPSE", "AcDbEllipse", e.color);
        point(10, e.centre);
        point(11, e.majorAxis);
        real(40, e.ratio);
        real(41, 0.0);
        real(42, 2 * std::numbers::pi);
        return;
    }
    // R12 has no ellipse: a closed polyline close enough to draw and print.
    constexpr int steps = 72;
    std::vector<Point> points;
    const Point minor{-e.majorAxis.y * e.ratio, e.majorAxis.x * e.ratio};
    for (int i = 0; i < steps; ++i) {
        const double t = 2 * std::numbers::pi * i / steps;
        points.push_back({e.centre.x + e.majorAxis.x * std::cos(t) + minor.x * std::sin(t),
                          e.centre.y + e.majorAxis.y * std::cos(t) + minor.y * std::sin(t)});
    }
    polyline(points, 0, 0, true, e.color);
}

void EntityWriter::text(const EntityView &e)
{
    // Middle justification (72 = 4): the alignment point is the text's middle.
    begin("TEXT", "AcDbText", e.color);
    point(10, e.insert);
    real(40, e.height);
    if (out_) string(1, written(setting_, e.text));
    if (e.rotation != 0) real(50, e.rotation);
    if (e.mirrored) integer(71, 2); // backwards
    integer(72, 4);
    point(11, e.insert);
    subclass("AcDbText");
}

// A solid HATCH of polyline loops; R12 has none, and a mask cannot be made without the objects
// a WIPEOUT needs, so those keep their loops as closed polylines.
void EntityWriter::fill(const EntityView &e)
{
    const auto loops = fillLoops(e.vertices);
    if (setting_.r12 || e.color == colorBackground) {
        for (const auto loop : loops)
            polyline(loop.first(loop.size() > 1 ? loop.size() - 1 : loop.size()), 0, 0, true,
                     e.color == colorBackground ? colorByLayer : e.color);
        return;
    }
    begin("HATCH", "AcDbHatch", e.color);
    point(10, {});
    real(210, 0.0);
    real(220, 0.0);
    real(230, 1.0);
    string(2, "SOLID");
    integer(70, 1);
    integer(71, 0);
    integer(91, static_cast<std::int64_t>(loops.size()));
    for (std::size_t k = 0; k < loops.size(); ++k) {
        const auto loop = loops[k];
        const std::size_t n = loop.size() > 1 ? loop.size() - 1 : loop.size();
        integer(92, k == 0 ? 3 : 2); // a polyline; the first one outermost
        integer(72, 0);
        integer(73, 1);
        integer(93, static_cast<std::int64_t>(n));
        for (std::size_t i = 0; i < n; ++i) {
            real(10, loop[i].x);
            real(20, loop[i].y);
        }
        integer(97, 0);
    }
    integer(75, 0);
    integer(76, 1);
    integer(98, 0);
}

// R12 has neither RAY nor XLINE: the piece from a to b stands for them, as it does for one
// without a direction.
void EntityWriter::ray(const EntityView &e)
{
    const double length = distance(e.a, e.b);
    if (setting_.r12 || length == 0) {
        line(e);
        return;
    }
    begin(e.closed ? "XLINE" : "RAY", e.closed ? "AcDbXline" : "AcDbRay", e.color);
    point(10, e.a);
    point(11, {(e.b.x - e.a.x) / length, (e.b.y - e.a.y) / length});
}

void EntityWriter::polyline(std::span<const Point> vertices, double startWidth, double endWidth, bool closed,
                            int color)
{
    const bool constant = startWidth == endWidth;
    if (!setting_.r12) {
        begin("LWPOLYLINE", "AcDbPolyline", color);
        integer(90, static_cast<std::int64_t>(vertices.size()));
        integer(70, closed ? 1 : 0);
        if (constant && startWidth != 0) real(43, startWidth);
        for (const Point &p : vertices) {
            real(10, p.x);
            real(20, p.y);
            if (!constant) {
                real(40, startWidth);
                real(41, endWidth);
            }
        }
        return;
    }
    begin("POLYLINE", {}, color);
    integer(66, 1);
    point(10, {});
    integer(70, closed ? 1 : 0);
    if (startWidth != 0) real(40, startWidth);
    if (endWidth != 0) real(41, endWidth);
    // Each POLYLINE carries it, before its vertices.
    xdataWritten_ = false;
    writeXdata();
    for (const Point &p : vertices) {
        begin("VERTEX", {}, color);
        point(10, p);
        if (!constant) {
            real(40, startWidth);
            real(41, endWidth);
        }
    }
    begin("SEQEND", {}, color);
}

void EntityWriter::tableEntry(std::string_view type, std::string_view subclassName, std::uint64_t table)
{
    string(0, type);
    if (setting_.handles) handle(5, next_++);
    if (setting_.r12) return;
    if (table != 0) handle(330, table);
    string(100, "AcDbSymbolTableRecord");
    string(100, subclassName);
}

void EntityWriter::begin(std::string_view type, std::string_view subclassName, int color)
{
    string(0, type);
    if (setting_.handles) handle(5, next_++);
    if (!setting_.r12 && setting_.owner != 0) handle(330, setting_.owner);
    subclass("AcDbEntity");
    string(8, layer_);
    if (color >= 0 && color < colorByLayer) integer(62, color);
    subclass(subclassName);
}

void EntityWriter::subclass(std::string_view name)
{
    if (!setting_.r12 && !name.empty()) string(100, name);
}

void EntityWriter::point(int code, Point p)
{
    real(code, p.x);
    real(code + 10, p.y);
    real(code + 20, 0.0);
}

void EntityWriter::writeXdata()
{
    if (out_ && xdata_ && !xdataWritten_) cad::writeXdata(*out_, *xdata_);
    xdataWritten_ = true;
}

} // namespace cad
