#pragma once

#include "cad/model/Box.h"
#include "cad/model/Drawing.h"
#include "host/session/HostOptions.h"

#include <QPageLayout>
#include <QPageSize>
#include <QString>

#include <array>
#include <optional>

class QPagedPaintDevice;

namespace host {

// How a drawing goes onto paper. Drawing units are millimetres: at 1:100 a line 1000 long
// measures 10 mm on the sheet.
struct PlotSettings
{
    enum class Area { Frame, Extents, Window };
    QPageSize::PageSizeId paper = QPageSize::A3;
    QPageLayout::Orientation orientation = QPageLayout::Landscape;
    double scale = 100; // 1:scale
    Area area = Area::Frame;
    cad::Box window; // Area::Window, in drawing units
    bool monochrome = false;
};

inline constexpr const char *nothingToPlot = "印刷する図形がありません。";

// The papers and scales offered, in the order they are listed.
inline constexpr std::array<const char *, 5> plotPapers{"A0", "A1", "A2", "A3", "A4"};
inline constexpr std::array<int, 7> plotScales{1, 10, 20, 30, 50, 100, 200};

// "A3" (any case); nullopt for a paper not offered.
std::optional<QPageSize::PageSizeId> paperNamed(const QString &name);
// "1:100", "1/100" or "100"; nullopt unless it is a finite number above zero.
std::optional<double> scaleNamed(const QString &text);

// The settings of the headless options; false with a message when one is wrong.
bool readPlotOptions(const HostOptions::Plot &options, PlotSettings &settings, QString *message);

// The sheet frame: the largest closed polyline of four corners, as the sheet-frame form draws
// it; empty when there is none.
cad::Box sheetFrame(const cad::Drawing &drawing);
// What is plotted: the window, the sheet frame (the extents where there is none) or the extents.
cad::Box plotArea(const cad::Drawing &drawing, const PlotSettings &settings);

// Paints the area at scale, centred on one page of `device` (a PDF writer or a printer); false
// when there is nothing to plot or the device cannot be painted on.
bool plot(QPagedPaintDevice &device, const cad::Drawing &drawing, const PlotSettings &settings);

} // namespace host
