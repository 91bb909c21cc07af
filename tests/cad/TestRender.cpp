// Painting a drawing: the fitted view shows every entity where its coordinates say.

#include "cad/Render.h"
#include "cad/Replay.h"

#include <QImage>
#include <QPainter>
#include <QTest>

namespace {

QImage paint(const cad::Drawing &drawing, const cad::ViewTransform *view = nullptr,
             QColor background = Qt::white)
{
    QImage image(400, 300, QImage::Format_RGB32);
    QPainter painter(&image);
    cad::RenderStyle style;
    style.background = background;
    style.antialiasing = false;
    if (view)
        cad::render(painter, drawing, QRectF(image.rect()), *view, style);
    else
        cad::render(painter, drawing, QRectF(image.rect()), style);
    return image;
}

int inked(const QImage &image, QColor background = Qt::white)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixelColor(x, y) != background;
    return n;
}

} // namespace

class TestRender : public QObject
{
    Q_OBJECT

private slots:
    void fittedViewShowsTheLinesWhereTheyAre()
    {
        const cad::Drawing d = cad::replay({"LINE 0,0 100,0 100,50 \r"});
        const QRectF target(0, 0, 400, 300);
        const cad::ViewTransform view = cad::fitView(cad::extents(d), target);
        QCOMPARE(view.centre.x, 50.0);
        QCOMPARE(view.centre.y, 25.0);
        const QImage image = paint(d);
        const QPointF corner = view.toDevice(target, {100, 0});
        QVERIFY(image.pixelColor(corner.toPoint() + QPoint(-20, 0)) == Qt::black);
        QVERIFY(image.pixelColor(QPoint(200, 20)) == Qt::white);
        const cad::Point back = view.toDrawing(target, corner);
        QVERIFY(std::fabs(back.x - 100) < 1e-9 && std::fabs(back.y) < 1e-9);
    }

    void everyKindDrawsSomething_data()
    {
        QTest::addColumn<std::string>("script");
        QTest::newRow("arc") << std::string("ARC c 0,0 10,0 0,10 ");
        QTest::newRow("circle") << std::string("CIRCLE 0,0 10 ");
        QTest::newRow("ellipse") << std::string("ELLIPSE c 0,0 10,0 4 ");
        QTest::newRow("text") << std::string("DTEXT j m 0,0 10 0 ＋1000\r\r");
        QTest::newRow("wide polyline") << std::string("PLINE 0,0 w 3  10,0 10,10 c ");
        QTest::newRow("tapered polyline") << std::string("PLINE 0,0 w 0 5 10,0 \r");
    }

    void everyKindDrawsSomething()
    {
        QFETCH(std::string, script);
        QVERIFY(inked(paint(cad::replay({script}))) > 30);
    }

    void viewAwayFromTheDrawingShowsNothing()
    {
        const cad::Drawing d = cad::replay({"LINE 0,0 100,0 \rCIRCLE 0,0 5 "});
        const cad::ViewTransform away{{1e6, 1e6}, 1.0};
        QCOMPARE(inked(paint(d, &away)), 0);
    }

    // Coordinates at the limits and deep zooms must neither hang nor crash the painter.
    void extremeViewsAreSafe()
    {
        const cad::Drawing d =
            cad::replay({"LINE -1e15,-1e15 1e15,1e15 \rCIRCLE 0,0 1e14 ARC c 0,0 1e14,0 0,1e14 "
                         "PLINE -1e14,0 w 1e12  1e14,0 \rDTEXT j m 0,0 1e13 30 big\r\r"});
        for (double scale : {1e-15, 1e-6, 1.0, 1e6}) {
            const cad::ViewTransform view{{0, 0}, scale};
            paint(d, &view);
        }
        const cad::ViewTransform onTheCircle{{1e14, 0}, 1.0};
        QVERIFY(inked(paint(d, &onTheCircle)) > 0);
    }

    // Seen from close up, a huge circle is drawn where it is, to the pixel, not as long chords.
    void hugeCircleCloseUp()
    {
        const cad::Drawing d = cad::replay({"CIRCLE 0,0 1000000 "});
        const cad::ViewTransform view{{1000000, 0}, 100.0};
        const QImage image = paint(d, &view);
        int rows = 0;
        for (int y = 20; y < 280; ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixelColor(x, y) != Qt::white) {
                    QVERIFY2(std::abs(x - 200) <= 1, qPrintable(QString("row %1 inked at %2").arg(y).arg(x)));
                    ++rows;
                    break;
                }
            }
        }
        QCOMPARE(rows, 260);
    }

    void colours()
    {
        cad::RenderStyle dark;
        dark.background = Qt::black;
        QCOMPARE(cad::colorOf(1), QColor(255, 0, 0));
        QCOMPARE(cad::colorOf(256), QColor(Qt::black));
        QCOMPARE(cad::colorOf(7), QColor(Qt::black));
        QCOMPARE(cad::colorOf(256, dark), QColor(Qt::white));
        QCOMPARE(cad::colorOf(250).red(), 51);
        QCOMPARE(cad::colorOf(255).red(), 255);
        QCOMPARE(cad::colorOf(10).hue(), 0);
        QCOMPARE(cad::colorOf(50).hue(), 60);
    }
};

QTEST_MAIN(TestRender)
#include "TestRender.moc"
