#pragma once

#include "cad/Drawing.h"

#include <QWidget>

#include <string>
#include <vector>

namespace quendra {

// The dialog's live sketch: the symbol its current inputs would draw, replayed through the CAD
// interpreter with the base point at the origin, marked "基準点". Option buttons that belong on
// the sketch (a hinge side at a jamb, a column corner) sit at fixed places over it.
class PreviewWidget : public QWidget
{
public:
    explicit PreviewWidget(QWidget *parent = nullptr);

    void show(const std::vector<std::string> &scripts);
    void clear();
    void setMarksBasePoint(bool on) { marksBasePoint_ = on; }
    const cad::Drawing &drawing() const { return drawing_; }
    // Puts `w` at (fx, fy), fractions of the sketch's width and height from its top left.
    void addAnchored(QWidget *w, double fx, double fy);

    QSize sizeHint() const override { return {360, 240}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void placeAnchored();

    cad::Drawing drawing_;
    struct Anchored
    {
        QWidget *widget;
        double fx, fy;
    };
    std::vector<Anchored> anchored_;
    bool marksBasePoint_ = true;
};

} // namespace quendra
