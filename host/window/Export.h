#pragma once

#include "cad/model/Drawing.h"

#include <QString>

namespace host {

// The whole drawing, fitted with a margin, on a white ground. Both write through QSaveFile, so a
// failed export leaves an older file whole. They return an empty string or the reason.
QString exportSvg(const cad::Drawing &drawing, const QString &path);
QString exportPng(const cad::Drawing &drawing, const QString &path, int longSide = 2400);

struct PlotSettings;
// The plot as a one-page PDF, at scale on its paper.
QString exportPdf(const cad::Drawing &drawing, const PlotSettings &settings, const QString &path);

} // namespace host
