// Editing commands at the prompt: the objects (picked, by window or crossing, selected before),
// what each command does with them, and one undo step each.

#include "cad/command/Interpreter.h"
#include "cad/model/Describe.h"
#include "cad/model/Selection.h"
#include "cad/model/Transform.h"
#include "tests/cad/Lines.h"

#include <QTest>

namespace {

// A small plan: two walls, a door leaf and its swing, a window line, a text.
const char *plan = "LINE 0,0 1000,0 \rLINE 0,500 1000,500 \rLINE 300,0 300,-80 \rARC c 300,0 380,0 300,80 "
                   "LINE 600,500 800,500 \rDTEXT j m 500,250 50 0 室\r\r";

Lines after(const std::string &edit)
{
    cad::Drawing d;
    cad::Interpreter interpreter(d);
    interpreter.feed(plan);
    interpreter.feed(edit);
    return cad::describe(d);
}

} // namespace

class TestEdit : public QObject
{
    Q_OBJECT

private slots:
    void commands_data()
    {
        QTest::addColumn<std::string>("edit");
        QTest::addColumn<Lines>("expected");
        const Lines all{"L 0,0 1000,0",     "L 0,500 1000,500",  "L 300,0 300,-80",
                        "A 300,0 80 0..90", "L 600,500 800,500", "T 500,250 50 0 室"};
        QTest::newRow("ERASE a picked door leaf")
            << std::string("ERASE 300,-40 \r")
            << Lines{"L 0,0 1000,0", "L 0,500 1000,500", "A 300,0 80 0..90", "L 600,500 800,500",
                     "T 500,250 50 0 室"};
        QTest::newRow("E by a window: only what lies wholly inside")
            << std::string("E 250,-100 400,100 \r")
            << Lines{"L 0,0 1000,0", "L 0,500 1000,500", "L 600,500 800,500", "T 500,250 50 0 室"};
        QTest::newRow("E by a crossing: what it touches too")
            << std::string("E 400,100 250,-100 \r")
            << Lines{"L 0,500 1000,500", "L 600,500 800,500", "T 500,250 50 0 室"};
        QTest::newRow("ERASE ALL, R takes one back out")
            << std::string("ERASE ALL R 500,250 \r") << Lines{"T 500,250 50 0 室"};
        QTest::newRow("COPY twice, E ends it")
            << std::string("COPY L  0,0 @0,10 @0,20 E ERASE L \r")
            << Lines{"L 0,0 1000,0",      "L 0,500 1000,500",  "L 300,0 300,-80",  "A 300,0 80 0..90",
                     "L 600,500 800,500", "T 500,250 50 0 室", "T 500,260 50 0 室"};
        QTest::newRow("ERASE L") << std::string("ERASE L \r") << Lines(all.begin(), all.end() - 1);
        QTest::newRow("MOVE the window line by @dx,dy")
            << std::string("MOVE 700,500  650,500 @100,0 ")
            << Lines{"L 0,0 1000,0",     "L 0,500 1000,500",  "L 300,0 300,-80",
                     "A 300,0 80 0..90", "L 700,500 900,500", "T 500,250 50 0 室"};
        QTest::newRow("M, Enter: the base point is the displacement")
            << std::string("M L  10,20 \r")
            << Lines{"L 0,0 1000,0",     "L 0,500 1000,500",  "L 300,0 300,-80",
                     "A 300,0 80 0..90", "L 600,500 800,500", "T 510,270 50 0 室"};
        QTest::newRow("COPY repeated, then Enter")
            << std::string("CO 300,-40  0,0 @0,1000 @0,2000 \r")
            << Lines{"L 0,0 1000,0",      "L 0,500 1000,500",  "L 300,0 300,-80",    "A 300,0 80 0..90",
                     "L 600,500 800,500", "T 500,250 50 0 室", "L 300,1000 300,920", "L 300,2000 300,1920"};
        QTest::newRow("ROTATE the door 90 degrees about its hinge")
            << std::string("RO 300,-40 380,0 \r300,0 90 ")
            << Lines{"L 0,0 1000,0",       "L 0,500 1000,500",  "L 300,0 380,0",
                     "A 300,0 80 90..180", "L 600,500 800,500", "T 500,250 50 0 室"};
        QTest::newRow("ROTATE with a reference: from 270 to 0")
            << std::string("RO 300,-40  300,0 R 300,-80 0 ")
            << Lines{"L 0,0 1000,0",     "L 0,500 1000,500",  "L 300,0 380,0",
                     "A 300,0 80 0..90", "L 600,500 800,500", "T 500,250 50 0 室"};
        QTest::newRow("SCALE by 2, and by reference")
            << std::string("SC 300,-40  300,0 2 SC 700,500  600,500 R 200 100 ")
            << Lines{"L 0,0 1000,0",     "L 0,500 1000,500",  "L 300,0 300,-160",
                     "A 300,0 80 0..90", "L 600,500 700,500", "T 500,250 50 0 室"};
        QTest::newRow("MIRROR the door, keeping the source")
            << std::string("MI 300,-40 380,0 \r300,0 300,100 N ")
            << Lines{"L 0,0 1000,0",      "L 0,500 1000,500",  "L 300,0 300,-80", "A 300,0 80 0..90",
                     "L 600,500 800,500", "T 500,250 50 0 室", "L 300,0 300,-80", "A 300,0 80 90..180"};
        QTest::newRow("MIRROR erasing the source")
            << std::string("MI 380,0 \r300,0 300,100 Y ")
            << Lines{"L 0,0 1000,0",       "L 0,500 1000,500",  "L 300,0 300,-80",
                     "A 300,0 80 90..180", "L 600,500 800,500", "T 500,250 50 0 室"};
    }

    void explodeAndChprop()
    {
        cad::Drawing d;
        cad::Interpreter interpreter(d);
        interpreter.feed("PLINE 0,0 w 10  100,0 100,50 c LINE 0,200 10,200 \r");
        interpreter.feed("X 50,0 \r");
        QCOMPARE(q(cad::describe(d)),
                 q(Lines{"L 0,200 10,200", "L 0,0 100,0", "L 100,0 100,50", "L 100,50 0,0"}));
        interpreter.feed("CHPROP L  C 3 \r");
        QCOMPARE(cad::describe(d.at(3)), std::string("L 100,50 0,0 #3"));
        interpreter.feed("U U ");
        QCOMPARE(q(cad::describe(d)), q(Lines{"P 0,0 100,0 100,50 w 10/10 closed", "L 0,200 10,200"}));
    }

    // OFFSET: the wall's other face, a larger circle, a polyline's corners joined; one step
    // per OFFSET, the distance remembered.
    void offsets()
    {
        cad::Drawing d;
        cad::Interpreter interpreter(d);
        interpreter.feed("LINE 0,0 1000,0 \rCIRCLE 2000,0 100 PLINE 0,500 1000,500 1000,900 \r");
        interpreter.feed("O 150 500,0 500,-10 2100,0 2300,0  ");
        interpreter.feed("O  1000,700 900,700 \r");
        QCOMPARE(q(cad::describe(d)),
                 q(Lines{"L 0,0 1000,0", "C 2000,0 100", "P 0,500 1000,500 1000,900", "L 0,-150 1000,-150",
                         "C 2000,0 250", "P 0,650 850,650 850,900"}));
        interpreter.feed("U ");
        QCOMPARE(d.size(), size_t(5));
        interpreter.feed("U ");
        QCOMPARE(d.size(), size_t(3));
    }

    // TRIM cuts a wall between two cross walls, or an end past one; EXTEND takes a wall on to
    // the next one; each is one undo step.
    void trimAndExtend()
    {
        cad::Drawing d;
        cad::Interpreter interpreter(d);
        interpreter.feed("LINE 0,0 1000,0 \rLINE 300,-100 300,100 \rLINE 600,-100 600,100 \r"
                         "ARC c 2000,0 2100,0 1900,0 LINE 1950,-50 1950,200 \rLINE 1200,-100 1200,100 \r");
        const Lines drawn = cad::describe(d);
        interpreter.feed("TR  450,0 2000,100 \r");
        QCOMPARE(q(cad::describe(d)),
                 q(Lines{"L 0,0 300,0", "L 300,-100 300,100", "L 600,-100 600,100", "A 2000,0 100 120..180",
                         "L 1950,-50 1950,200", "L 1200,-100 1200,100", "L 600,0 1000,0"}));
        interpreter.feed("U ");
        QCOMPARE(q(cad::describe(d)), q(drawn));
        interpreter.feed("EX  990,0 \r");
        QCOMPARE(cad::describe(d.at(0)), std::string("L 0,0 1200,0"));
        interpreter.feed("EX 1950,150  1190,0 \r");
        QCOMPARE(cad::describe(d.at(0)), std::string("L 0,0 1950,0"));
        interpreter.feed("U U ");
        QCOMPARE(q(cad::describe(d)), q(drawn));
    }

    // TRIM opens a circle into an arc and a closed polyline into an open one; EXTEND runs an
    // arc round to a line.
    void trimCirclesAndPolylinesExtendArcs()
    {
        cad::Drawing d;
        cad::Interpreter interpreter(d);
        interpreter.feed("CIRCLE 0,0 100\rLINE -200,50 200,50 \rLINE -200,-50 200,-50 \r"
                         "PLINE 1000,0 1400,0 1400,400 1000,400 C LINE 1200,-100 1200,500 \r"
                         "ARC c 0,1000 100,1000 0,1100 LINE -200,950 200,950 \r");
        interpreter.feed("TR  100,0 1400,200 \r");
        QCOMPARE(cad::describe(d.at(0)), std::string("A 0,0 100 30..330"));
        QCOMPARE(cad::describe(d.at(3)), std::string("P 1200,400 1000,400 1000,0 1200,0"));
        interpreter.feed("EX  100,1000 \r");
        QCOMPARE(cad::describe(d.at(5)), std::string("A 0,1000 100 330..90"));
        interpreter.feed("U U ");
        QCOMPARE(cad::describe(d.at(0)), std::string("C 0,0 100"));
    }

    void commands()
    {
        QFETCH(std::string, edit);
        QFETCH(Lines, expected);
        QCOMPARE(q(after(edit)), q(expected));
    }

    // Each edit is one undo step, and U brings back exactly what was there; REDO does it again.
    void undoAndRedoEdits()
    {
        cad::Drawing d;
        cad::Interpreter interpreter(d);
        interpreter.feed(plan);
        const Lines drawn = cad::describe(d);
        interpreter.feed("ERASE 300,-40 \rMOVE ALL  0,0 10,10 CO L  0,0 @5,5 @6,6 \r");
        const Lines edited = cad::describe(d);
        interpreter.feed("U U U ");
        QCOMPARE(q(cad::describe(d)), q(drawn));
        interpreter.feed("REDO REDO REDO ");
        QCOMPARE(q(cad::describe(d)), q(edited));
        interpreter.feed("U ");
        QCOMPARE(cad::describe(d).size(), drawn.size() - 1);
    }

    // A selection made before the command is its objects (noun-verb).
    void selectionFirst()
    {
        cad::Drawing d;
        cad::Interpreter interpreter(d);
        interpreter.feed(plan);
        // A window whose edges touch the door leaf's ends still takes it.
        QCOMPARE(cad::windowSelect(d, {{300, -80}, {400, 0}}, false), std::vector<std::size_t>{2});
        interpreter.setSelection(cad::windowSelect(d, {{250, -100}, {400, 100}}, false));
        interpreter.feed("ERASE ");
        QCOMPARE(d.size(), size_t(4));
        QVERIFY(interpreter.selection().empty());
        interpreter.feed("ERASE 10,10 \r"); // a point that hits nothing, then no second corner: nothing goes
        QCOMPARE(d.size(), size_t(4));
        // W asks for the first corner, then for the other.
        interpreter.cancel();
        interpreter.feed("ERASE W ");
        QCOMPARE(interpreter.prompt(), std::string("最初のコーナーを指定: "));
        interpreter.feed("0,0 ");
        QCOMPARE(interpreter.prompt(), std::string("もう一方のコーナーを指定: "));
    }

    // A pick takes the object whose edge is nearest, not the one drawn last; the others under
    // it follow (what selection cycling steps through); ERASE shows what it took before Enter.
    void picksPreferTheNearestEdge()
    {
        cad::Drawing d;
        cad::Interpreter interpreter(d);
        interpreter.feed("LINE 0,0 100,0 \rLINE 0,3 100,3 \rCIRCLE 50,40 37.5 ");
        QCOMPARE(cad::pickEntity(d, {50, 1}, 5), std::optional<std::size_t>(0));
        QCOMPARE(cad::pickCandidates(d, {50, 1}, 5), (std::vector<std::size_t>{0, 2, 1}));
        interpreter.setPickTolerance(5);
        interpreter.feed("ERASE 50,1 ");
        QCOMPARE(interpreter.chosen(), std::vector<std::size_t>{0});
        interpreter.feed("\r");
        QVERIFY(interpreter.chosen().empty());
        QCOMPARE(d.size(), size_t(2));
    }

    // A symbol is one object: a pick or a window takes it whole, MOVE and ROTATE place it whole
    // (its base point with it, and U puts both back), COPY makes a new symbol, ERASE takes it
    // all, EXPLODE lets its pieces go one by one.
    void symbolsAreEditedWhole()
    {
        cad::Drawing d;
        cad::Interpreter interpreter(d);
        interpreter.feed("LINE 200,0 200,500 \r");
        interpreter.beginSymbol({"katabirakito100", "片開キ戸", {{"Combo1", "800"}}, {}}, true);
        interpreter.feed("LINE @0,0 @0,-80 \r");
        interpreter.feed("ARC c @0,80 @80,0 @0,80 ");
        interpreter.endSymbol();
        const Lines door{"L 200,0 200,500", "L 200,500 200,420", "A 200,500 80 0..90"};
        QCOMPARE(q(cad::describe(d)), q(door));
        const std::uint32_t id = d.symbolOf(1);
        QVERIFY(id != 0 && d.symbolOf(2) == id && d.symbolOf(0) == 0);
        QCOMPARE(d.symbol(id).base->y, 500.0);
        QCOMPARE(cad::pickObject(d, {200, 450}, 1), (std::vector<std::size_t>{1, 2}));
        QCOMPARE(cad::objectCount(d, {0, 1, 2}), size_t(2));
        // A window over the leaf alone takes nothing of the door; a crossing over it takes it all.
        QCOMPARE(cad::windowSelect(d, {{190, 410}, {210, 510}}, false), std::vector<std::size_t>{});
        QCOMPARE(cad::windowSelect(d, {{190, 410}, {210, 510}}, true), (std::vector<std::size_t>{0, 1, 2}));

        interpreter.feed("MOVE 200,450  0,0 @1000,0 ");
        QCOMPARE(q(cad::describe(d)),
                 q(Lines{"L 200,0 200,500", "L 1200,500 1200,420", "A 1200,500 80 0..90"}));
        QCOMPARE(d.symbol(d.symbolOf(1)).base->x, 1200.0);
        interpreter.feed("ROTATE 1200,450  1200,500 90 ");
        QCOMPARE(q(cad::describe(d)),
                 q(Lines{"L 200,0 200,500", "L 1200,500 1280,500", "A 1200,500 80 90..180"}));
        interpreter.feed("U U ");
        QCOMPARE(q(cad::describe(d)), q(door));
        QCOMPARE(d.symbolOf(1), id);

        interpreter.feed("COPY 200,450  0,0 @0,1000 \r");
        QCOMPARE(d.size(), size_t(5));
        QVERIFY(d.symbolOf(3) != 0 && d.symbolOf(3) != id && d.symbolOf(4) == d.symbolOf(3));
        QCOMPARE(d.symbol(d.symbolOf(3)).form, std::string("katabirakito100"));
        QCOMPARE(d.symbol(d.symbolOf(3)).base->y, 1500.0);
        interpreter.feed("ERASE 200,1450 \r");
        QCOMPARE(q(cad::describe(d)), q(door));

        interpreter.feed("EXPLODE 200,450 \r");
        QCOMPARE(interpreter.transcript().back(), std::string("1 個を分解しました。"));
        QVERIFY(d.symbolOf(1) == 0 && d.symbolOf(2) == 0);
        interpreter.feed("ERASE 200,450 \r");
        QCOMPARE(q(cad::describe(d)), q(Lines{"L 200,0 200,500", "A 200,500 80 0..90"}));
    }

    void transformsKeepShapes()
    {
        cad::Entity arc;
        arc.type = cad::Entity::Type::Arc;
        arc.centre = {10, 0};
        arc.radius = 5;
        arc.startAngle = 0;
        arc.endAngle = 90;
        const cad::Entity m = cad::mirrored(arc, {0, 0}, {0, 1});
        QCOMPARE(cad::describe(m), std::string("A -10,0 5 90..180"));
        QCOMPARE(cad::describe(cad::rotated(arc, {0, 0}, 180)), std::string("A -10,0 5 180..270"));
        QCOMPARE(cad::describe(cad::scaled(arc, {0, 0}, 2)), std::string("A 20,0 10 0..90"));
    }
};

QTEST_APPLESS_MAIN(TestEdit)
#include "TestEdit.moc"
