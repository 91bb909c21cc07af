#include "host/window/Plot.h"

#include "cad/render/Render.h"

#include <QPagedPaintDevice>
#include <QPainter>
#include <QRegularExpression>

#include <cmath>

namespace host {

std::optional<QPageSize::PageSizeId> paperNamed(const QString &name)
{
    static constexpr std::array<QPageSize::PageSizeId, plotPapers.size()> ids{
        QPageSize::A0, QPageSize::A1, QPageSize::A2, QPageSize::A3, QPageSize::A4};
    for (std::size_t i = 0; i < plotPapers.size(); ++i)
        if (name.trimmed().compare(QLatin1String(plotPapers[i]), Qt::CaseInsensitive) == 0) return ids[i];
    return std::nullopt;
}

std::optional<double> scaleNamed(const QString &text)
{
    static const QRegularExpression ratio(
        QStringLiteral("^\\s*(?:1\\s*[:/]\\s*)?([0-9]+(?:\\.[0-9]+)?)\\s*$"));
    const QRegularExpressionMatch m = ratio.match(text);
    if (!m.hasMatch()) return std::nullopt;
    const double scale = m.captured(1).toDouble();
    if (!std::isfinite(scale) || scale <= 0) return std::nullopt;
    return scale;
}

bool readPlotOptions(const HostOptions::Plot &options, PlotSettings &settings, QString *message)
{
    if (!options.scale.isEmpty()) {
        const auto scale = scaleNamed(options.scale);
        if (!scale) {
            *message = QStringLiteral("--scale は 1:100 のような尺度です: %1").arg(options.scale);
            return false;
        }
        settings.scale = *scale;
    }
    if (!options.paper.isEmpty()) {
        const auto paper = paperNamed(options.paper);
        if (!paper) {
            *message = QStringLiteral("--paper は A0 から A4 までの用紙です: %1").arg(options.paper);
            return false;
        }
        settings.paper = *paper;
    }
    settings.orientation = options.portrait ? QPageLayout::Portrait : QPageLayout::Landscape;
    settings.monochrome = options.black;
    return true;
}

cad::Box sheetFrame(const cad::Drawing &drawing)
{
    cad::Box best;
    double bestArea = 0;
    for (std::size_t i = 0; i < drawing.size(); ++i) {
        const cad::EntityView e = drawing.view(i);
        if (e.type != cad::Entity::Type::Polyline || !e.closed || e.vertices.size() != 4) continue;
        cad::Box box;
        for (const cad::Point &p : e.vertices)
            box.add(p);
        if (box.width() * box.height() > bestArea) {
            bestArea = box.width() * box.height();
            best = box;
        }
    }
    return best;
}

cad::Box plotArea(const cad::Drawing &drawing, const PlotSettings &settings)
{
    switch (settings.area) {
    case PlotSettings::Area::Window:
        return settings.window;
    case PlotSettings::Area::Frame:
        if (const cad::Box frame = sheetFrame(drawing); !frame.empty()) return frame;
        break;
    case PlotSettings::Area::Extents:
        break;
    }
    return drawing.extents();
}

bool plot(QPagedPaintDevice &device, const cad::Drawing &drawing, const PlotSettings &settings)
{
    const cad::Box area = plotArea(drawing, settings);
    if (area.empty() || !(settings.scale > 0)) return false;
    device.setPageLayout(QPageLayout(QPageSize(settings.paper), settings.orientation, QMarginsF()));
    QPainter painter;
    if (!painter.begin(&device)) return false;
    const QRectF page(0, 0, device.width(), device.height());
    cad::ViewTransform view;
    view.centre = {(area.min.x + area.max.x) / 2, (area.min.y + area.max.y) / 2};
    // Device dots per drawing unit: dots per inch, 25.4 mm to the inch, then the scale.
    view.scale = device.logicalDpiX() / 25.4 / settings.scale;
    cad::RenderStyle style;
    style.monochrome = settings.monochrome;
    cad::render(painter, drawing, page, view, style);
    return painter.end();
}

} // namespace host
