#include "host/window/LayerPanel.h"

#include "cad/render/ColorDialog.h"
#include "cad/render/Render.h"
#include "host/session/HostSession.h"

#include <QHeaderView>
#include <QInputDialog>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace host {

namespace {

QIcon swatch(int color)
{
    QPixmap pixmap(14, 14);
    pixmap.fill(cad::colorOf(color));
    QPainter painter(&pixmap);
    painter.setPen(Qt::gray);
    painter.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    return QIcon(pixmap);
}

} // namespace

LayerPanel::LayerPanel(HostSession &session, QWidget *parent)
    : QWidget(parent), session_(session), list_(new QTreeWidget(this))
{
    list_->setColumnCount(5);
    list_->setHeaderLabels({QStringLiteral("現在"), QStringLiteral("名前"), QStringLiteral("色"),
                            QStringLiteral("表示"), QStringLiteral("フリーズ")});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->header()->setStretchLastSection(false);
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list_->header()->setSectionResizeMode(Name, QHeaderView::Stretch);
    list_->setToolTip(QStringLiteral("ダブルクリックで現在層にします。色をダブルクリックで色を変えます。"));
    auto *make = new QPushButton(QStringLiteral("新しい画層(&N)..."), this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(list_);
    layout->addWidget(make);
    connect(list_, &QTreeWidget::itemChanged, this, &LayerPanel::changed);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &LayerPanel::doubleClicked);
    connect(make, &QPushButton::clicked, this, &LayerPanel::makeLayer);
    connect(&session_, &HostSession::drawingChanged, this, &LayerPanel::refresh);
    refresh();
}

void LayerPanel::refresh()
{
    const cad::Drawing &d = session_.drawing();
    if (d.layersRevision() == seen_) return;
    seen_ = d.layersRevision();
    filling_ = true;
    // Made whole before they go in, and put in at once.
    const int scrolled = list_->verticalScrollBar()->value();
    const int row = list_->currentIndex().row();
    QList<QTreeWidgetItem *> items;
    const auto &layers = d.layers();
    for (std::size_t i = 0; i < layers.size(); ++i) {
        const cad::Layer &l = layers[i];
        const bool current = i == d.currentLayer();
        auto *item = new QTreeWidgetItem;
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setText(Current, current ? QStringLiteral("✔") : QString());
        item->setText(Name, QString::fromStdString(l.name));
        if (current) {
            QFont font = list_->font();
            font.setBold(true);
            item->setFont(Name, font);
            item->setToolTip(Name, QStringLiteral("現在層"));
        }
        item->setIcon(Color, swatch(l.color));
        item->setText(Color, QString::number(l.color));
        item->setCheckState(On, l.on ? Qt::Checked : Qt::Unchecked);
        item->setCheckState(Frozen, l.frozen ? Qt::Checked : Qt::Unchecked);
        items.append(item);
    }
    list_->clear();
    list_->addTopLevelItems(items);
    if (row >= 0 && row < items.size()) list_->setCurrentItem(items[row]);
    list_->verticalScrollBar()->setValue(scrolled);
    filling_ = false;
}

void LayerPanel::changed(QTreeWidgetItem *item, int column)
{
    if (filling_ || (column != On && column != Frozen)) return;
    const auto layer = static_cast<std::size_t>(list_->indexOfTopLevelItem(item));
    const bool checked = item->checkState(column) == Qt::Checked;
    if (column == On)
        session_.setLayerOn(layer, checked);
    else
        session_.setLayerFrozen(layer, checked);
    // A change refused (the current layer frozen) puts the box back.
    seen_ = ~std::uint64_t(0);
    refresh();
}

void LayerPanel::doubleClicked(QTreeWidgetItem *item, int column)
{
    const auto layer = static_cast<std::size_t>(list_->indexOfTopLevelItem(item));
    if (layer >= session_.drawing().layers().size()) return;
    if (column == On || column == Frozen) return;
    if (column == Color) {
        cad::ColorDialog dialog(session_.drawing().layers()[layer].color, this);
        if (dialog.exec() == QDialog::Accepted) session_.setLayerColor(layer, dialog.colorIndex());
        return;
    }
    session_.setCurrentLayer(layer);
}

void LayerPanel::makeLayer()
{
    bool ok = false;
    const QString name = QInputDialog::getText(this, QStringLiteral("新しい画層"), QStringLiteral("画層名:"),
                                               QLineEdit::Normal, QString(), &ok)
                             .trimmed();
    if (!ok || name.isEmpty()) return;
    QString reason;
    if (!session_.makeLayer(name, &reason))
        QMessageBox::warning(this, QStringLiteral("quendra-host"), reason);
}

} // namespace host
