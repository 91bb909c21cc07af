// The drawing model: compact storage, undo groups, the outlines views rely on, snapping.

#include "cad/command/Replay.h"
#include "cad/model/Describe.h"
#include "cad/model/Geometry.h"
#include "cad/model/InputReading.h"
#include "cad/model/Names.h"
#include "cad/model/Snap.h"
#include "tests/cad/Lines.h"

#include <QTest>

#include <cmath>

namespace {

cad::Entity text(double x, double y, const char *s)
{
    cad::Entity e;
    e.type = cad::Entity::Type::Text;
    e.insert = {x, y};
    e.height = 10;
    e.text = s;
    return e;
}

cad::Entity polyline(std::vector<cad::Point> points, double width)
{
    cad::Entity e;
    e.type = cad::Entity::Type::Polyline;
    e.vertices = std::move(points);
    e.startWidth = e.endWidth = width;
    return e;
}

} // namespace

class TestDrawing : public QObject
{
    Q_OBJECT

private slots:
    // Texts and vertex lists live beside the records; undo and redo must keep them in step.
    void undoRedoKeepTextsAndVerticesInStep()
    {
        cad::Drawing d;
        d.beginGroup("A");
        d.add(text(0, 0, "一"));
        d.add(polyline({{0, 0}, {1, 1}}, 2));
        d.endGroup();
        d.beginGroup("B");
        d.add(text(5, 5, "二"));
        d.add(polyline({{3, 3}, {4, 4}, {5, 3}}, 0));
        d.endGroup();
        QCOMPARE(d.undo(), std::string("B"));
        d.beginGroup("C");
        d.add(text(9, 9, "三"));
        d.endGroup();
        QVERIFY(!d.canRedo()); // something new forgets what was undone
        QCOMPARE(q(cad::describe(d)), q(Lines{"T 0,0 10 0 一", "P 0,0 1,1 w 2/2", "T 9,9 10 0 三"}));
        QCOMPARE(d.undo(), std::string("C"));
        QCOMPARE(d.undo(), std::string("A"));
        QVERIFY(d.empty());
        QCOMPARE(d.redo(), std::string("A"));
        QCOMPARE(q(cad::describe(d)), q(Lines{"T 0,0 10 0 一", "P 0,0 1,1 w 2/2"}));
    }

    // What files bring: line types, fills, rays and mirrored texts are kept through erasing,
    // undo and redo, each with its own entity; rays count in no extents.
    void fileKindsKeepTheirData()
    {
        cad::Drawing d;
        cad::Entity dashed;
        dashed.a = {0, 0};
        dashed.b = {10, 0};
        dashed.dashes = {2, -1};
        cad::Entity fill;
        fill.type = cad::Entity::Type::Fill;
        fill.vertices = {{0, 0}, {4, 0}, {4, 4}, {0, 0}, {1, 1}, {2, 1}, {2, 2}, {1, 1}};
        fill.color = cad::colorBackground;
        cad::Entity ray;
        ray.type = cad::Entity::Type::Ray;
        ray.a = {100, 100};
        ray.b = {101, 100};
        ray.closed = true;
        cad::Entity mirrored = text(5, 5, "R");
        mirrored.mirrored = true;
        d.beginGroup("A");
        d.add(text(0, 0, "一"));
        d.add(dashed);
        d.add(fill);
        d.add(ray);
        d.add(mirrored);
        d.endGroup();
        const Lines all{"T 0,0 10 0 一", "L 0,0 10,0 dashes 2/-1", "F 0,0 4,0 4,4 0,0 1,1 2,1 2,2 1,1 mask",
                        "X 100,100 101,100", "T 5,5 10 0 R mirrored"};
        QCOMPARE(q(cad::describe(d)), q(all));
        QCOMPARE(cad::fillLoops(d.view(2).vertices).size(), std::size_t(2));
        QVERIFY(d.extents().max.x < 50);
        d.erase({0});
        QCOMPARE(q(cad::describe(d)), q(Lines(all.begin() + 1, all.end())));
        d.undo();
        QCOMPARE(q(cad::describe(d)), q(all));
        d.erase({1, 3});
        QCOMPARE(q(cad::describe(d)), q(Lines{all[0], all[2], all[4]}));
        d.undo();
        d.undo();
        d.redo();
        QCOMPARE(q(cad::describe(d)), q(all));
        QVERIFY(d.extents().max.x < 50);
    }

    void outlinesCoverEveryEntity()
    {
        const cad::Drawing d =
            cad::replay({"LINE 0.1,0.1 1e6,-3 \r", "ARC c 0,0 1,0 0,-1 ", "CIRCLE 7,7 0.3 ",
                         "ELLIPSE c 0,0 @10,10 2 ", "DTEXT j m 0,0 5 45 abc\r\r", "PLINE 0,0 w 4  10,0 \r"});
        QCOMPARE(d.outlines().size(), d.size());
        for (std::size_t i = 0; i < d.size(); ++i) {
            const cad::Box exact = cad::bounds(d.view(i));
            const auto &o = d.outlines()[i];
            QVERIFY(o.x0 <= exact.min.x && o.y0 <= exact.min.y && o.x1 >= exact.max.x && o.y1 >= exact.max.y);
            QCOMPARE(o.type, d.view(i).type);
        }
        // A line runs from the bottom left to the top right of its box unless it falls.
        QCOMPARE(int(d.outlines()[0].falling), 1);
    }

    // A step gathers the groups of the commands run in it; undo inside it and a command that
    // outlasts it leave the groups whole and apart.
    void stepsGatherCommands()
    {
        cad::Drawing d;
        d.beginStep("窓");
        d.beginGroup("LINE");
        d.add(text(0, 0, "一"));
        d.endGroup();
        d.beginGroup("PLINE");
        d.add(polyline({{0, 0}, {1, 1}}, 2));
        d.endStep();
        d.add(text(1, 1, "二")); // PLINE goes on after the step, in a group of its own
        QVERIFY(d.removeLast().has_value());
        QVERIFY(!d.removeLast().has_value()); // never into the step before
        d.add(text(1, 1, "二"));
        d.endGroup();
        QCOMPARE(d.undo(), std::string("PLINE"));
        QCOMPARE(d.size(), size_t(2));
        d.beginStep("扉");
        d.add(text(2, 2, "三"));
        QCOMPARE(d.undo(), std::string("扉"));
        d.add(text(3, 3, "四")); // still in the step, after what it undid
        d.add(text(4, 4, "五"));
        d.endStep();
        QCOMPARE(d.undo(), std::string("扉"));
        QCOMPARE(d.undo(), std::string("窓"));
        QVERIFY(d.empty());
        QCOMPARE(d.redo(), std::string("窓"));
        QCOMPARE(d.size(), size_t(2));
    }

    void extentsFollowAddsAndUndos()
    {
        cad::Drawing d;
        d.addLine({0, 0}, {10, 10}, 256);
        d.beginGroup("LINE");
        d.addLine({-50, 0}, {0, 0}, 1);
        d.endGroup();
        QCOMPARE(d.extents().min.x, -50.0);
        d.undo();
        QCOMPARE(d.extents().min.x, 0.0);
        QCOMPARE(d.extents().max.y, 10.0);
        d.clear();
        QVERIFY(d.extents().empty());
    }

    void entitiesAreRebuiltAfterAChange()
    {
        cad::Drawing d;
        d.add(text(1, 2, "a"));
        QCOMPARE(d.entities().size(), size_t(1));
        d.add(text(3, 4, "b"));
        QCOMPARE(d.entities().size(), size_t(2));
        QCOMPARE(d.entities()[1].text, std::string("b"));
        QVERIFY(d.memoryUse() > 0);
    }

    void openedDrawingHasNoHistory()
    {
        cad::Drawing read = cad::replay({"LINE 0,0 1,1 \r"});
        read.forgetHistory();
        cad::Drawing d;
        d.addLine({5, 5}, {6, 6}, 2);
        d.replaceWith(std::move(read));
        QCOMPARE(q(cad::describe(d)), q(Lines{"L 0,0 1,1"}));
        QVERIFY(!d.canUndo());
        QVERIFY(d.modified());
    }

    void snaps_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<QString>("expected");
        QTest::newRow("line end") << 99.0 << 1.0 << "end 100,0";
        QTest::newRow("line middle") << 51.0 << -1.0 << "mid 50,0";
        QTest::newRow("circle centre") << 300.0 << 2.0 << "centre 300,0";
        QTest::newRow("arc end beats its centre when as near") << 0.0 << 200.0 << "end 0,200";
        QTest::newRow("polyline closing segment middle") << 451.0 << 49.0 << "mid 450,50";
        QTest::newRow("text insertion") << 800.0 << 801.0 << "insert 800,800";
        QTest::newRow("circle quadrant") << 349.0 << 1.0 << "quadrant 350,0";
        QTest::newRow("line start") << 0.0 << 0.0 << "end 0,0";
        QTest::newRow("nothing within reach") << 700.0 << 700.0 << "none";
    }

    void snaps()
    {
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(QString, expected);
        const cad::Drawing d =
            cad::replay({"LINE 0,0 100,0 \r", "CIRCLE 300,0 50 ", "ARC c 0,100 100,100 0,200 ",
                         "PLINE 450,0 550,0 550,100 450,100 c ", "DTEXT j m 800,800 10 0 x\r\r"});
        const auto s = cad::findSnap(d, {x, y}, 5);
        QString got = QStringLiteral("none");
        if (s) {
            static const char *names[] = {"end",      "mid",    "int", "app",    "centre",
                                          "quadrant", "insert", "per", "nearest"};
            got = QStringLiteral("%1 %2,%3").arg(names[int(s->kind)]).arg(s->p.x).arg(s->p.y);
        }
        QCOMPARE(got, expected);
        QCOMPARE(cad::findSnap(d.entities(), {x, y}, 5).has_value(), s.has_value());
    }

    void readings_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("absolute") << "3,4"
                                  << "3,4";
        QTest::newRow("relative") << "@-1,2.5"
                                  << "9,12.5";
        QTest::newRow("the last point itself") << "@"
                                               << "10,10";
        QTest::newRow("polar") << "@2<90"
                               << "10,12";
        QTest::newRow("plus signs and exponents") << "+1e2,-.5"
                                                  << "100,-0.5";
        QTest::newRow("a third coordinate") << "1,2,3"
                                            << "1,2";
        QTest::newRow("blank inside") << "1, 2"
                                      << "refused";
        QTest::newRow("infinity") << "inf,0"
                                  << "refused";
        QTest::newRow("not a number") << "nan,1"
                                      << "refused";
        QTest::newRow("beyond the limit") << "2e15,0"
                                          << "refused";
        QTest::newRow("two signs") << "++1,0"
                                   << "refused";
        QTest::newRow("hexadecimal") << "0x10,0"
                                     << "refused";
        QTest::newRow("one number") << "12"
                                    << "refused";
        QTest::newRow("empty pair") << ","
                                    << "refused";
    }

    void readings()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const auto p = cad::readPoint(text.toStdString(), {10, 10});
        QCOMPARE(p ? QStringLiteral("%1,%2").arg(p->x).arg(p->y) : QStringLiteral("refused"), expected);
    }

    void geometry()
    {
        QCOMPARE(cad::angleOf({0, 0}, {0, 5}), 90.0);
        QCOMPARE(cad::angleOf({0, 0}, {-5, 0}), 180.0);
        QCOMPARE(cad::normalizedDegrees(-90), 270.0);
        QCOMPARE(cad::normalizedDegrees(720), 0.0);
        QVERIFY(!cad::circumcentre({0, 0}, {1, 1}, {2, 2}));
        // An arc over the top reaches its highest point, not only its ends.
        cad::Entity arc;
        arc.type = cad::Entity::Type::Arc;
        arc.radius = 10;
        arc.startAngle = 45;
        arc.endAngle = 135;
        QCOMPARE(cad::bounds(arc).max.y, 10.0);
        // A turned ellipse reaches beyond its axes' ends.
        cad::Entity ellipse;
        ellipse.type = cad::Entity::Type::Ellipse;
        ellipse.majorAxis = {10, 10};
        ellipse.ratio = 0.5;
        const double reach = std::sqrt(100 + 100 * 0.25);
        QVERIFY(std::fabs(cad::bounds(ellipse).max.x - reach) < 1e-12);
    }

    // Names fold ASCII letters only: bytes of a Shift-JIS or UTF-8 name stay as they are, whatever
    // the locale would make of them one by one.
    void namesFoldAsciiOnly()
    {
        QVERIFY(cad::sameName("Walls-2", "WALLS-2"));
        QVERIFY(!cad::sameName("Walls", "Walls "));
        QVERIFY(!cad::sameName("\xe4", "\xc4"));
        QVERIFY(!cad::sameName("\x88\xe4", "\x88\xc4"));
        QCOMPARE(cad::upper("by\xe4layer"), std::string("BY\xe4LAYER"));
    }
};

QTEST_GUILESS_MAIN(TestDrawing)
#include "TestDrawing.moc"
