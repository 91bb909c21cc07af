#include "symbols/elevation/tenhuremu.h"
#include "tests/support/FormHarness.h"

#include <QTest>

using namespace quendra;

class TestTenhuremu : public QObject
{
    Q_OBJECT

    static std::string drawn(const harness::Inputs &inputs = {})
    {
        return harness::scripts(harness::press(tenhuremu(), "Command4", inputs)).at(0);
    }

private slots:
    // The colour dialog sits between the outline and the skirting and cornice lines, one script.
    void drawsTheDefaults_data()
    {
        QTest::addColumn<QString>("cornice");
        QTest::addColumn<QString>("expected");
        QTest::newRow("cornice") << "1"
                                 << "LINE @90,0 @0,60 @-10,0 @0,2300 @30,0 @0,40 @2480,0 @0,-40 @30,0 "
                                    "@0,-2300 @-10,0 @0,-60 @-2520,0  DDCOLOR LINE @0,60 @2520,0   "
                                    "@-20,2300 @-2480,0 \r";
        QTest::newRow("plain") << "0"
                               << "LINE @90,0 @0,60 @-10,0 @0,2340 @2540,0 @0,-2340 @-10,0 @0,-60 "
                                  "@-2520,0  DDCOLOR LINE @0,60 @2520,0 \r";
    }
    void drawsTheDefaults()
    {
        QFETCH(QString, cornice);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromStdString(drawn({{"Check1", cornice.toStdString()}})), expected);
    }

    // Each input goes to its own place: K, S, E and T differ, so a swapped box shows.
    void readsEachBoxIntoItsPlace()
    {
        const harness::Inputs room = {{"Text3", "2500"}, {"Text6", "3000"}, {"Text4", "100"}, {"Text5", "75"},
                                      {"Text7", "80"},   {"Text1", "25"},   {"Text2", "45"}};
        QCOMPARE(drawn(room), std::string("LINE @110,0 @0,80 @-10,0 @0,2375 @25,0 @0,45 @2775,0 @0,-45 @25,0 "
                                          "@0,-2375 @-10,0 @0,-80 @-2805,0  DDCOLOR LINE @0,80 @2805,0   "
                                          "@-15,2375 @-2775,0 \r"));
        harness::Inputs plain = room;
        plain.push_back({"Check1", "0"});
        QCOMPARE(drawn(plain), std::string("LINE @110,0 @0,80 @-10,0 @0,2420 @2825,0 @0,-2420 @-10,0 @0,-80 "
                                           "@-2805,0  DDCOLOR LINE @0,80 @2805,0 \r"));
    }

    // A cornice exactly as wide as the skirting is thick starts its lower line straight above: "0".
    void aCorniceOfWidthTenStartsAtZero()
    {
        QVERIFY(drawn({{"Text1", "10"}}).find("@0,2300 @-2520,0 \r") != std::string::npos);
    }

    void theCheckBoxEnablesTheCorniceBoxesAndLabels()
    {
        const FormDefinition &f = tenhuremu();
        QVERIFY(f.control("Check1")->checked);
        QCOMPARE(f.toggles.size(), size_t(1));
        QCOMPARE(f.toggles[0].check, std::string("Check1"));
        QVERIFY(f.toggles[0].enabledWhenChecked);
        QCOMPARE(f.toggles[0].targets, (std::vector<std::string>{"Label1", "Text1", "Label2", "Text2"}));
        QCOMPARE(f.control("Text1")->labelName, std::string("Label1"));
        QCOMPARE(f.control("Text2")->labelName, std::string("Label2"));
        QVERIFY(f.control("Text1")->enabled && f.control("Text2")->enabled);
    }

    void isDefinedAsTheDialogShowsIt()
    {
        const FormDefinition &f = tenhuremu();
        QCOMPARE(f.caption, std::string("Quendra_LT(展開図フレーム作図)"));
        QCOMPARE(f.button("Command4")->caption, std::string("展開図ﾌﾚｰﾑ作図(&A)"));
        QCOMPARE(f.control("Check1")->caption, std::string("廻リ縁を付ける"));
        QCOMPARE(f.tabOrder,
                 (std::vector<std::string>{"Text3", "Text6", "Text4", "Text5", "Text7", "Text1", "Text2",
                                           "Command1", "Command4", "Command2", "Command3", "Check1"}));
        const std::vector<std::tuple<std::string, std::string, std::string>> boxes = {
            {"Text3", "天井高(&D)", "2400"},  {"Text6", "部屋間口（壁芯）(&W)", "2700"},
            {"Text4", "壁芯距離(&K)", "80"},  {"Text5", "壁芯距離(&S)", "80"},
            {"Text7", "巾木高さ(&H)", "60"},  {"Text1", "廻リ縁幅(&E)", "30"},
            {"Text2", "廻リ縁高さ(&T)", "40"}};
        for (const auto &[name, caption, text] : boxes) {
            QCOMPARE(f.control(name)->caption, caption);
            QCOMPARE(f.control(name)->text, text);
        }
    }
};

QTEST_GUILESS_MAIN(TestTenhuremu)
#include "TestTenhuremu.moc"
