#include "host/window/SnapDialog.h"

#include "host/window/Canvas.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace host {

SnapDialog::SnapDialog(cad::SnapModes modes, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("オブジェクト スナップ設定"));
    auto *grid = new QGridLayout;
    int row = 0;
    for (const cad::SnapPoint::Kind kind : allSnaps) {
        auto *box = new QCheckBox(snapName(kind), this);
        box->setChecked((modes & cad::snapBit(kind)) != 0);
        grid->addWidget(box, row % 5, row / 5);
        boxes_.emplace_back(kind, box);
        ++row;
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    QPushButton *all = buttons->addButton(QStringLiteral("すべて選択(&S)"), QDialogButtonBox::ResetRole);
    QPushButton *none = buttons->addButton(QStringLiteral("すべてクリア(&C)"), QDialogButtonBox::ResetRole);
    connect(all, &QPushButton::clicked, this, [this] { checkAll(true); });
    connect(none, &QPushButton::clicked, this, [this] { checkAll(false); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
}

cad::SnapModes SnapDialog::modes() const
{
    cad::SnapModes modes = 0;
    for (const auto &[kind, box] : boxes_)
        if (box->isChecked()) modes |= cad::snapBit(kind);
    return modes;
}

void SnapDialog::checkAll(bool on)
{
    for (const auto &entry : boxes_)
        entry.second->setChecked(on);
}

} // namespace host
