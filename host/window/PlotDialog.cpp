#include "host/window/PlotDialog.h"

#include "host/window/Export.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace host {

namespace {

constexpr const char *title = "印刷";
constexpr const char *scaleMessage = "尺度は 1:100 のように入力して下さい。";

QButtonGroup *choice(QWidget *parent, QHBoxLayout *row, const QStringList &captions, int checked)
{
    auto *group = new QButtonGroup(parent);
    for (int i = 0; i < captions.size(); ++i) {
        auto *button = new QRadioButton(captions[i], parent);
        button->setChecked(i == checked);
        group->addButton(button, i);
        row->addWidget(button);
    }
    row->addStretch();
    return group;
}

} // namespace

PlotDialog::PlotDialog(const cad::Drawing &drawing, const cad::Box &view, const PlotSettings &settings,
                       QWidget *parent)
    : QDialog(parent), drawing_(drawing), view_(view), paper_(new QComboBox(this)),
      scale_(new QComboBox(this)), area_(new QComboBox(this)), fit_(new QLabel(this)), settings_(settings)
{
    setWindowTitle(QString::fromUtf8(title));
    auto *form = new QFormLayout;
    for (const char *name : plotPapers)
        paper_->addItem(QString::fromLatin1(name));
    for (std::size_t i = 0; i < plotPapers.size(); ++i)
        if (paperNamed(QString::fromLatin1(plotPapers[i])) == settings.paper) paper_->setCurrentIndex(int(i));
    form->addRow(QStringLiteral("用紙(&P):"), paper_);

    auto *orientationRow = new QHBoxLayout;
    orientation_ = choice(this, orientationRow, {QStringLiteral("横(&L)"), QStringLiteral("縦(&T)")},
                          settings.orientation == QPageLayout::Landscape ? 0 : 1);
    form->addRow(QStringLiteral("向き:"), orientationRow);

    scale_->setEditable(true);
    scale_->setCompleter(nullptr);
    for (int s : plotScales)
        scale_->addItem(QStringLiteral("1:%1").arg(s));
    scale_->setEditText(QStringLiteral("1:%1").arg(settings.scale));
    form->addRow(QStringLiteral("尺度(&S):"), scale_);

    area_->addItems({QStringLiteral("図面枠"), QStringLiteral("図形範囲"), QStringLiteral("表示画面")});
    area_->setCurrentIndex(static_cast<int>(settings.area));
    form->addRow(QStringLiteral("印刷範囲(&A):"), area_);

    auto *colourRow = new QHBoxLayout;
    colour_ = choice(this, colourRow, {QStringLiteral("カラー(&C)"), QStringLiteral("白黒(&K)")},
                     settings.monochrome ? 1 : 0);
    form->addRow(QStringLiteral("色:"), colourRow);
    form->addRow(fit_);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    QPushButton *pdf = buttons->addButton(QStringLiteral("PDF に保存(&D)..."), QDialogButtonBox::AcceptRole);
    QPushButton *printer = buttons->addButton(QStringLiteral("印刷(&P)..."), QDialogButtonBox::AcceptRole);
    pdf->setDefault(true);
    connect(pdf, &QPushButton::clicked, this, &PlotDialog::toPdf);
    connect(printer, &QPushButton::clicked, this, &PlotDialog::toPrinter);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(paper_, &QComboBox::currentIndexChanged, this, &PlotDialog::updateFit);
    connect(scale_, &QComboBox::currentTextChanged, this, &PlotDialog::updateFit);
    connect(area_, &QComboBox::currentIndexChanged, this, &PlotDialog::updateFit);
    connect(orientation_, &QButtonGroup::idClicked, this, &PlotDialog::updateFit);
    updateFit();
}

PlotSettings PlotDialog::settings() const
{
    return settings_;
}

bool PlotDialog::readSettings(PlotSettings &s)
{
    const auto scale = scaleNamed(scale_->currentText());
    if (!scale) return false;
    s.paper = *paperNamed(paper_->currentText());
    s.orientation = orientation_->checkedId() == 0 ? QPageLayout::Landscape : QPageLayout::Portrait;
    s.scale = *scale;
    s.area = static_cast<PlotSettings::Area>(area_->currentIndex());
    s.window = view_;
    s.monochrome = colour_->checkedId() == 1;
    return true;
}

// Says how the area at this scale sits on the paper, so that a wrong scale shows before plotting.
void PlotDialog::updateFit()
{
    PlotSettings s = settings_;
    if (!readSettings(s)) {
        fit_->setText(QString::fromUtf8(scaleMessage));
        return;
    }
    const cad::Box area = plotArea(drawing_, s);
    if (area.empty()) {
        fit_->setText(QString::fromUtf8(nothingToPlot));
        return;
    }
    const QSizeF paper = QPageSize(s.paper).size(QPageSize::Millimeter);
    const bool landscape = s.orientation == QPageLayout::Landscape;
    const double w = landscape ? paper.height() : paper.width(),
                 h = landscape ? paper.width() : paper.height();
    const double aw = area.width() / s.scale, ah = area.height() / s.scale;
    const QString size = QStringLiteral("範囲 %1 × %2 mm (用紙 %3 × %4 mm)")
                             .arg(aw, 0, 'f', 1)
                             .arg(ah, 0, 'f', 1)
                             .arg(w, 0, 'f', 0)
                             .arg(h, 0, 'f', 0);
    fit_->setText(aw > w + 0.5 || ah > h + 0.5 ? size + QStringLiteral("　用紙に収まりません。") : size);
}

bool PlotDialog::takeSettings()
{
    if (readSettings(settings_)) return true;
    QMessageBox::warning(this, QString::fromUtf8(title), QString::fromUtf8(scaleMessage));
    return false;
}

void PlotDialog::toPdf()
{
    if (!takeSettings()) return;
    QString path =
        QFileDialog::getSaveFileName(this, QStringLiteral("PDF に保存"), pdf_, QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".pdf");
    const QString error = exportPdf(drawing_, settings_, path);
    if (!error.isEmpty()) {
        QMessageBox::warning(this, QString::fromUtf8(title), error);
        return;
    }
    pdf_ = path;
    accept();
}

void PlotDialog::toPrinter()
{
    if (!takeSettings()) return;
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
    if (!plot(printer, drawing_, settings_)) {
        QMessageBox::warning(this, QString::fromUtf8(title), QStringLiteral("印刷できませんでした。"));
        return;
    }
    accept();
}

} // namespace host
