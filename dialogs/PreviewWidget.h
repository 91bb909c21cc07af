#pragma once

#include "cad/model/Drawing.h"
#include "cad/render/Render.h"
#include "rules/FormDefinition.h"

#include <QWidget>

#include <string>
#include <vector>

namespace quendra {

// The dialog's live sketch: the symbol its current inputs would draw, replayed through the CAD
// interpreter with the base point at the origin, marked "基準点". Option buttons that belong on
// the sketch (a hinge side at a jamb, a column corner) sit over it at their anchors, and never
// over the marker.
class PreviewWidget : public QWidget
{
    Q_OBJECT

public:
    explicit PreviewWidget(QWidget *parent = nullptr);

    void show(const std::vector<std::string> &scripts);
    void clear();
    void setMarksBasePoint(bool on) { marksBasePoint_ = on; }
    const cad::Drawing &drawing() const { return drawing_; }
    void addAnchored(QWidget *w, const Anchor &anchor);
    // Where the base-point marker and its caption are drawn; empty when there is none.
    QRect basePointMark() const;

    QSize sizeHint() const override { return {360, 240}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QRectF area() const;
    cad::ViewTransform view() const;
    void placeAnchored();
    QRect anchoredRect(const Anchor &anchor, QSize size) const;

    cad::Drawing drawing_;
    struct Anchored
    {
        QWidget *widget;
        Anchor anchor;
    };
    std::vector<Anchored> anchored_;
    bool marksBasePoint_ = true;
};

} // namespace quendra
