#include "cad/render/ColorDialog.h"

#include "cad/render/Render.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace cad {

namespace {

QString nameOf(int index)
{
    if (index == cad::colorByLayer) return QStringLiteral("BYLAYER");
    if (index == 0) return QStringLiteral("BYBLOCK");
    return QStringLiteral("色番号 %1").arg(index);
}

QColor swatchColor(int index)
{
    cad::RenderStyle dark;
    dark.background = QColor(30, 34, 40);
    return cad::colorOf(index, dark);
}

} // namespace

ColorDialog::ColorDialog(int current, QWidget *parent)
    : QDialog(parent), index_(current), name_(new QLabel(this)), sample_(new QFrame(this))
{
    setWindowTitle(QStringLiteral("色選択"));
    auto *layout = new QVBoxLayout(this);

    auto *standard = new QHBoxLayout;
    for (int i = 1; i <= 9; ++i)
        standard->addWidget(swatch(i));
    standard->addStretch();
    layout->addWidget(new QLabel(QStringLiteral("標準色"), this));
    layout->addLayout(standard);

    // 10 to 249: 24 hues across, 10 shades down.
    auto *grid = new QGridLayout;
    grid->setSpacing(1);
    for (int i = 10; i <= 249; ++i)
        grid->addWidget(swatch(i), i % 10, i / 10 - 1);
    layout->addWidget(new QLabel(QStringLiteral("インデックス カラー"), this));
    layout->addLayout(grid);

    auto *grays = new QHBoxLayout;
    for (int i = 250; i <= 255; ++i)
        grays->addWidget(swatch(i));
    grays->addStretch();
    auto *byLayer = new QPushButton(QStringLiteral("BYLAYER(&L)"), this);
    auto *byBlock = new QPushButton(QStringLiteral("BYBLOCK(&K)"), this);
    byLayer->setObjectName(QStringLiteral("byLayer"));
    connect(byLayer, &QPushButton::clicked, this, [this] { choose(cad::colorByLayer); });
    connect(byBlock, &QPushButton::clicked, this, [this] { choose(0); });
    grays->addWidget(byLayer);
    grays->addWidget(byBlock);
    layout->addLayout(grays);

    auto *chosen = new QHBoxLayout;
    sample_->setFixedSize(48, 20);
    sample_->setFrameShape(QFrame::Box);
    sample_->setAutoFillBackground(true);
    chosen->addWidget(new QLabel(QStringLiteral("選択した色:"), this));
    chosen->addWidget(sample_);
    chosen->addWidget(name_);
    chosen->addStretch();
    layout->addLayout(chosen);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    choose(current);
}

QWidget *ColorDialog::swatch(int index)
{
    auto *b = new QToolButton(this);
    b->setFixedSize(16, 16);
    b->setToolTip(nameOf(index));
    b->setObjectName(QStringLiteral("color%1").arg(index));
    b->setStyleSheet(QStringLiteral("QToolButton { background: %1; border: 1px solid #555; }")
                         .arg(swatchColor(index).name()));
    connect(b, &QToolButton::clicked, this, [this, index] { choose(index); });
    return b;
}

void ColorDialog::choose(int index)
{
    index_ = index;
    name_->setText(nameOf(index));
    QPalette p = sample_->palette();
    p.setColor(QPalette::Window, swatchColor(index));
    sample_->setPalette(p);
}

} // namespace cad
