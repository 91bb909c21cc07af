#include "symbols/elevation/tendoor.h"
#include "tests/support/FormHarness.h"

#include <QTest>

using namespace quendra;

class TestTendoor : public QObject
{
    Q_OBJECT

private slots:
    void drawsEachThresholdAndHingeSide_data()
    {
        QTest::addColumn<QString>("check");
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("height");
        QTest::addColumn<QString>("expected");
        const QString flushOutlines = "LINE @0,0 @0,2000 @800,0 @0,-2000   "
                                      "@-815,0 @0,2015 @830,0 @0,-2015   "
                                      "@-855,0 @0,2040 @880,0 @0,-2040   ";
        QTest::newRow("flush, hinges left")
            << "1"
            << "Option1"
            << "2000" << flushOutlines + "@-40,2000 @-800,-1000 @800,-1000 \r";
        QTest::newRow("flush, hinges right")
            << "1"
            << "Option2"
            << "2000" << flushOutlines + "@-840,2000 @800,-1000 @-800,-1000 \r";
        const QString raisedOutlines = "LINE @0,100 @0,2000 @800,0 @0,-2000 @-800,0   "
                                       "@-15,-15 @0,2030 @830,0 @0,-2030 @-830,0   "
                                       "@-25,-25 @0,2080 @880,0 @0,-2080 @-880,0   ";
        QTest::newRow("raised, hinges left")
            << "0"
            << "Option1"
            << "2000" << raisedOutlines + "@840,2040 @-800,-1000 @800,-1000 \r";
        QTest::newRow("raised, hinges right")
            << "0"
            << "Option2"
            << "2000" << raisedOutlines + "@40,2040 @800,-1000 @-800,-1000 \r";
        QTest::newRow("flush, odd height")
            << "1"
            << "Option1"
            << "2005"
            << "LINE @0,0 @0,2005 @800,0 @0,-2005   @-815,0 @0,2020 @830,0 @0,-2020   "
               "@-855,0 @0,2045 @880,0 @0,-2045   @-40,2005 @-800,-1002.5 @800,-1002.5 \r";
        QTest::newRow("raised, odd height, hinges right")
            << "0"
            << "Option2"
            << "2005"
            << "LINE @0,100 @0,2005 @800,0 @0,-2005 @-800,0   @-15,-15 @0,2035 @830,0 @0,-2035 @-830,0   "
               "@-25,-25 @0,2085 @880,0 @0,-2085 @-880,0   @40,2045 @800,-1002.5 @-800,-1002.5 \r";
    }
    void drawsEachThresholdAndHingeSide()
    {
        QFETCH(QString, check);
        QFETCH(QString, option);
        QFETCH(QString, height);
        QFETCH(QString, expected);
        const auto p = harness::press(
            tendoor(), "Command4",
            {{"Check1", check.toStdString()}, {option.toStdString(), "1"}, {"Text2", height.toStdString()}});
        QCOMPARE(QString::fromStdString(harness::scripts(p).at(0)), expected);
    }

    // The height above the floor is read while its box is disabled, but only the raised door uses it.
    void theFloorHeightCountsOnlyWhenRaised()
    {
        const auto flush = [](const char *y) {
            return harness::scripts(harness::press(tendoor(), "Command4", {{"Text3", y}})).at(0);
        };
        QCOMPARE(flush("350"), flush("100"));
        const auto raised =
            harness::scripts(harness::press(tendoor(), "Command4", {{"Check1", "0"}, {"Text3", "350"}}));
        QVERIFY(raised.at(0).starts_with("LINE @0,350 @0,2000 "));
    }

    void theCheckBoxDisablesTheFloorHeightAndItsLabel()
    {
        const FormDefinition &f = tendoor();
        QVERIFY(f.control("Check1")->checked);
        QVERIFY(!f.control("Text3")->enabled);
        QCOMPARE(f.control("Text3")->labelName, std::string("Label3"));
        QCOMPARE(f.toggles.size(), size_t(1));
        const CheckToggle &t = f.toggles[0];
        QCOMPARE(t.check, std::string("Check1"));
        QVERIFY(!t.enabledWhenChecked);
        QCOMPARE(t.targets, (std::vector<std::string>{"Label3", "Text3"}));
    }

    void theHingeOptionsSitAtTheJambs()
    {
        const FormDefinition &f = tendoor();
        const Control *left = f.control("Option1");
        const Control *right = f.control("Option2");
        QCOMPARE(left->caption, std::string("戸吊元"));
        QCOMPARE(right->caption, std::string("戸吊元"));
        QCOMPARE(left->group, right->group);
        QVERIFY(left->checked && !right->checked);
        QVERIFY(left->anchor && right->anchor);
        QVERIFY(left->anchor->x < 0.5 && right->anchor->x > 0.5);
        QCOMPARE(left->anchor->y, right->anchor->y);
    }

    void isDefinedAsTheDialogShowsIt()
    {
        const FormDefinition &f = tendoor();
        QCOMPARE(f.caption, std::string("Quendra_LT(片開キ戸立面図)"));
        QCOMPARE(f.button("Command4")->caption, std::string("片開キ戸作図(&A)"));
        QCOMPARE(f.control("Check1")->caption, std::string("沓摺は床とゾロ"));
        const std::vector<std::tuple<std::string, std::string, std::string>> boxes = {
            {"Text1", "建具W寸法(&W)", "800"},
            {"Text2", "建具H寸法(&H)", "2000"},
            {"Text3", "床からの高さ(&Y)", "100"}};
        for (const auto &[name, caption, text] : boxes) {
            QCOMPARE(f.control(name)->caption, caption);
            QCOMPARE(f.control(name)->text, text);
        }
    }
};

QTEST_GUILESS_MAIN(TestTendoor)
#include "TestTendoor.moc"
