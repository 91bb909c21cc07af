#include "symbols/Forms.h"
#include "symbols/plan100/fix100.h"
#include "tests/support/FormHarness.h"

#include <QTest>

using namespace quendra;
using harness::press;

class TestFix100 : public QObject
{
    Q_OBJECT

private slots:
    void drawsTheWorkedExample()
    {
        const auto p = press(fix100(), "Command2");
        QCOMPARE(harness::scripts(p),
                 std::vector<std::string>{
                     "LINE @0,50 @600,0   @0,-100 @-600,0   @50,100 @0,-100   @500,0 @0,100   "
                     "@0,-50 @-500,0 \r"});
        QCOMPARE(p.focus, std::string("Combo1"));
        QVERIFY(p.minimiseAfterSending);
    }

    void turnsEveryRowForEachAngle_data()
    {
        QTest::addColumn<QString>("angle");
        QTest::addColumn<QString>("expected");
        QTest::newRow("90")
            << "90"
            << "LINE @-50,0 @0,600   @100,0 @0,-600   @-100,50 @100,0   @0,500 @-100,0   @50,0 @0,-500 \r";
        QTest::newRow("090")
            << "090"
            << "LINE @-50,0 @0,600   @100,0 @0,-600   @-100,50 @100,0   @0,500 @-100,0   @50,0 @0,-500 \r";
        QTest::newRow("180")
            << "180"
            << "LINE @0,-50 @-600,0   @0,100 @600,0   @-50,-100 @0,100   @-500,0 @0,-100   @0,50 @500,0 \r";
        QTest::newRow("270")
            << "270"
            << "LINE @50,0 @0,-600   @-100,0 @0,600   @100,-50 @-100,0   @0,-500 @100,0   @-50,0 @0,500 \r";
    }
    void turnsEveryRowForEachAngle()
    {
        QFETCH(QString, angle);
        QFETCH(QString, expected);
        const auto p = press(fix100(), "Command2", {{"Combo2", angle.toStdString()}});
        QCOMPARE(QString::fromStdString(harness::scripts(p).at(0)), expected);
    }

    void keepsFractionsAndNegativeWidths()
    {
        const auto half = press(fix100(), "Command2", {{"Combo1", "627.5"}});
        QVERIFY(harness::scripts(half).at(0).find("@727.5,0   ") != std::string::npos);
        const auto negative = press(fix100(), "Command2", {{"Combo1", "-700"}});
        QVERIFY(harness::scripts(negative).at(0).find("@-600,0   @0,-100 @600,0   ") != std::string::npos);
    }

    void rejectsABadAngleAndSendsNothing_data()
    {
        QTest::addColumn<QString>("angle");
        QTest::newRow("45") << "45";
        QTest::newRow("360") << "360";
        QTest::newRow("empty") << "";
    }
    void rejectsABadAngleAndSendsNothing()
    {
        QFETCH(QString, angle);
        const auto p = press(fix100(), "Command2", {{"Combo2", angle.toStdString()}});
        QCOMPARE(harness::messages(p), std::vector<std::string>{"正しい角度を入力して下さい。"});
        QVERIFY(harness::scripts(p).empty());
        QVERIFY(!p.minimiseAfterSending);
    }

    void rejectsAWidthTooLargeToWrite()
    {
        const auto p = press(fix100(), "Command2", {{"Combo1", "1e400"}});
        QCOMPARE(harness::messages(p), std::vector<std::string>{"入力された数値が正しくありません。"});
        QVERIFY(harness::scripts(p).empty());
    }

    void basePointChecksTheWidth()
    {
        const auto ok = press(fix100(), "Command1", {{"Combo1", "0"}});
        QCOMPARE(harness::scripts(ok), std::vector<std::string>{"ID\r"});
        QVERIFY(ok.minimiseBeforeSending);
        const auto empty = press(fix100(), "Command1", {{"Combo1", ""}});
        QCOMPARE(harness::scripts(empty), std::vector<std::string>{"ID\r"});
        const auto negative = press(fix100(), "Command1", {{"Combo1", "-1"}});
        QCOMPARE(harness::messages(negative), std::vector<std::string>{"入力された数値が正しくありません。"});
        QVERIFY(harness::scripts(negative).empty());
        QVERIFY(!negative.minimiseBeforeSending);
    }

    void isDefinedAsTheDialogShowsIt()
    {
        const FormDefinition &f = fix100();
        QCOMPARE(findForm("fix100"), &f);
        QCOMPARE(f.caption, std::string("Quendra_LT(1/100用FIX窓)"));
        QVERIFY(f.control("Combo2")->digitsOnly);
        QVERIFY(!f.control("Combo1")->digitsOnly);
        QVERIFY(f.button("Command4")->isCancel);
        QCOMPARE(press(f, "Command4").navigate, ButtonPress::Navigate::Back);
        QCOMPARE(press(f, "Command3").navigate, ButtonPress::Navigate::Exit);
    }
};

QTEST_GUILESS_MAIN(TestFix100)
#include "TestFix100.moc"
