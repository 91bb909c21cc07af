#pragma once

#include <QDialog>

class QLabel;
class QFrame;

namespace cad {

// DDCOLOR's dialog: the index colours of DXF in a grid, and ByLayer and ByBlock.
class ColorDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ColorDialog(int current, QWidget *parent = nullptr);
    int colorIndex() const { return index_; }

private:
    QWidget *swatch(int index);
    void choose(int index);

    int index_;
    QLabel *name_;
    QFrame *sample_;
};

} // namespace cad
