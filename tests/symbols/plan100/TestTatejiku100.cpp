#include "symbols/plan100/tatejiku100.h"
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
    return scriptOf("LINE ", points, {1, 3, 1, 3, 1, 3, 1, 3, 1, 3, 1, 1});
}

// The ARC script ends on its blanks, with no carriage return.
std::string arc(const std::vector<std::string> &points)
{
    return scriptOf("ARC ", {"c " + points[0], points[1], points[2], "c " + points[3], points[4], points[5]},
                    {1, 1, 2, 1, 1, 1}, false);
}

} // namespace

class TestTatejiku100 : public QObject
{
    Q_OBJECT

private slots:
    void drawsTheTables_data()
    {
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("angle");
        QTest::addColumn<QString>("lines");
        QTest::addColumn<QString>("arcs");
        QTest::newRow("800 at 0")
            << "800"
            << "0"
            << QString::fromStdString(line({"@0,50", "@900,0", "@0,-100", "@-900,0", "@50,100", "@0,-100",
                                            "@800,0", "@0,100", "@0,-50", "@-800,0", "@400,450", "@0,-900"}))
            << QString::fromStdString(arc({"@0,500", "@400,0", "@0,400", "@0,-500", "@-400,0", "@0,-400"}));
        QTest::newRow("800 at 90")
            << "800"
            << "90"
            << QString::fromStdString(line({"@-50,0", "@0,900", "@100,0", "@0,-900", "@-100,50", "@100,0",
                                            "@0,800", "@-100,0", "@50,0", "@0,-800", "@-450,400", "@900,0"}))
            << QString::fromStdString(arc({"@-500,0", "@0,400", "@-400,0", "@500,0", "@0,-400", "@400,0"}));
        QTest::newRow("800 at 090")
            << "800"
            << "090"
            << QString::fromStdString(line({"@-50,0", "@0,900", "@100,0", "@0,-900", "@-100,50", "@100,0",
                                            "@0,800", "@-100,0", "@50,0", "@0,-800", "@-450,400", "@900,0"}))
            << QString::fromStdString(arc({"@-500,0", "@0,400", "@-400,0", "@500,0", "@0,-400", "@400,0"}));
        QTest::newRow("defaults")
            << "500"
            << "0"
            << QString::fromStdString(line({"@0,50", "@600,0", "@0,-100", "@-600,0", "@50,100", "@0,-100",
                                            "@500,0", "@0,100", "@0,-50", "@-500,0", "@250,300", "@0,-600"}))
            << QString::fromStdString(arc({"@0,350", "@250,0", "@0,250", "@0,-350", "@-250,0", "@0,-250"}));
        QTest::newRow("odd width") << "555"
                                   << "0"
                                   << QString::fromStdString(
                                          line({"@0,50", "@655,0", "@0,-100", "@-655,0", "@50,100", "@0,-100",
                                                "@555,0", "@0,100", "@0,-50", "@-555,0", "@277.5,327.5",
                                                "@0,-655"}))
                                   << QString::fromStdString(arc({"@0,377.5", "@277.5,0", "@0,277.5",
                                                                  "@0,-377.5", "@-277.5,0", "@0,-277.5"}));
    }
    void drawsTheTables()
    {
        QFETCH(QString, width);
        QFETCH(QString, angle);
        QFETCH(QString, lines);
        QFETCH(QString, arcs);
        const auto p = press(tatejiku100(), "Command2",
                             {{"Combo1", width.toStdString()}, {"Combo2", angle.toStdString()}});
        QVERIFY(sentExactly(p, {lines.toStdString(), arcs.toStdString()}));
    }

    // The angle is a strict number: a text that is not one as a whole is refused like a bad angle.
    void refusesABadAngle()
    {
        for (const char *angle : {"45", "360", "", "90度", "abc"})
            QVERIFY(refused(press(tatejiku100(), "Command2", {{"Combo2", angle}}),
                            "正しい角度を入力して下さい。"));
    }

    void basePointLimit()
    {
        QVERIFY(plan100::basePointLimit(tatejiku100(), "0", "-1"));
        QVERIFY(plan100::basePointLimit(tatejiku100(), "", "-0.5"));
    }

    void definition()
    {
        const FormDefinition &f = tatejiku100();
        QCOMPARE(f.caption, std::string("Quendra_LT(1/100用竪軸回転窓)"));
        QCOMPARE(f.control("Combo1")->text, std::string("500"));
        QCOMPARE(f.control("Combo1")->items, (std::vector<std::string>{"500", "600", "800", "900", "1000"}));
        QCOMPARE(f.button("Command2")->caption, std::string("竪軸回転窓作図(&A)"));
    }
};

QTEST_GUILESS_MAIN(TestTatejiku100)
#include "TestTatejiku100.moc"
