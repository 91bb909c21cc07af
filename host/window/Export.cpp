#include "host/window/Export.h"

#include "cad/render/Render.h"
#include "host/window/Plot.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#ifndef QUENDRA_NO_SVG
#include <QSvgGenerator>
#endif

namespace host {

namespace {

// The picture's size in pixels: the drawing's proportions, `longSide` on its longer side.
QSize sizeFor(const cad::Drawing &drawing, int longSide)
{
    const cad::Box box = cad::extents(drawing);
    if (box.empty() || box.width() <= 0 || box.height() <= 0) return {longSide, longSide * 3 / 4};
    const double ratio = box.height() / box.width();
    if (ratio <= 1) return {longSide, std::max(64, static_cast<int>(longSide * ratio))};
    return {std::max(64, static_cast<int>(longSide / ratio)), longSide};
}

QString store(const QString &path, const QByteArray &bytes)
{
    // flush() before commit(): commit() alone takes a failed last write (a full disk) for success.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush() ||
        !file.commit())
        return QStringLiteral("ファイルを保存できません: %1").arg(path);
    return {};
}

} // namespace

QString exportSvg(const cad::Drawing &drawing, const QString &path)
{
#ifdef QUENDRA_NO_SVG
    Q_UNUSED(drawing);
    Q_UNUSED(path);
    return QStringLiteral("この版は SVG に書き出せません。PNG に書き出してください。");
#else
    const QSize size = sizeFor(drawing, 1600);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(QStringLiteral("quendra-host"));
        QPainter painter(&svg);
        cad::render(painter, drawing, QRectF(QPointF(0, 0), size));
    }
    return store(path, buffer.data());
#endif
}

QString exportPng(const cad::Drawing &drawing, const QString &path, int longSide)
{
    QImage image(sizeFor(drawing, longSide), QImage::Format_RGB32);
    {
        QPainter painter(&image);
        cad::render(painter, drawing, QRectF(image.rect()));
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) return QStringLiteral("画像を作成できません。");
    return store(path, buffer.data());
}

QString exportPdf(const cad::Drawing &drawing, const PlotSettings &settings, const QString &path)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setResolution(1200);
        pdf.setCreator(QStringLiteral("quendra-host"));
        if (!plot(pdf, drawing, settings)) return QString::fromUtf8(nothingToPlot);
    }
    return store(path, buffer.data());
}

} // namespace host
