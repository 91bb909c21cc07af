#include "symbols/elements/hasira.h"
#include "tests/support/FormHarness.h"

#include <QTest>

using namespace quendra;
using harness::press;

class TestHasira : public QObject
{
    Q_OBJECT

private slots:
    void drawsAsLoaded()
    {
        const auto p = press(hasira(), "Command2");
        QCOMPARE(harness::scripts(p),
                 std::vector<std::string>{"PLINE @-150,-150 w 0  @0,300 @300,0 @0,-300 C\r"});
        QCOMPARE(p.focus, std::string("Combo1"));
        QVERIFY(p.minimiseAfterSending);
    }

    void startsAtTheCornerOfEachPosition_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("start");
        QTest::newRow("1 centre") << "Option1"
                                  << "@-200,-150 ";
        QTest::newRow("2 top left") << "Option2"
                                    << "@75,-375 ";
        QTest::newRow("3 top right") << "Option3"
                                     << "@-475,-375 ";
        QTest::newRow("4 bottom left") << "Option4"
                                       << "@75,75 ";
        QTest::newRow("5 bottom right") << "Option5"
                                        << "@-475,75 ";
        QTest::newRow("6 top centre") << "Option6"
                                      << "@-200,-375 ";
        QTest::newRow("7 bottom centre") << "Option7"
                                         << "@-200,75 ";
        QTest::newRow("8 middle left") << "Option8"
                                       << "@75,-150 ";
        QTest::newRow("9 middle right") << "Option9"
                                        << "@-475,-150 ";
    }
    void startsAtTheCornerOfEachPosition()
    {
        QFETCH(QString, option);
        QFETCH(QString, start);
        const auto p =
            press(hasira(), "Command2", {{"Combo1", "400"}, {"Combo2", "300"}, {option.toStdString(), "1"}});
        QCOMPARE(QString::fromStdString(harness::scripts(p).at(0)),
                 "PLINE " + start + "w 0  @0,300 @400,0 @0,-300 C\r");
    }

    void halvesKeepTheirFraction()
    {
        const auto p = press(hasira(), "Command2", {{"Combo1", "255"}, {"Combo2", "0"}, {"Text1", "abc"}});
        QCOMPARE(harness::scripts(p).at(0), std::string("PLINE @-127.5,0 w 0  @0,0 @255,0 @0,0 C\r"));
    }

    void rejectsWhenNoPositionIsSelected()
    {
        FormState s = harness::stateOf(hasira());
        s.setChecked("Option1", false);
        const auto p = quendra::press(hasira(), s, "Command2");
        QCOMPARE(harness::messages(p), std::vector<std::string>{"基準点を指示してください。"});
        QVERIFY(harness::scripts(p).empty());
    }

    void basePointChecksTheWidth_data()
    {
        QTest::addColumn<QString>("width");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("at 0") << "0" << true;
        QTest::newRow("empty") << "" << true;
        QTest::newRow("just below") << "-0.001" << false;
    }
    void basePointChecksTheWidth()
    {
        QFETCH(QString, width);
        QFETCH(bool, accepted);
        const auto p = press(hasira(), "Command1", {{"Combo1", width.toStdString()}, {"Combo2", "-5"}});
        QCOMPARE(harness::scripts(p).size(), size_t(accepted ? 1 : 0));
        QCOMPARE(harness::messages(p).size(), size_t(accepted ? 0 : 1));
        if (!accepted)
            QCOMPARE(harness::messages(p).at(0), std::string("入力された数値が正しくありません。"));
    }

    // Each button sits on the preview on the side of the column where its base point lies: the
    // column's centre, seen from the base point, lies the opposite way (y grows downwards on screen).
    void positionsSitWhereTheirBasePointLies()
    {
        const auto side = [](double v) { return v > 1e-9 ? 1 : v < -1e-9 ? -1 : 0; };
        for (int i = 1; i <= 9; ++i) {
            const std::string name = "Option" + std::to_string(i);
            const Control *c = hasira().control(name);
            QVERIFY(c && c->anchor);
            QVERIFY(!c->caption.empty() && c->caption != name); // says where, not which
            const auto p = press(hasira(), "Command2", {{"Combo1", "400"}, {"Combo2", "300"}, {name, "1"}});
            const QStringList start =
                QString::fromStdString(harness::scripts(p).at(0)).mid(7).section(' ', 0, 0).split(',');
            const double cx = start[0].toDouble() + 200, cy = start[1].toDouble() + 150;
            QCOMPARE(side(c->anchor->x - 0.5), -side(cx));
            QCOMPARE(side(c->anchor->y - 0.5), side(cy));
        }
    }
};

QTEST_GUILESS_MAIN(TestHasira)
#include "TestHasira.moc"
