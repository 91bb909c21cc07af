#include "symbols/elements/kabe.h"
#include "tests/support/FormHarness.h"

#include <QTest>

using namespace quendra;
using harness::Inputs;
using harness::press;

class TestKabe : public QObject
{
    Q_OBJECT

private slots:
    void drawsEachCase_data()
    {
        QTest::addColumn<Inputs>("inputs");
        QTest::addColumn<std::string>("expected");
        const Inputs sizes = {{"Combo1", "60"}, {"Combo2", "75"}, {"Text1", "2400"}};
        QTest::newRow("as loaded, L only")
            << Inputs{{"Text1", "1000"}} << std::string("LINE @0,50 @1000,0   @-1000,-100 @1000,0 \r");
        QTest::newRow("example A") << Inputs{{"Text1", "3000"}}
                                   << std::string("LINE @0,50 @3000,0   @-3000,-100 @3000,0 \r");
        Inputs b = sizes;
        b.push_back({"Option4", "1"});
        QTest::newRow("B") << b << std::string("LINE @-60,0 @0,2400   @135,-2400 @0,2400 \r");
        Inputs c = sizes;
        c.push_back({"Option2", "1"});
        QTest::newRow("C") << c
                           << std::string("LINE @0,60 @2400,0   @-2400,-135 @2400,0   @-2400,145 @2400,0   "
                                          "@-2400,-175 @2400,0 \r");
        c.push_back({"Option4", "1"});
        QTest::newRow("D") << c
                           << std::string("LINE @-60,0 @0,2400   @135,-2400 @0,2400   @-145,-2400 @0,2400   "
                                          "@175,-2400 @0,2400 \r");
        QTest::newRow("fraction") << Inputs{{"Text1", "1234.5"}}
                                  << std::string("LINE @0,50 @1234.5,0   @-1234.5,-100 @1234.5,0 \r");
        QTest::newRow("empty length") << Inputs{} << std::string("LINE @0,50 @0,0   @0,-100 @0,0 \r");
        QTest::newRow("lenient readings") << Inputs{{"Combo1", "75mm"}, {"Combo2", "abc"}, {"Text1", "1 000"}}
                                          << std::string("LINE @0,75 @1000,0   @-1000,-75 @1000,0 \r");
    }
    void drawsEachCase()
    {
        QFETCH(Inputs, inputs);
        QFETCH(std::string, expected);
        const auto p = press(kabe(), "Command2", inputs);
        QCOMPARE(harness::scripts(p), std::vector<std::string>{expected});
        QVERIFY(harness::messages(p).empty());
        QCOMPARE(p.focus, std::string("Combo1"));
        QVERIFY(p.minimiseAfterSending);
    }

    // The finish sums are formed in the order the rows give them.
    void finishUsesGAndU()
    {
        const auto p = press(kabe(), "Command2",
                             {{"Option2", "1"}, {"Text1", "100"}, {"Text2", "12.5"}, {"Text3", "0.25"}});
        QCOMPARE(harness::scripts(p).at(0), std::string("LINE @0,50 @100,0   @-100,-100 @100,0   @-100,112.5 "
                                                        "@100,0   @-100,-112.75 @100,0 \r"));
    }

    void rejectsAGroupWithoutSelection_data()
    {
        QTest::addColumn<QString>("cleared");
        QTest::addColumn<QString>("message");
        QTest::newRow("finish") << "Option1,Option2"
                                << "オプションボタンをクリックして下さい。";
        QTest::newRow("angle") << "Option3,Option4"
                               << "角度を入力して下さい。";
        QTest::newRow("both: finish first") << "Option1,Option2,Option3,Option4"
                                            << "オプションボタンをクリックして下さい。";
    }
    void rejectsAGroupWithoutSelection()
    {
        QFETCH(QString, cleared);
        QFETCH(QString, message);
        FormState s = harness::stateOf(kabe(), {{"Text1", "1000"}});
        for (const QString &name : cleared.split(','))
            s.setChecked(name.toStdString(), false);
        const auto p = quendra::press(kabe(), s, "Command2");
        QCOMPARE(harness::messages(p), std::vector<std::string>{message.toStdString()});
        QVERIFY(harness::scripts(p).empty());
        QVERIFY(!p.minimiseAfterSending);
    }

    void basePointNeverAsks()
    {
        const auto p = press(kabe(), "Command1", {{"Combo1", "-50"}, {"Text1", "abc"}});
        QCOMPARE(harness::scripts(p), std::vector<std::string>{"ID\r"});
        QVERIFY(p.minimiseBeforeSending);
    }
};

QTEST_GUILESS_MAIN(TestKabe)
#include "TestKabe.moc"
