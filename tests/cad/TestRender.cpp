// Painting a drawing: the fitted view shows every entity where its coordinates say.

#include "cad/command/Replay.h"
#include "cad/render/Render.h"

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

cad::Drawing drawingOf(const std::vector<cad::Entity> &entities)
{
    cad::Drawing d;
    d.replace(entities);
    return d;
}

cad::Entity line(cad::Point a, cad::Point b, std::vector<double> dashes = {})
{
    cad::Entity e;
    e.a = a;
    e.b = b;
    e.dashes = std::move(dashes);
    return e;
}

cad::Entity fill(std::vector<cad::Point> loops, int color)
{
    cad::Entity e;
    e.type = cad::Entity::Type::Fill;
    e.vertices = std::move(loops);
    e.color = color;
    return e;
}

QColor pixelAt(const QImage &image, const cad::ViewTransform &view, cad::Point p)
{
    return image.pixelColor(view.toDevice(QRectF(image.rect()), p).toPoint());
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

    // A fill inks what its loops surround an odd number of times: not its hole.
    void fillsInkTheirInside()
    {
        const cad::Drawing d = drawingOf({fill({{0, 0},
                                                {100, 0},
                                                {100, 100},
                                                {0, 100},
                                                {0, 0},
                                                {40, 40},
                                                {60, 40},
                                                {60, 60},
                                                {40, 60},
                                                {40, 40}},
                                               1)});
        const cad::ViewTransform view{{50, 50}, 2.0};
        const QImage image = paint(d, &view);
        QCOMPARE(pixelAt(image, view, {20, 20}), QColor(255, 0, 0));
        QCOMPARE(pixelAt(image, view, {90, 50}), QColor(255, 0, 0));
        QCOMPARE(pixelAt(image, view, {50, 50}), QColor(Qt::white));
        QCOMPARE(pixelAt(image, view, {120, 50}), QColor(Qt::white));
    }

    // A mask hides what was drawn before it (single pixels too), not what comes after it.
    void maskHidesWhatCameBefore()
    {
        cad::Entity speck;
        speck.type = cad::Entity::Type::Circle;
        speck.centre = {45, 45};
        speck.radius = 0.01;
        const cad::Drawing d =
            drawingOf({line({0, 50}, {100, 50}), speck,
                       fill({{30, 30}, {70, 30}, {70, 70}, {30, 70}, {30, 30}}, cad::colorBackground),
                       line({50, 0}, {50, 100})});
        const cad::ViewTransform view{{50, 50}, 2.0};
        const QImage image = paint(d, &view);
        QCOMPARE(pixelAt(image, view, {10, 50}), QColor(Qt::black));
        QCOMPARE(pixelAt(image, view, {40, 50}), QColor(Qt::white));
        QCOMPARE(pixelAt(image, view, {45, 45}), QColor(Qt::white));
        QCOMPARE(pixelAt(image, view, {50, 40}), QColor(Qt::black));
        // On a dark background too.
        const QImage dark = paint(d, &view, Qt::black);
        QCOMPARE(pixelAt(dark, view, {40, 50}), QColor(Qt::black));
        QCOMPARE(pixelAt(dark, view, {10, 50}), QColor(Qt::white));
    }

    // A dashed line inks about its dashes' share; seen from so far that its pattern would be a
    // few pixels long, it is drawn continuous.
    void dashesShowWhereTheyCanBeSeen()
    {
        const cad::Drawing continuous = drawingOf({line({0, 0}, {100, 0})});
        const cad::Drawing dashed = drawingOf({line({0, 0}, {100, 0}, {6, -4})});
        const cad::ViewTransform close{{50, 0}, 3.0}, far{{50, 0}, 0.3};
        const int whole = inked(paint(continuous, &close)), part = inked(paint(dashed, &close));
        QVERIFY2(part > whole * 0.55 && part < whole * 0.7,
                 qPrintable(QString("%1 of %2").arg(part).arg(whole)));
        QCOMPARE(inked(paint(dashed, &far)), inked(paint(continuous, &far)));

        cad::Entity circle;
        circle.type = cad::Entity::Type::Circle;
        circle.radius = 40;
        const cad::ViewTransform middle{{0, 0}, 3.0};
        const int round = inked(paint(drawingOf({circle}), &middle));
        circle.dashes = {6, -4};
        const int dashedRound = inked(paint(drawingOf({circle}), &middle));
        QVERIFY2(dashedRound > round * 0.5 && dashedRound < round * 0.75,
                 qPrintable(QString("%1 of %2").arg(dashedRound).arg(round)));
    }

    // A ray runs from its start to the edge of the view, an xline across it; neither counts in
    // the extents.
    void raysReachTheEdgesOfTheView()
    {
        cad::Entity ray;
        ray.type = cad::Entity::Type::Ray;
        ray.a = {0, 0};
        ray.b = {1, 0};
        const cad::ViewTransform view{{0, 0}, 1e-3};
        QImage image = paint(drawingOf({ray}), &view);
        QVERIFY(image.pixelColor(395, 150) != Qt::white);
        QVERIFY(image.pixelColor(5, 150) == Qt::white);
        QCOMPARE(inked(image), 200);
        ray.closed = true;
        image = paint(drawingOf({ray}), &view);
        QVERIFY(image.pixelColor(5, 150) != Qt::white);
        QVERIFY(cad::extents(drawingOf({ray, line({0, 0}, {10, 10})})).max.x == 10);
    }

    // A point is a mark a few pixels large at every zoom.
    void pointsAreMarks()
    {
        const cad::Drawing d = drawingOf({line({3, 3}, {3, 3})});
        for (const double scale : {1e-6, 1.0, 1e6}) {
            const cad::ViewTransform view{{3, 3}, scale};
            QCOMPARE(inked(paint(d, &view)), 5);
        }
    }

    // Mirrored, a text reads backwards: an L has its stroke on the right.
    void mirroredTextReadsBackwards()
    {
        cad::Entity l;
        l.type = cad::Entity::Type::Text;
        l.text = "L";
        l.height = 100;
        const cad::ViewTransform view{{0, 0}, 1.0};
        const auto halves = [&](const cad::Entity &e) {
            const QImage image = paint(drawingOf({e}), &view);
            const QImage left = image.copy(0, 0, 200, 300), right = image.copy(200, 0, 200, 300);
            return std::pair{inked(left), inked(right)};
        };
        const auto [left, right] = halves(l);
        QVERIFY(left > right);
        l.mirrored = true;
        const auto [mirroredLeft, mirroredRight] = halves(l);
        QVERIFY(mirroredRight > mirroredLeft);
        QVERIFY(std::abs(mirroredRight - left) < left / 10);
    }

    void colours()
    {
        cad::RenderStyle dark;
        dark.background = Qt::black;
        QCOMPARE(cad::colorOf(1), QColor(255, 0, 0));
        QCOMPARE(cad::colorOf(256), QColor(Qt::black));
        QCOMPARE(cad::colorOf(7), QColor(Qt::black));
        QCOMPARE(cad::colorOf(7, dark), QColor(Qt::white)); // colour 7 stands out on the host's canvas
        QCOMPARE(cad::colorOf(256, dark), QColor(Qt::white));
        QCOMPARE(cad::colorOf(250).red(), 51);
        QCOMPARE(cad::colorOf(255).red(), 255);
        QCOMPARE(cad::colorOf(10).hue(), 0);
        QCOMPARE(cad::colorOf(50).hue(), 60);
    }
};

QTEST_MAIN(TestRender)
#include "TestRender.moc"
