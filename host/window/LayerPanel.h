#pragma once

#include <QWidget>

#include <cstdint>

class QTreeWidget;
class QTreeWidgetItem;

namespace host {

class HostSession;

// The layer table beside the drawing: each layer's name, colour, on and frozen, the current one
// marked. The boxes turn a layer on or off and freeze or thaw it; a double click makes a layer
// current, or on its colour chooses another. Every change is an undo step of the session, and
// the list follows what -LAYER, CLAYER and undo do.
class LayerPanel : public QWidget
{
    Q_OBJECT

public:
    explicit LayerPanel(HostSession &session, QWidget *parent = nullptr);

    enum Column { Current, Name, Color, On, Frozen };
    QTreeWidget *list() const { return list_; }

private:
    void refresh();
    void changed(QTreeWidgetItem *item, int column);
    void doubleClicked(QTreeWidgetItem *item, int column);
    void makeLayer();

    HostSession &session_;
    QTreeWidget *list_;
    std::uint64_t seen_ = ~std::uint64_t(0);
    bool filling_ = false;
};

} // namespace host
