#include "symbols/elements/reberu.h"
#include "tests/support/FormHarness.h"

#include <QTest>

using namespace quendra;
using harness::Inputs;
using harness::press;

class TestReberu : public QObject
{
    Q_OBJECT

private slots:
    void drawsTextThenEllipse_data()
    {
        QTest::addColumn<Inputs>("inputs");
        QTest::addColumn<std::string>("text");
        QTest::addColumn<std::string>("ellipse");
        QTest::newRow("1:100 ＋1000")
            << Inputs{{"Combo1", "＋"}, {"Text1", "1000"}} << std::string("DTEXT j m @0,0 250 0 ＋1000\r\r")
            << std::string("ELLIPSE c @0,0 @700,0 @0,200 ");
        QTest::newRow("1:50 ±0") << Inputs{{"Combo1", "±"}, {"Text1", "0"}, {"Option2", "1"}}
                                 << std::string("DTEXT j m @0,0 125 0 ±0\r\r")
                                 << std::string("ELLIPSE c @0,0 @350,0 @0,100 ");
        QTest::newRow("doubled sign")
            << Inputs{{"Combo1", "－"}, {"Text1", "-300"}} << std::string("DTEXT j m @0,0 250 0 －-300\r\r")
            << std::string("ELLIPSE c @0,0 @700,0 @0,200 ");
        QTest::newRow("as loaded: no sign, empty value")
            << Inputs{} << std::string("DTEXT j m @0,0 250 0 0\r\r")
            << std::string("ELLIPSE c @0,0 @700,0 @0,200 ");
        QTest::newRow("fraction") << Inputs{{"Combo1", "＋"}, {"Text1", "12.5"}}
                                  << std::string("DTEXT j m @0,0 250 0 ＋12.5\r\r")
                                  << std::string("ELLIPSE c @0,0 @700,0 @0,200 ");
        QTest::newRow("not a number")
            << Inputs{{"Combo1", "＋"}, {"Text1", "GL"}} << std::string("DTEXT j m @0,0 250 0 ＋0\r\r")
            << std::string("ELLIPSE c @0,0 @700,0 @0,200 ");
    }
    void drawsTextThenEllipse()
    {
        QFETCH(Inputs, inputs);
        QFETCH(std::string, text);
        QFETCH(std::string, ellipse);
        const auto p = press(reberu(), "Command2", inputs);
        QCOMPARE(harness::scripts(p), (std::vector<std::string>{text, ellipse}));
        QVERIFY(harness::messages(p).empty());
        QCOMPARE(p.focus, std::string("Combo1"));
        QVERIFY(p.minimiseAfterSending);
    }

    // Only 1/100 is tested: with neither scale selected the 1:50 sizes are used.
    void anythingButOneHundredIsFifty()
    {
        FormState s = harness::stateOf(reberu(), {{"Text1", "5"}});
        s.setChecked("Option1", false);
        QCOMPARE(harness::scripts(quendra::press(reberu(), s, "Command2")).at(1),
                 std::string("ELLIPSE c @0,0 @350,0 @0,100 "));
    }

    void signIsChosenFromTheList()
    {
        FormState s = reberu().initialState();
        QVERIFY(!setInput(reberu(), s, "Combo1", "+"));
        QVERIFY(!setInput(reberu(), s, "Combo1", "＋\r"));
        QVERIFY(setInput(reberu(), s, "Combo1", "－"));
        QCOMPARE(s.text("Combo1"), std::string("－"));
        QVERIFY(!reberu().control("Combo1")->editable);
    }

    void basePointNeverAsks()
    {
        QCOMPARE(harness::scripts(press(reberu(), "Command1", {{"Text1", "-1"}})),
                 std::vector<std::string>{"ID\r"});
    }

    void closesWithThePlainBoxAndItsOwnAccessKeys()
    {
        const FormDefinition &f = reberu();
        QCOMPARE(f.closeStyle, FormDefinition::CloseStyle::Plain);
        QCOMPARE(f.button("Command1")->caption, std::string("基準点指定(&K)"));
        QCOMPARE(f.button("Command4")->caption, std::string("戻る(&R)"));
        QVERIFY(f.button("Command4")->isCancel);
    }
};

QTEST_GUILESS_MAIN(TestReberu)
#include "TestReberu.moc"
