#pragma once

#include "host/window/Plot.h"

#include <QDialog>

class QButtonGroup;
class QComboBox;
class QLabel;

namespace host {

// 印刷: paper, orientation, scale, what is plotted and in which colours; then a PDF file or a
// printer of the desktop. The settings stay for the next plot.
class PlotDialog : public QDialog
{
    Q_OBJECT

public:
    // `view`: the part of the drawing on screen, offered as the area "表示画面".
    PlotDialog(const cad::Drawing &drawing, const cad::Box &view, const PlotSettings &settings,
               QWidget *parent = nullptr);

    PlotSettings settings() const;
    // The file offered when the plot goes to a PDF; the PDF written, once it is.
    void suggestPdf(const QString &path) { pdf_ = path; }
    QString pdf() const { return pdf_; }

private:
    void toPdf();
    void toPrinter();
    void updateFit();
    bool readSettings(PlotSettings &settings);
    // Reads the settings for a plot, or says what is wrong.
    bool takeSettings();

    const cad::Drawing &drawing_;
    cad::Box view_;
    QComboBox *paper_;
    QComboBox *scale_;
    QComboBox *area_;
    QButtonGroup *orientation_;
    QButtonGroup *colour_;
    QLabel *fit_;
    PlotSettings settings_;
    QString pdf_;
};

} // namespace host
