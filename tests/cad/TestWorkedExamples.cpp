// The scripts the forms send, replayed through the interpreter, give the geometry their tables
// describe. Positions are relative to the picked base point.

#include "cad/command/Interpreter.h"
#include "cad/command/Replay.h"
#include "cad/model/Describe.h"
#include "tests/cad/Lines.h"

#include <QTest>

namespace {

const cad::Point base{1000, 2000};

Lines drawn(const std::vector<std::string> &scripts)
{
    return cad::describe(cad::replay(scripts, base), base);
}

// A row of a table: its text followed by its blanks.
std::string rows(std::initializer_list<std::pair<const char *, int>> list)
{
    std::string s;
    for (const auto &[text, blanks] : list)
        s += std::string(text) + std::string(static_cast<std::size_t>(blanks), ' ');
    return s;
}

} // namespace

class TestWorkedExamples : public QObject
{
    Q_OBJECT

private slots:
    void examples_data()
    {
        QTest::addColumn<std::vector<std::string>>("scripts");
        QTest::addColumn<Lines>("expected");

        QTest::newRow("fix window W=500, restarts")
            << std::vector<
                   std::string>{"LINE @0,50 @600,0   @0,-100 @-600,0   @50,100 @0,-100   @500,0 @0,100   "
                                "@0,-50 @-500,0 \r"}
            << Lines{"L 0,50 600,50", "L 600,-50 0,-50", "L 50,50 50,-50", "L 550,-50 550,50",
                     "L 550,0 50,0"};

        QTest::newRow("sliding window W=1700")
            << std::vector<
                   std::string>{"LINE @0,50 @1800,0   @0,-100 @-1800,0   @50,100 @0,-100   @1700,0 @0,100   "
                                "@-1700,-30 @900,0   @-100,-40 @900,0   @-850,170 @0,-300 \r"}
            << Lines{"L 0,50 1800,50", "L 1800,-50 0,-50",   "L 50,50 50,-50",    "L 1750,-50 1750,50",
                     "L 50,20 950,20", "L 850,-20 1750,-20", "L 900,150 900,-150"};

        QTest::newRow("sliding window W=1700 at 90")
            << std::vector<
                   std::string>{"LINE @-50,0 @0,1800   @100,0 @0,-1800   @-100,50 @100,0   @0,1700 @-100,0   "
                                "@30,-1700 @0,900   @40,-100 @0,900   @-170,-850 @300,0 \r"}
            << Lines{"L -50,0 -50,1800", "L 50,1800 50,0",   "L -50,50 50,50",    "L 50,1750 -50,1750",
                     "L -20,50 -20,950", "L 20,850 20,1750", "L -150,900 150,900"};

        QTest::newRow("pivot window W=800, two chained arcs")
            << std::vector<
                   std::string>{"LINE @0,50 @900,0   @0,-100 @-900,0   @50,100 @0,-100   @800,0 @0,100   "
                                "@0,-50 @-800,0   @400,450 @0,-900 \r",
                                "ARC c @0,500 @400,0 @0,400  c @0,-500 @-400,0 @0,-400 "}
            << Lines{"L 0,50 900,50", "L 900,-50 0,-50",    "L 50,50 50,-50",     "L 850,-50 850,50",
                     "L 850,0 50,0",  "L 450,450 450,-450", "A 450,50 400 0..90", "A 450,-50 400 180..270"};

        QTest::newRow("double swing door 800/800")
            << std::vector<
                   std::string>{"LINE @0,50 @1700,0   @0,-100 @-1700,0   @50,100 @0,-100   @1600,0 @0,100   "
                                "@-800,0 @0,-100   @-800,0 @0,-800   @1600,800 @0,-800 \r",
                                "ARC c @-1600,800 @0,-800 @800,0  c @800,0 @-800,0 @0,-800 "}
            << Lines{"L 0,50 1700,50",       "L 1700,-50 0,-50",    "L 50,50 50,-50",
                     "L 1650,-50 1650,50",   "L 850,50 850,-50",    "L 50,-50 50,-850",
                     "L 1650,-50 1650,-850", "A 50,-50 800 270..0", "A 1650,-50 800 180..270"};

        QTest::newRow("double swing door 800/400")
            << std::vector<
                   std::string>{"LINE @0,50 @1300,0   @0,-100 @-1300,0   @50,100 @0,-100   @1200,0 @0,100   "
                                "@-400,0 @0,-100   @-800,0 @0,-800   @1200,800 @0,-400 \r",
                                "ARC c @-1200,400 @0,-800 @800,0  c @400,0 @-400,0 @0,-400 "}
            << Lines{"L 0,50 1300,50",       "L 1300,-50 0,-50",    "L 50,50 50,-50",
                     "L 1250,-50 1250,50",   "L 850,50 850,-50",    "L 50,-50 50,-850",
                     "L 1250,-50 1250,-450", "A 50,-50 800 270..0", "A 1250,-50 400 180..270"};

        QTest::newRow("column at its centre, closed with C")
            << std::vector<std::string>{"PLINE @-150,-150 w 0  @0,300 @300,0 @0,-300 C\r"}
            << Lines{"P -150,-150 -150,150 150,150 150,-150 closed"};

        QTest::newRow("column base outside the top left corner")
            << std::vector<std::string>{"PLINE @75,-375 w 0  @0,300 @400,0 @0,-300 C\r"}
            << Lines{"P 75,-375 75,-75 475,-75 475,-375 closed"};

        QTest::newRow("drawing frame A3 1:100, absolute, width 100")
            << std::vector<
                   std::string>{"PLINE 0,0 w 0  @0,29700 @42000,0 @0,-29700 c  2000,1500 w 100  @0,26700 "
                                "@38500,0 @0,-26700 c\r"}
            << Lines{"P -1000,-2000 -1000,27700 41000,27700 41000,-2000 closed",
                     "P 1000,-500 1000,26200 39500,26200 39500,-500 w 100/100 closed"};

        QTest::newRow("grid bubble X1 at 1:100")
            << std::vector<std::string>{"DTEXT j m @0,350 300 0 X1\r\r", "CIRCLE @0,0 350 "}
            << Lines{"T 0,350 300 0 X1", "C 0,350 350"};

        QTest::newRow("grid bubble 7 to the right at 1:20")
            << std::vector<std::string>{"DTEXT j m @70,0 60 0 7\r\r", "CIRCLE @0,0 70 "}
            << Lines{"T 70,0 60 0 7", "C 70,0 70"};

        QTest::newRow("level mark ＋1000 at 1:100")
            << std::vector<std::string>{"DTEXT j m @0,0 250 0 ＋1000\r\r", "ELLIPSE c @0,0 @700,0 @0,200 "}
            << Lines{"T 0,0 250 0 ＋1000", "E 0,0 700,0 0.285714"};

        QTest::newRow("level mark ±0 at 1:50")
            << std::vector<std::string>{"DTEXT j m @0,0 125 0 ±0\r\r", "ELLIPSE c @0,0 @350,0 @0,100 "}
            << Lines{"T 0,0 125 0 ±0", "E 0,0 350,0 0.285714"};

        QTest::newRow("fitting tag AW 10, CIRCLE typed inside a LINE script")
            << std::vector<std::string>{"DTEXT j m @0,150 250 0 AW\r\r", "DTEXT j m @0,-300 250 0 10\r\r",
                                        "LINE @-350,150 @700,0  CIRCLE @-350,0 350 "}
            << Lines{"T 0,150 250 0 AW", "T 0,-150 250 0 10", "L -350,0 350,0", "C 0,0 350"};

        QTest::newRow("text with blanks inside, a second line below")
            << std::vector<std::string>{"DTEXT j m @0,0 30 0 A B  C\rsecond\r\r"}
            << Lines{"T 0,0 30 0 A B  C", "T 0,-50 30 0 second"};
    }

    void examples()
    {
        QFETCH(std::vector<std::string>, scripts);
        QFETCH(Lines, expected);
        QCOMPARE(q(drawn(scripts)), q(expected));
    }

    // The 1:50 sliding window: the lines after DDCOLOR take the colour the user chose.
    void colourChosenInTheMiddle()
    {
        const std::string script =
            "LINE " +
            rows({{"@-40,35", 1},   {"@40,0", 3},      {"@-40,-70", 1},   {"@40,0", 3},   {"@-20,70", 1},
                  {"@0,-70", 3},    {"@5,0", 1},       {"@0,-60", 1},     {"@-25,0", 1},  {"@0,60", 3},
                  {"@1780,70", 1},  {"@-40,0", 3},     {"@40,-70", 1},    {"@-40,0", 3},  {"@20,70", 1},
                  {"@0,-70", 3},    {"@-5,0", 1},      {"@0,-60", 1},     {"@25,0", 1},   {"@0,60", 3},
                  {"@-1740,65", 1}, {"@40,0", 1},      {"@0,-30", 1},     {"@-40,0", 3},  {"@40,15", 1},
                  {"@790,0", 3},    {"@40,15", 1},     {"@-40,0", 1},     {"@0,-30", 1},  {"@40,0", 1},
                  {"@0,-30", 1},    {"@-40,0", 3},     {"@40,15", 1},     {"@790,0", 3},  {"@40,15", 1},
                  {"@-40,0", 1},    {"@0,-30", 1},     {"@40,0", 2},      {"DDCOLOR", 1}, {"LINE", 1},
                  {"@-1700,65", 1}, {"@1700,0", 3},    {"@-1700,-70", 1}, {"@1700,0", 3}, {"@-1715,-60", 1},
                  {"@1730,0", 3},   {"@-1780,160", 1}, {"@0,15", 1},      {"@1830,0", 1}, {"@0,-15", 3},
                  {"@-915,100", 1}, {"@0,-300", 1}}) +
            "\r";

        cad::Drawing drawing;
        cad::Interpreter interpreter(drawing);
        interpreter.feed("ID\r");
        interpreter.pick(base);
        interpreter.feed(script);
        QVERIFY(interpreter.waitingForColor());
        QCOMPARE(drawing.entities().size(), size_t(25));
        interpreter.chooseColor(1);
        QVERIFY(!interpreter.waitingForColor());

        const Lines all = cad::describe(drawing, base);
        QCOMPARE(all.size(), size_t(32));
        QCOMPARE(all.front(), "L -40,35 0,35");
        QCOMPARE(all[24], "L 1660,-30 1700,-30");
        const Lines afterColour(all.begin() + 25, all.end());
        QCOMPARE(q(afterColour), q(Lines{"L 0,35 1700,35 #1", "L 0,-35 1700,-35 #1", "L -15,-95 1715,-95 #1",
                                         "L -65,65 -65,80 #1", "L -65,80 1765,80 #1", "L 1765,80 1765,65 #1",
                                         "L 850,165 850,-135 #1"}));

        // Replayed without a colour dialog, the colour stays as it was.
        for (const std::string &line : drawn({script}))
            QVERIFY2(line.find('#') == std::string::npos, line.c_str());
    }
};

QTEST_GUILESS_MAIN(TestWorkedExamples)
#include "TestWorkedExamples.moc"
