// The elevation scripts replayed through the CAD interpreter: every line lies where the rows'
// effects put it, the outlines close, and the opening mark meets the middle of the hinge side.

#include "symbols/elevation/tendoor.h"
#include "symbols/elevation/tenfix.h"
#include "symbols/elevation/tenhiki.h"
#include "symbols/elevation/tenhuremu.h"
#include "tests/support/FormHarness.h"
#include "tests/support/Geometry.h"

#include <QTest>

using namespace quendra;
using Entities = std::vector<cad::Entity>;

namespace {

// A base point away from the origin: a row written as an absolute point would show.
const cad::Point base{1000, 2000};

cad::Entity line(cad::Point a, cad::Point b)
{
    cad::Entity e;
    e.a = {base.x + a.x, base.y + a.y};
    e.b = {base.x + b.x, base.y + b.y};
    return e;
}

// Lines through the points in order; `closed` adds the line back to the first.
void path(Entities &out, const std::vector<cad::Point> &points, bool closed)
{
    for (size_t i = 1; i < points.size(); ++i)
        out.push_back(line(points[i - 1], points[i]));
    if (closed) out.push_back(line(points.back(), points.front()));
}

void rectangle(Entities &out, double x0, double y0, double x1, double y1)
{
    path(out, {{x0, y0}, {x0, y1}, {x1, y1}, {x1, y0}}, true);
}

Entities replayed(const FormDefinition &form, const harness::Inputs &inputs)
{
    const auto p = harness::press(form, "Command4", inputs);
    return cad::replay(harness::scripts(p), base).entities();
}

QString difference(const Entities &got, const Entities &expected)
{
    QString s = "drawn:";
    for (const cad::Entity &e : got)
        s += "\n  " + QString::fromStdString(geometry::describe(e));
    s += "\nexpected:";
    for (const cad::Entity &e : expected)
        s += "\n  " + QString::fromStdString(geometry::describe(e));
    return s;
}

// The nominal outline and the frames 15 and 40 outside it, all closed.
void nestedRectangles(Entities &out, double W, double H, double y)
{
    for (double d : {0.0, 15.0, 40.0})
        rectangle(out, -d, y - d, W + d, y + H + d);
}

} // namespace

class TestElevationGeometry : public QObject
{
    Q_OBJECT

    static void compare(const Entities &got, const Entities &expected)
    {
        QVERIFY2(geometry::sameDrawing(got, expected), qPrintable(difference(got, expected)));
    }

private slots:
    void slidingWindow_data()
    {
        QTest::addColumn<double>("W");
        QTest::addColumn<double>("H");
        QTest::newRow("defaults") << 1700.0 << 1000.0;
        QTest::newRow("odd") << 1695.0 << 1001.0;
    }
    void slidingWindow()
    {
        QFETCH(double, W);
        QFETCH(double, H);
        Entities expected;
        nestedRectangles(expected, W, H, 0);
        const double meeting = W / 2 - 20;
        expected.push_back(line({meeting, 0}, {meeting, H}));
        rectangle(expected, W / 2 + 20, 40, W - 40, H - 40);                               // right glass
        path(expected, {{meeting, 40}, {40, 40}, {40, H - 40}, {meeting, H - 40}}, false); // left glass
        path(expected,
             {{W / 2 + 200, H / 2 - 50},
              {W / 2 + 300, H / 2},
              {W / 2 - 300, H / 2},
              {W / 2 - 200, H / 2 + 50}},
             false); // arrow
        compare(replayed(tenhiki(), {{"Text1", QByteArray::number(W).toStdString()},
                                     {"Text2", QByteArray::number(H).toStdString()}}),
                expected);
    }

    void fixWindow()
    {
        Entities expected;
        nestedRectangles(expected, 627.5, 1200.25, 0);
        compare(replayed(tenfix(), {{"Text1", "627.5"}, {"Text2", "1200.25"}}), expected);
    }

    void swingDoor_data()
    {
        QTest::addColumn<bool>("flush");
        QTest::addColumn<bool>("hingesLeft");
        QTest::addColumn<double>("H");
        QTest::newRow("flush, left") << true << true << 2000.0;
        QTest::newRow("flush, right") << true << false << 2000.0;
        QTest::newRow("raised, left") << false << true << 2000.0;
        QTest::newRow("raised, right") << false << false << 2000.0;
        QTest::newRow("flush, left, odd") << true << true << 2005.0;
        QTest::newRow("raised, right, odd") << false << false << 2005.0;
    }
    void swingDoor()
    {
        QFETCH(bool, flush);
        QFETCH(bool, hingesLeft);
        QFETCH(double, H);
        const double W = 800, Y = flush ? 0 : 250;
        Entities expected;
        if (flush) {
            // Standing on the floor: no bottom lines.
            for (double d : {0.0, 15.0, 40.0})
                path(expected, {{-d, 0}, {-d, H + d}, {W + d, H + d}, {W + d, 0}}, false);
        } else {
            nestedRectangles(expected, W, H, Y);
        }
        const double hinge = hingesLeft ? 0 : W, latch = hingesLeft ? W : 0;
        const cad::Point middle{hinge, Y + H / 2};
        path(expected, {{latch, Y + H}, middle, {latch, Y}}, false);

        const Entities got = replayed(tendoor(), {{"Check1", flush ? "1" : "0"},
                                                  {hingesLeft ? "Option1" : "Option2", "1"},
                                                  {"Text2", QByteArray::number(H).toStdString()},
                                                  {"Text3", "250"}});
        compare(got, expected);
        // The two mark lines meet at the middle of the hinge side.
        const cad::Point m{base.x + middle.x, base.y + middle.y};
        QVERIFY(geometry::hasLine(got, {m.x, base.y + Y + H}, {m.x, base.y + Y}));
        QVERIFY(geometry::hasLine(got, {base.x + latch, base.y + Y + H}, m));
        QVERIFY(geometry::hasLine(got, m, {base.x + latch, base.y + Y}));
    }

    void interiorFrame_data()
    {
        QTest::addColumn<bool>("cornice");
        QTest::addColumn<QStringList>("values"); // D W K S B E T
        QTest::newRow("cornice, defaults")
            << true << QStringList{"2400", "2700", "80", "80", "60", "30", "40"};
        QTest::newRow("plain, defaults")
            << false << QStringList{"2400", "2700", "80", "80", "60", "30", "40"};
        QTest::newRow("cornice, uneven")
            << true << QStringList{"2500", "3000", "100", "75", "80", "25", "45"};
        QTest::newRow("plain, uneven") << false << QStringList{"2500", "3000", "100", "75", "80", "25", "45"};
    }
    void interiorFrame()
    {
        QFETCH(bool, cornice);
        QFETCH(QStringList, values);
        const char *boxes[] = {"Text3", "Text6", "Text4", "Text5", "Text7", "Text1", "Text2"};
        harness::Inputs inputs = {{"Check1", cornice ? "1" : "0"}};
        double v[7];
        for (int i = 0; i < 7; ++i) {
            inputs.push_back({boxes[i], values[i].toStdString()});
            v[i] = values[i].toDouble();
        }
        const double D = v[0], W = v[1], K = v[2], S = v[3], B = v[4], E = v[5], T = v[6];
        const double left = K, right = W - S;
        Entities expected;
        if (cornice) {
            path(expected,
                 {{left + 10, 0},
                  {left + 10, B},
                  {left, B},
                  {left, D - T},
                  {left + E, D - T},
                  {left + E, D},
                  {right - E, D},
                  {right - E, D - T},
                  {right, D - T},
                  {right, B},
                  {right - 10, B},
                  {right - 10, 0}},
                 true);
            expected.push_back(line({left + 10, B}, {right - 10, B}));
            expected.push_back(line({right - E, D - T}, {left + E, D - T}));
        } else {
            path(expected,
                 {{left + 10, 0},
                  {left + 10, B},
                  {left, B},
                  {left, D},
                  {right, D},
                  {right, B},
                  {right - 10, B},
                  {right - 10, 0}},
                 true);
            expected.push_back(line({left + 10, B}, {right - 10, B}));
        }
        compare(replayed(tenhuremu(), inputs), expected);
    }
};

QTEST_GUILESS_MAIN(TestElevationGeometry)
#include "TestElevationGeometry.moc"
