#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QWidget>

namespace quendra {

// The sketch pad Picture1: freehand notes drawn with the mouse. Strokes go into an image of the
// pad's own, over the background colour and an optional background picture, so repaints, resizes
// and hiding lose nothing; the picture saved is exactly the one shown.
class SketchPad : public QWidget
{
    Q_OBJECT

public:
    // In the order of the sketch menu: "連続線", "円", "四角形", "直線(二点指示)", "円塗りつぶし",
    // "四角形塗りつぶし".
    enum class Tool { Freehand, Circle, Rectangle, Line, FilledCircle, FilledRectangle };
    static constexpr int toolCount = 6;
    // Colour menu indices: "黒", "赤", "青", "黄", "白".
    static constexpr int colorCount = 5;
    static constexpr int black = 0;
    static constexpr int white = 4;

    explicit SketchPad(QWidget *parent = nullptr);

    static QString toolCaption(Tool tool);
    static QString colorCaption(int index);
    // The palette colour of a colour menu index; an invalid colour outside 0..4.
    static QColor paletteColor(int index);

    // Takes effect at the next mouse press; a pending first point stays.
    void setTool(Tool tool) { tool_ = tool; }
    Tool tool() const { return tool_; }
    // Line colour, and with it the fill colour. An index outside 0..4 is ignored.
    void setLineColor(int index);
    int lineColor() const { return lineColor_; }
    // Background colour under the picture and the drawing. An index outside 0..4 is ignored.
    void setBackColor(int index);
    int backColor() const { return backColor_; }

    // "全消去": removes everything drawn; a background picture stays.
    void clearAll();
    // Loads a bitmap as the background picture and starts a fresh drawing over it; the pad takes
    // the picture's size. False, with the pad unchanged, when the file cannot be read as a bitmap.
    bool openBackground(const QString &path);
    // Drops the background picture and the drawing over it.
    void closeBackground();
    bool hasBackground() const { return !picture_.isNull(); }
    // The sketch pad chosen as work area: black lines on grey, no picture, nothing drawn.
    void reset();

    // What the pad shows: background colour, picture and drawing, at the pad's size.
    QImage image() const;
    // Writes image() as a bitmap through QSaveFile. False on failure; the old file stays whole.
    bool saveBitmap(const QString &path);

    bool isModified() const { return modified_; }
    void setModified(bool modified) { modified_ = modified; }
    // A two-click tool has its first point and waits for the second.
    bool hasPendingPoint() const { return pending_.pending; }

    QSize sizeHint() const override;

signals:
    // The drawing changed.
    void modified();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    // The first click of a two-click tool; it outlives tool and colour changes and file operations.
    struct PendingPoint
    {
        bool pending = false;
        QPoint at;
    };

    void pressFreehand(Qt::MouseButton button, QPoint at);
    void pressTwoClick(QPoint at);
    void drawShape(QPoint from, QPoint to);
    void plot(QPoint at);
    void lineTo(QPoint at);
    void stroked(const QRect &area);
    void changed(const QRect &area);
    void growDrawing(QSize size);
    void clearDrawing();
    QColor lineColorValue() const { return paletteColor(lineColor_); }

    Tool tool_ = Tool::Freehand;
    int lineColor_ = black;
    int fillColor_ = black; // set with the line colour; kept when the pad is reset
    int backColor_ = white;
    QImage picture_;
    // Strokes on a transparent image that only ever grows, so shrinking the pad loses nothing.
    QImage drawing_;
    bool drawn_ = false;
    // Where the next freehand line starts; every plot and shape moves it.
    QPoint current_;
    bool penDown_ = false;
    PendingPoint pending_;
    bool modified_ = false;
};

} // namespace quendra
