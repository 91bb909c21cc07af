#include "symbols/plan100/yonhonhiki100.h"
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
    return scriptOf("LINE ", points, {1, 3, 1, 3, 1, 3, 1, 3, 1, 3, 1, 3, 1, 3, 1, 3, 1, 3, 1, 1});
}

} // namespace

class TestYonhonhiki100 : public QObject
{
    Q_OBJECT

private slots:
    void drawsTheTables_data()
    {
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("angle");
        QTest::addColumn<QString>("expected");
        QTest::newRow("defaults") << "3500"
                                  << "0"
                                  << QString::fromStdString(line(
                                         {"@0,50",     "@3600,0",  "@0,-100",  "@-3600,0",   "@50,100",
                                          "@0,-100",   "@3500,0",  "@0,100",   "@-3500,-30", "@925,0",
                                          "@-100,-40", "@1850,0",  "@-100,40", "@925,0",     "@-2625,130",
                                          "@0,-300",   "@875,300", "@0,-300",  "@875,300",   "@0,-300"}));
        QTest::newRow("90") << "3500"
                            << "90"
                            << QString::fromStdString(
                                   line({"@-50,0",   "@0,3600",   "@100,0",    "@0,-3600",  "@-100,50",
                                         "@100,0",   "@0,3500",   "@-100,0",   "@30,-3500", "@0,925",
                                         "@40,-100", "@0,1850",   "@-40,-100", "@0,925",    "@-130,-2625",
                                         "@300,0",   "@-300,875", "@300,0",    "@-300,875", "@300,0"}));
        // W * 3 / 4 keeps its fraction; at 270 the computed coordinates change sign.
        QTest::newRow("fractions") << "3450"
                                   << "0"
                                   << QString::fromStdString(
                                          line({"@0,50",      "@3550,0",  "@0,-100",      "@-3550,0",
                                                "@50,100",    "@0,-100",  "@3450,0",      "@0,100",
                                                "@-3450,-30", "@912.5,0", "@-100,-40",    "@1825,0",
                                                "@-100,40",   "@912.5,0", "@-2587.5,130", "@0,-300",
                                                "@862.5,300", "@0,-300",  "@862.5,300",   "@0,-300"}));
        QTest::newRow("fractions 270")
            << "3450"
            << "270" << QString::fromStdString(line({"@50,0",       "@0,-3550",  "@-100,0",     "@0,3550",
                                                     "@100,-50",    "@-100,0",   "@0,-3450",    "@100,0",
                                                     "@-30,3450",   "@0,-912.5", "@-40,100",    "@0,-1825",
                                                     "@40,100",     "@0,-912.5", "@130,2587.5", "@-300,0",
                                                     "@300,-862.5", "@-300,0",   "@300,-862.5", "@-300,0"}));
    }
    void drawsTheTables()
    {
        QFETCH(QString, width);
        QFETCH(QString, angle);
        QFETCH(QString, expected);
        const auto p = press(yonhonhiki100(), "Command2",
                             {{"Combo1", width.toStdString()}, {"Combo2", angle.toStdString()}});
        QVERIFY(sentExactly(p, {expected.toStdString()}));
    }

    void turnedRowsQuotedInTheTables()
    {
        // At 90 row 13 is "@-40,-100 " and row 15 "@-130," & Format(-(W * 3 / 4)) & " ".
        const auto p = press(yonhonhiki100(), "Command2", {{"Combo1", "3450"}, {"Combo2", "90"}});
        QVERIFY(harness::scripts(p).at(0).find("@-40,-100 @0,912.5   @-130,-2587.5 ") != std::string::npos);
    }

    void readsTheAngleLeniently()
    {
        const auto scripts = [](const char *angle) {
            return harness::scripts(press(yonhonhiki100(), "Command2", {{"Combo2", angle}}));
        };
        QCOMPARE(scripts(""), scripts("0"));
        QCOMPARE(scripts("90度"), scripts("90"));
    }

    void refusesABadAngle()
    {
        for (const char *angle : {"45", "360", "-90"})
            QVERIFY(refused(press(yonhonhiki100(), "Command2", {{"Combo2", angle}}),
                            "入力された角度が正しくありません。"));
    }

    void basePointLimit() { QVERIFY(plan100::basePointLimit(yonhonhiki100(), "2000", "1999")); }

    void definition()
    {
        const FormDefinition &f = yonhonhiki100();
        QCOMPARE(f.caption, std::string("Quendra_LT(1/100用４本引戸)"));
        QCOMPARE(f.control("Combo1")->text, std::string("3500"));
        QCOMPARE(f.control("Combo1")->items,
                 (std::vector<std::string>{"2800", "2900", "3000", "3100", "3200", "3300", "3400", "3500"}));
        QCOMPARE(f.button("Command2")->caption, std::string("４本引戸作図(&A)"));
    }
};

QTEST_GUILESS_MAIN(TestYonhonhiki100)
#include "TestYonhonhiki100.moc"
