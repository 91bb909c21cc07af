#include "symbols/plan100/ryouhiraki100.h"
#include "tests/symbols/plan100/Plan100Cases.h"

#include <QTest>

using namespace quendra;
using harness::press;
using plan100::refused;
using plan100::scriptOf;
using plan100::sentExactly;

namespace {

std::string line(const std::vector<std::string> &points)
{
    return scriptOf("LINE ", points, {1, 3, 1, 3, 1, 3, 1, 3, 1, 3, 1, 3, 1, 1});
}

// Two arcs: the first ends on two blanks, which repeat ARC; no carriage return.
std::string arcs(const std::vector<std::string> &points)
{
    return scriptOf("ARC ", {"c " + points[0], points[1], points[2], "c " + points[3], points[4], points[5]},
                    {1, 1, 2, 1, 1, 1}, false);
}

} // namespace

class TestRyouhiraki100 : public QObject
{
    Q_OBJECT

private slots:
    void drawsTheTables_data()
    {
        QTest::addColumn<QString>("w1");
        QTest::addColumn<QString>("w2");
        QTest::addColumn<QString>("angle");
        QTest::addColumn<QString>("lines");
        QTest::addColumn<QString>("arcScript");
        QTest::newRow("defaults") << "800"
                                  << "800"
                                  << "0"
                                  << QString::fromStdString(
                                         line({"@0,50", "@1700,0", "@0,-100", "@-1700,0", "@50,100",
                                               "@0,-100", "@1600,0", "@0,100", "@-800,0", "@0,-100",
                                               "@-800,0", "@0,-800", "@1600,800", "@0,-800"}))
                                  << QString::fromStdString(arcs({"@-1600,800", "@0,-800", "@800,0", "@800,0",
                                                                  "@-800,0", "@0,-800"}));
        QTest::newRow("unequal") << "800"
                                 << "400"
                                 << "0"
                                 << QString::fromStdString(
                                        line({"@0,50", "@1300,0", "@0,-100", "@-1300,0", "@50,100", "@0,-100",
                                              "@1200,0", "@0,100", "@-400,0", "@0,-100", "@-800,0", "@0,-800",
                                              "@1200,800", "@0,-400"}))
                                 << QString::fromStdString(arcs(
                                        {"@-1200,400", "@0,-800", "@800,0", "@400,0", "@-400,0", "@0,-400"}));
        QTest::newRow("unequal at 90")
            << "800"
            << "400"
            << "90"
            << QString::fromStdString(
                   line({"@-50,0", "@0,1300", "@100,0", "@0,-1300", "@-100,50", "@100,0", "@0,1200",
                         "@-100,0", "@0,-400", "@100,0", "@0,-800", "@800,0", "@-800,1200", "@400,0"}))
            << QString::fromStdString(
                   arcs({"@-400,-1200", "@800,0", "@0,800", "@0,400", "@0,-400", "@400,0"}));
    }
    void drawsTheTables()
    {
        QFETCH(QString, w1);
        QFETCH(QString, w2);
        QFETCH(QString, angle);
        QFETCH(QString, lines);
        QFETCH(QString, arcScript);
        const auto p = press(
            ryouhiraki100(), "Command2",
            {{"Combo1", w1.toStdString()}, {"Combo3", w2.toStdString()}, {"Combo2", angle.toStdString()}});
        QVERIFY(sentExactly(p, {lines.toStdString(), arcScript.toStdString()}));
    }

    void refusesABadAngle()
    {
        for (const char *angle : {"45", "360", "", "abc"})
            QVERIFY(refused(press(ryouhiraki100(), "Command2", {{"Combo2", angle}}),
                            "正しい角度を入力して下さい。"));
    }

    // Only the first leaf is checked, whatever the second is.
    void basePointLimit()
    {
        QVERIFY(plan100::basePointLimit(ryouhiraki100(), "200", "199"));
        const auto p = press(ryouhiraki100(), "Command1", {{"Combo1", "200"}, {"Combo3", "-5"}});
        QCOMPARE(harness::scripts(p), std::vector<std::string>{"ID\r"});
    }

    void definition()
    {
        const FormDefinition &f = ryouhiraki100();
        const std::vector<std::string> widths = {"400", "500", "600", "700", "800", "900", "1000"};
        QCOMPARE(f.caption, std::string("Quendra_LT(1/100用両開キ戸)"));
        QCOMPARE(f.button("Command2")->caption, std::string("両開キ戸作図(&A)"));
        for (const char *name : {"Combo1", "Combo3"}) {
            QCOMPARE(f.control(name)->text, std::string("800"));
            QCOMPARE(f.control(name)->items, widths);
        }
        QCOMPARE(f.control("Combo1")->caption, std::string("W寸法(&W)"));
        QCOMPARE(f.control("Combo3")->caption, std::string("W寸法(&K)"));
        QVERIFY(!f.control("Combo3")->digitsOnly);
        QCOMPARE(f.tabOrder, (std::vector<std::string>{"Combo1", "Combo3", "Combo2", "Command1", "Command2",
                                                       "Command4", "Command3"}));
    }
};

QTEST_GUILESS_MAIN(TestRyouhiraki100)
#include "TestRyouhiraki100.moc"
