// Fittings set into walls: the wall a pick falls in, the opening a fitting cuts when its symbol
// ends, and the walls made whole again by U, ERASE and MOVE.

#include "cad/command/Interpreter.h"
#include "cad/model/Describe.h"
#include "cad/model/Wall.h"
#include "tests/cad/Lines.h"

#include <QTest>

#include <algorithm>
#include <cmath>

namespace {

// A 150-thick level wall of two lines, and an upright one of two polylines.
const char *walls = "LINE 0,75 10000,75 \rLINE 0,-75 10000,-75 \r"
                    "PLINE 12000,0 12000,6000 \rPLINE 12150,0 12150,6000 \r";

// The sliding window at 1:100, W 1700, at angle 0 and at 90: the scripts its dialog sends.
const char *window0 = "LINE @0,50 @1800,0   @0,-100 @-1800,0   @50,100 @0,-100   @1700,0 @0,100   "
                      "@-1700,-30 @900,0   @-100,-40 @900,0   @-850,170 @0,-300 \r";
const char *window90 = "LINE @-50,0 @0,1800   @100,0 @0,-1800   @-100,50 @100,0   @0,1700 @-100,0   "
                       "@30,-1700 @0,900   @40,-100 @0,900   @-170,-850 @300,0 \r";

// A window whose base point is picked at `pick`, as the assistant and the host draw it.
void drawWindow(cad::Interpreter &interpreter, cad::Point pick, const char *angle)
{
    interpreter.armWallPick(1);
    interpreter.feed("ID ");
    interpreter.pick(pick);
    interpreter.beginSymbol({"hikitigai100", "引違イ窓", {{"Combo1", "1700"}, {"Combo2", angle}}, {}}, true);
    interpreter.feed(std::string(angle) == "0" ? window0 : window90);
    interpreter.endSymbol();
}

// The drawing's lines that are not the window's.
Lines wallLines(const cad::Drawing &d)
{
    Lines out;
    for (std::size_t i = 0; i < d.size(); ++i)
        if (d.symbolOf(i) == 0) out.push_back(cad::describe(d.at(i)));
    std::sort(out.begin(), out.end());
    return out;
}

Lines sorted(Lines l)
{
    std::sort(l.begin(), l.end());
    return l;
}

} // namespace

class TestWalls : public QObject
{
    Q_OBJECT

private slots:
    void wallsAreFound()
    {
        cad::Drawing d;
        cad::Interpreter interpreter(d);
        interpreter.feed(walls);
        // Nearer the lower face: along +x, that face on the right; nearer the upper: along -x.
        auto w = cad::findWall(d, {3000, -30});
        QVERIFY(w);
        QCOMPARE(w->thickness, 150.0);
        QCOMPARE(w->direction, 0.0);
        QVERIFY(w->centre == (cad::Point{3000, 0}));
        QCOMPARE(w->faces[0].a.y, -75.0);
        QCOMPARE(cad::findWall(d, {3000, 30})->direction, 180.0);
        // Polyline faces; on a face counts.
        w = cad::findWall(d, {12150, 500});
        QVERIFY(w);
        QCOMPARE(w->direction, 90.0);
        QVERIFY(w->centre == (cad::Point{12075, 500}));
        QCOMPARE(cad::findWall(d, {12010, 500})->direction, 270.0);
        // Outside the wall, beyond its ends, or between walls too far apart: none.
        QVERIFY(!cad::findWall(d, {3000, 100}));
        QVERIFY(!cad::findWall(d, {10100, 0}));
        QVERIFY(!cad::findWall(d, {11000, 500}));

        // Thickness from 50 to 400; any angle; the thinnest pair round the point.
        cad::Drawing t;
        cad::Interpreter ti(t);
        ti.feed("LINE 0,0 1000,0 \rLINE 0,40 1000,40 \rLINE 0,400 1000,400 \rLINE 0,450 1000,450 \r");
        w = cad::findWall(t, {500, 20});
        QVERIFY(w);
        QCOMPARE(w->thickness, 400.0); // 40 is too thin, 450 too thick
        const QString end = QStringLiteral("@%1,1000 \r").arg(1000 * std::sqrt(3.0), 0, 'g', 17);
        ti.feed(QStringLiteral("LINE 0,1000 %1LINE 0,1200 %1").arg(end).toStdString());
        w = cad::findWall(t, {500, 1000 + 500 * std::tan(M_PI / 6) + 20});
        QVERIFY(w);
        QVERIFY(std::abs(w->thickness - 200 * std::cos(M_PI / 6)) < 1e-9);
        QVERIFY(std::abs(w->direction - 30) < 1e-9);
        QVERIFY(!cad::quarterAngle(w->direction));
        QCOMPARE(*cad::quarterAngle(-90), 270);
    }

    void aWindowCutsItsWall()
    {
        cad::Drawing d;
        cad::Interpreter interpreter(d);
        interpreter.feed(walls);
        const Lines whole = wallLines(d);
        drawWindow(interpreter, {3000, -30}, "0");
        QCOMPARE(interpreter.wallPicked()->second.value(), 0.0);
        QCOMPARE(d.symbol(d.symbolOf(d.size() - 1)).base->y, 0.0);
        const Lines cut = sorted({"L 0,75 3000,75", "L 4800,75 10000,75", "L 0,-75 3000,-75",
                                  "L 4800,-75 10000,-75", "L 3000,-75 3000,75", "L 4800,-75 4800,75",
                                  "P 12000,0 12000,6000", "P 12150,0 12150,6000"});
        QCOMPARE(q(wallLines(d)), q(cut));
        // The window and its opening are one step.
        interpreter.feed("U ");
        QCOMPARE(q(wallLines(d)), q(whole));
        interpreter.feed("REDO ");
        QCOMPARE(q(wallLines(d)), q(cut));

        // Moved along the wall, the opening goes with it; erased, the wall is whole again.
        interpreter.feed("MOVE 3900,0  0,0 @1000,0 ");
        QCOMPARE(q(wallLines(d)),
                 q(sorted({"L 0,75 4000,75", "L 5800,75 10000,75", "L 0,-75 4000,-75", "L 5800,-75 10000,-75",
                           "L 4000,-75 4000,75", "L 5800,-75 5800,75", "P 12000,0 12000,6000",
                           "P 12150,0 12150,6000"})));
        interpreter.feed("ERASE 4900,0 \r");
        QCOMPARE(q(wallLines(d)), q(whole));
        interpreter.feed("U ");
        QCOMPARE(d.size(), std::size_t(8 + 7));

        // In the upright polyline wall: along it, the polylines cut in two.
        cad::Drawing v;
        cad::Interpreter vi(v);
        vi.feed(walls);
        drawWindow(vi, {12140, 1000}, "90");
        QCOMPARE(vi.wallPicked()->second.value(), 90.0);
        QCOMPARE(q(wallLines(v)),
                 q(sorted({"L 0,75 10000,75", "L 0,-75 10000,-75", "P 12000,0 12000,1000",
                           "P 12000,2800 12000,6000", "P 12150,0 12150,1000", "P 12150,2800 12150,6000",
                           "L 12150,1000 12000,1000", "L 12150,2800 12000,2800"})));
        vi.feed("ERASE 12075,1900 \r");
        QCOMPARE(q(wallLines(v)), q(sorted(Lines{"L 0,75 10000,75", "L 0,-75 10000,-75",
                                                 "P 12000,0 12000,6000", "P 12150,0 12150,6000"})));
    }

    // Windows side by side share the jamb between them; erased in any order, singly or together,
    // they leave the wall as it was.
    void windowsSideBySide()
    {
        cad::Drawing d;
        cad::Interpreter interpreter(d);
        interpreter.feed(walls);
        const Lines whole = wallLines(d);
        const auto faces = [](std::initializer_list<std::pair<int, int>> spans,
                              std::initializer_list<int> jambs) {
            Lines out{"P 12000,0 12000,6000", "P 12150,0 12150,6000"};
            for (const auto &[a, b] : spans)
                for (const char *y : {"75", "-75"})
                    out.push_back("L " + std::to_string(a) + "," + y + " " + std::to_string(b) + "," + y);
            for (int x : jambs)
                out.push_back("L " + std::to_string(x) + ",-75 " + std::to_string(x) + ",75");
            return sorted(out);
        };
        drawWindow(interpreter, {3000, -30}, "0");
        drawWindow(interpreter, {6600, -30}, "0");
        drawWindow(interpreter, {4800, -30}, "0");
        QCOMPARE(q(wallLines(d)), q(faces({{0, 3000}, {8400, 10000}}, {3000, 4800, 6600, 8400})));
        // The middle one: the faces between its jambs come back, the jambs stay.
        interpreter.feed("ERASE 5700,0 \r");
        QCOMPARE(q(wallLines(d)),
                 q(faces({{0, 3000}, {4800, 6600}, {8400, 10000}}, {3000, 4800, 6600, 8400})));
        interpreter.feed("U ");
        // One at an end: its face runs on to the shared jamb.
        interpreter.feed("ERASE 3900,0 \r");
        QCOMPARE(q(wallLines(d)), q(faces({{0, 4800}, {8400, 10000}}, {4800, 6600, 8400})));
        interpreter.feed("U ");
        interpreter.feed("ERASE 3900,0 5700,0 7500,0 \r");
        QCOMPARE(q(wallLines(d)), q(whole));
        // Moved along the wall away from its neighbour, it takes its own opening with it.
        interpreter.feed("U MOVE 7500,0  0,0 @1000,0 ");
        QCOMPARE(q(wallLines(d)),
                 q(faces({{0, 3000}, {6600, 7600}, {9400, 10000}}, {3000, 4800, 6600, 7600, 9400})));
    }

    // A wall drawn as one closed outline opens into two pieces with the jambs between; erased,
    // the window leaves one closed outline again.
    void wallAsOneOutline()
    {
        cad::Drawing d;
        cad::Interpreter interpreter(d);
        interpreter.feed("PLINE 0,-75 10000,-75 10000,75 0,75 C ");
        drawWindow(interpreter, {3000, -30}, "0");
        QCOMPARE(q(wallLines(d)),
                 q(sorted({"P 4800,-75 10000,-75 10000,75 4800,75", "P 3000,75 0,75 0,-75 3000,-75",
                           "L 3000,-75 3000,75", "L 4800,-75 4800,75"})));
        interpreter.feed("ERASE 3900,0 \r");
        QCOMPARE(q(wallLines(d)), q(Lines{"P 0,75 0,-75 10000,-75 10000,75 closed"}));
    }

    // A wall drawn by the wall form is a symbol too: its faces are cut and joined as they are,
    // and stay its pieces.
    void wallsOfTheWallForm()
    {
        cad::Drawing d;
        cad::Interpreter interpreter(d);
        interpreter.beginSymbol({"kabe", "壁作図", {}, {}}, false);
        interpreter.feed("LINE 0,75 10000,75 \rLINE 0,-75 10000,-75 \r");
        interpreter.endSymbol();
        const std::uint32_t wall = d.symbolOf(0);
        const auto pieces = [&] {
            Lines out;
            for (std::size_t i = 0; i < d.size(); ++i)
                if (d.symbolOf(i) == wall) out.push_back(cad::describe(d.at(i)));
            return sorted(out);
        };
        const Lines whole = pieces();
        drawWindow(interpreter, {3000, -30}, "0");
        QCOMPARE(q(pieces()), q(sorted({"L 0,75 3000,75", "L 4800,75 10000,75", "L 0,-75 3000,-75",
                                        "L 4800,-75 10000,-75"})));
        interpreter.feed("ERASE 3900,0 \r");
        QCOMPARE(q(pieces()), q(whole));
        QCOMPARE(d.size(), std::size_t(2));
    }

    void whatIsNotCut()
    {
        const auto transcriptHas = [](const cad::Interpreter &i, const std::string &part) {
            return std::any_of(i.transcript().begin(), i.transcript().end(),
                               [&](const std::string &l) { return l.find(part) != std::string::npos; });
        };
        struct Case
        {
            const char *extra;
            cad::Point pick;
            const char *angle;
            const char *why;
        };
        const Case cases[] = {
            {"LINE 4000,75 4000,3000 \r", {3000, -30}, "0", "T 字や角"},
            {"PLINE 4000,0 4000,3000 \r", {3000, -30}, "0", "T 字や角"},
            {"", {9000, -30}, "0", "壁の端や角"},
            {"", {3000, -30}, "90", "壁の向きと合わない"},
        };
        for (const Case &c : cases) {
            cad::Drawing d;
            cad::Interpreter interpreter(d);
            interpreter.feed(walls);
            interpreter.feed(c.extra);
            const Lines before = wallLines(d);
            drawWindow(interpreter, c.pick, c.angle);
            QVERIFY2(transcriptHas(interpreter, c.why), c.why);
            QCOMPARE(q(wallLines(d)), q(before));
        }
        // A line that only crosses the wall (a grid line) lets the opening be cut.
        {
            cad::Drawing d;
            cad::Interpreter interpreter(d);
            interpreter.feed(walls);
            interpreter.feed("LINE 3500,-1000 3500,1000 \r");
            drawWindow(interpreter, {3000, -30}, "0");
            QVERIFY(transcriptHas(interpreter, "壁に納めました"));
        }
        // Switched off: the pick stays where it was and nothing is cut.
        cad::Drawing d;
        cad::Interpreter interpreter(d);
        interpreter.setWallOpenings(false);
        interpreter.feed(walls);
        const Lines before = wallLines(d);
        drawWindow(interpreter, {3000, -30}, "0");
        QCOMPARE(q(wallLines(d)), q(before));
        QCOMPARE(d.symbol(d.symbolOf(d.size() - 1)).base->y, -30.0);
    }
};

QTEST_MAIN(TestWalls)
#include "TestWalls.moc"
