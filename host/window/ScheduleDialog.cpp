#include "host/window/ScheduleDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace host {

namespace {

QTableWidget *tableOf(const std::vector<cad::ScheduleRow> &rows, QWidget *parent)
{
    const auto &header = cad::scheduleHeader();
    auto *table = new QTableWidget(static_cast<int>(rows.size()), static_cast<int>(header.size()), parent);
    table->setObjectName(QStringLiteral("schedule"));
    QStringList labels;
    for (const std::string &h : header)
        labels << QString::fromStdString(h);
    table->setHorizontalHeaderLabels(labels);
    for (int r = 0; r < table->rowCount(); ++r) {
        const auto texts = cad::cells(rows[static_cast<std::size_t>(r)]);
        for (int c = 0; c < table->columnCount(); ++c) {
            auto *item = new QTableWidgetItem(QString::fromStdString(texts[static_cast<std::size_t>(c)]));
            item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
            table->setItem(r, c, item);
        }
    }
    table->verticalHeader()->hide();
    table->resizeColumnsToContents();
    table->horizontalHeader()->setSectionResizeMode(3, QHeaderView::Stretch); // the other dimensions
    return table;
}

} // namespace

ScheduleDialog::ScheduleDialog(const std::vector<cad::ScheduleRow> &rows, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("建具表"));
    auto *layout = new QVBoxLayout(this);
    if (rows.empty())
        layout->addWidget(new QLabel(QStringLiteral("図面に建具の図形はありません。"), this));
    else
        layout->addWidget(tableOf(rows, this));
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *csv =
        buttons->addButton(QStringLiteral("CSV に書き出し(&E)..."), QDialogButtonBox::ActionRole);
    QPushButton *draw = buttons->addButton(QStringLiteral("図面に作図(&D)"), QDialogButtonBox::ActionRole);
    buttons->addButton(QStringLiteral("閉じる"), QDialogButtonBox::RejectRole);
    csv->setEnabled(!rows.empty());
    draw->setEnabled(!rows.empty());
    connect(csv, &QPushButton::clicked, this, [this] {
        choice_ = Choice::Csv;
        accept();
    });
    connect(draw, &QPushButton::clicked, this, [this] {
        choice_ = Choice::Draw;
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(760, 320);
}

} // namespace host
