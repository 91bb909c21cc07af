#include "symbols/Forms.h"
#include "symbols/detail50/katabiraki50.h"
#include "tests/support/FormHarness.h"
#include "tests/symbols/detail50/Rows.h"

#include <QTest>

#include <algorithm>

using namespace quendra;
using harness::press;

namespace {

const std::string lineBlanks = "1111113"
                               "1113"
                               "1111113"
                               "1113"
                               "11112"
                               "11"
                               "1313131311";

const std::string leftRows =
    "@-40,20 / @40,0 / @0,-40 / @-15,0 / @0,-40 / @-25,0 / @0,30 / @25,50 / @0,40 / "
    "@-25,0 / @0,-40 / @880,0 / @-40,0 / @0,-40 / @15,0 / @0,-40 / @25,0 / @0,30 / "
    "@-25,50 / @0,40 / @25,0 / @0,-40 / @-850,-45 / @820,0 / @0,-30 / @-820,0 / @0,30 / "
    "DDCOLOR / LINE / @0,-30 / @0,-820 / @-5,935 / @830,0 / @-815,-40 / @800,0 / "
    "@-815,-80 / @830,0 / @-415,220 / @0,-320";

QStringList sent(const harness::Inputs &inputs)
{
    QStringList out;
    for (const std::string &s : harness::scripts(press(katabiraki50(), "Command2", inputs)))
        out << QString::fromStdString(s);
    return out;
}

QString replaced(QString rows, const QString &from, const QString &to)
{
    const qsizetype at = rows.indexOf(from);
    return rows.replace(at, from.size(), to);
}

} // namespace

class TestKatabiraki50 : public QObject
{
    Q_OBJECT

private slots:
    void drawsBothHingeSidesWithTheDefaults()
    {
        const QString left = QString::fromStdString(leftRows);
        QCOMPARE(sent({}), (QStringList{QString::fromStdString(rows::expected("LINE ", leftRows, lineBlanks)),
                                        "ARC c @-410,105 @0,-820 @820,0 "}));

        // The right hinge changes rows 30 and 32 and the arc only.
        QString right = replaced(left, "LINE / @0,-30", "LINE / @820,-30");
        right = replaced(right, "@-5,935", "@-825,935");
        QCOMPARE(
            sent({{"Option2", "1"}}),
            (QStringList{QString::fromStdString(rows::expected("LINE ", right.toStdString(), lineBlanks)),
                         "ARC c @410,105 @-820,0 @0,-820 "}));
    }

    // Rows the turned cases spell out, and the rows the depth moves.
    void placesSingleRows_data()
    {
        QTest::addColumn<QString>("hinge");
        QTest::addColumn<QString>("angle");
        QTest::addColumn<QString>("wall");
        QTest::addColumn<int>("script");
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("expected");
        QTest::newRow("left 90 arc centre") << "Option1"
                                            << "90"
                                            << "90" << 1 << 2 << "@-105,-410 ";
        QTest::newRow("left 90 arc start") << "Option1"
                                           << "90"
                                           << "90" << 1 << 3 << "@820,0 ";
        QTest::newRow("left 90 arc end") << "Option1"
                                         << "90"
                                         << "90" << 1 << 4 << "@0,820 ";
        QTest::newRow("left 90 row 1") << "Option1"
                                       << "90"
                                       << "90" << 0 << 1 << "@-20,-40 ";
        QTest::newRow("left 270 row 32") << "Option1"
                                         << "270"
                                         << "90" << 0 << 32 << "@935,5 ";
        QTest::newRow("right 180 row 30") << "Option2"
                                          << "180"
                                          << "90" << 0 << 30 << "@-820,30 ";
        QTest::newRow("odd depth row 1") << "Option1"
                                         << "0"
                                         << "125" << 0 << 1 << "@-40,2.5 ";
        QTest::newRow("odd depth row 38") << "Option1"
                                          << "0"
                                          << "125" << 0 << 38 << "@-415,255 ";
        QTest::newRow("c stays at 270") << "Option2"
                                        << "270"
                                        << "90" << 1 << 1 << "c ";
    }
    void placesSingleRows()
    {
        QFETCH(QString, hinge);
        QFETCH(QString, angle);
        QFETCH(QString, wall);
        QFETCH(int, script);
        QFETCH(int, entry);
        QFETCH(QString, expected);
        const QStringList s = sent(
            {{hinge.toStdString(), "1"}, {"Combo2", angle.toStdString()}, {"Combo5", wall.toStdString()}});
        QCOMPARE(s.size(), 2);
        const auto e = rows::entries(s.at(script).toStdString());
        QCOMPARE(e.size(), script == 0 ? size_t(41) : size_t(5));
        QCOMPARE(QString::fromStdString(e.at(static_cast<size_t>(entry))), expected);
    }

    void sumsTheDepthFromAllThreeReveals()
    {
        const QStringList s = sent({{"Combo5", "100"}, {"Combo3", "20"}, {"Combo4", "5"}});
        QCOMPARE(QString::fromStdString(rows::entries(s.at(0).toStdString()).at(9)), QString("@0,45 "));
    }

    void rejectsAMissingHingeOrABadAngleAndSendsNothing()
    {
        FormState noHinge = harness::stateOf(katabiraki50(), {{"Combo2", "45"}});
        noHinge.setChecked("Option1", false);
        noHinge.setChecked("Option2", false);
        const auto hinge = quendra::press(katabiraki50(), noHinge, "Command2");
        QCOMPARE(harness::messages(hinge), std::vector<std::string>{"戸吊元を指示して下さい。"});
        QVERIFY(harness::scripts(hinge).empty());

        for (const char *angle : {"45", "", "x", "-0.5"}) {
            const auto p = press(katabiraki50(), "Command2", {{"Option2", "1"}, {"Combo2", angle}});
            QCOMPARE(harness::messages(p), std::vector<std::string>{"正しい角度を入力して下さい。"});
            QVERIFY(harness::scripts(p).empty());
            QVERIFY(!p.minimiseAfterSending);
        }
    }

    void basePointNeedsAWidthOfOneHundred()
    {
        QCOMPARE(harness::scripts(press(katabiraki50(), "Command1", {{"Combo1", "100"}})),
                 std::vector<std::string>{"ID\r"});
        for (const char *width : {"99", "99.5", "abc"}) {
            const auto p = press(katabiraki50(), "Command1", {{"Combo1", width}});
            QCOMPARE(harness::messages(p), std::vector<std::string>{"入力された数値が正しくありません。"});
            QVERIFY(harness::scripts(p).empty());
        }
    }

    void isDefinedAsTheDialogShowsIt()
    {
        const FormDefinition &f = katabiraki50();
        QCOMPARE(findForm("katabiraki50"), &f);
        QCOMPARE(f.caption, std::string("Quendra_LT(1/50用片開キ戸)"));
        QCOMPARE(f.tabOrder,
                 (std::vector<std::string>{"Combo1", "Combo5", "Combo3", "Combo4", "Combo2", "Command1",
                                           "Command2", "Command4", "Command3", "Option1", "Option2"}));
        const Control *wall = f.control("Combo5");
        QCOMPARE(wall->text, std::string("90"));
        QVERIFY(std::find(wall->items.begin(), wall->items.end(), "90") == wall->items.end());
        QVERIFY(f.control("Combo2")->digitsOnly);
        const Control *left = f.control("Option1");
        const Control *right = f.control("Option2");
        QVERIFY(left->checked && !right->checked);
        QCOMPARE(left->group, right->group);
        QVERIFY(left->anchor && right->anchor && left->anchor->x < right->anchor->x);
        const auto p = press(f, "Command2");
        QCOMPARE(p.focus, std::string("Combo1"));
        QVERIFY(p.minimiseAfterSending);
    }
};

QTEST_GUILESS_MAIN(TestKatabiraki50)
#include "TestKatabiraki50.moc"
