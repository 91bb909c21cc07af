#include "symbols/Forms.h"
#include "symbols/plan100/hikitigai100.h"
#include "symbols/plan100/hikitigaito100.h"
#include "tests/symbols/plan100/Plan100Cases.h"

#include <QTest>

using namespace quendra;
using harness::press;
using plan100::refused;
using plan100::scriptOf;
using plan100::sentExactly;

namespace {

const std::vector<int> blanks = {1, 3, 1, 3, 1, 3, 1, 3, 1, 3, 1, 3, 1, 1};

std::string line(const std::vector<std::string> &points)
{
    return scriptOf("LINE ", points, blanks);
}

const std::string defaults0 =
    line({"@0,50", "@1800,0", "@0,-100", "@-1800,0", "@50,100", "@0,-100", "@1700,0", "@0,100", "@-1700,-30",
          "@900,0", "@-100,-40", "@900,0", "@-850,170", "@0,-300"});
const std::string defaults90 =
    line({"@-50,0", "@0,1800", "@100,0", "@0,-1800", "@-100,50", "@100,0", "@0,1700", "@-100,0", "@30,-1700",
          "@0,900", "@40,-100", "@0,900", "@-170,-850", "@300,0"});
const std::string defaults270 =
    line({"@50,0", "@0,-1800", "@-100,0", "@0,1800", "@100,-50", "@-100,0", "@0,-1700", "@100,0", "@-30,1700",
          "@0,-900", "@-40,100", "@0,-900", "@170,850", "@-300,0"});
// Not listed in full in the tables: the 180 rule applied row by row.
const std::string defaults180 =
    line({"@0,-50", "@-1800,0", "@0,100", "@1800,0", "@-50,-100", "@0,100", "@-1700,0", "@0,-100", "@1700,30",
          "@-900,0", "@100,40", "@-900,0", "@850,-170", "@0,300"});

} // namespace

class TestHikitigai100 : public QObject
{
    Q_OBJECT

private slots:
    // Both dialogs draw the same symbol: every case runs on each of them.
    void drawsEachAngle_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("angle");
        QTest::addColumn<QString>("expected");
        for (const char *form : {"hikitigai100", "hikitigaito100"}) {
            const auto row = [&](const char *tag) { return &QTest::addRow("%s %s", form, tag); };
            *row("defaults") << form << "1700"
                             << "0" << QString::fromStdString(defaults0);
            *row("90") << form << "1700"
                       << "90" << QString::fromStdString(defaults90);
            *row("090") << form << "1700"
                        << "090" << QString::fromStdString(defaults90);
            *row("180") << form << "1700"
                        << "180" << QString::fromStdString(defaults180);
            *row("270") << form << "1700"
                        << "270" << QString::fromStdString(defaults270);
            // The angle is read leniently: an empty or wordy text is its leading number or 0.
            *row("empty angle") << form << "1700"
                                << "" << QString::fromStdString(defaults0);
            *row("90 and text") << form << "1700"
                                << "90度" << QString::fromStdString(defaults90);
            // The draw button does not apply the base-point limit.
            *row("below the limit") << form << "999"
                                    << "0"
                                    << QString::fromStdString(
                                           line({"@0,50", "@1099,0", "@0,-100", "@-1099,0", "@50,100",
                                                 "@0,-100", "@999,0", "@0,100", "@-999,-30", "@549.5,0",
                                                 "@-100,-40", "@549.5,0", "@-499.5,170", "@0,-300"}));
        }
    }
    void drawsEachAngle()
    {
        QFETCH(QString, form);
        QFETCH(QString, width);
        QFETCH(QString, angle);
        QFETCH(QString, expected);
        const FormDefinition *f = findForm(form.toStdString());
        QVERIFY(f);
        const auto p =
            press(*f, "Command2", {{"Combo1", width.toStdString()}, {"Combo2", angle.toStdString()}});
        QVERIFY(sentExactly(p, {expected.toStdString()}));
    }

    void keepsTheHalfOfAnOddWidth()
    {
        const auto p = press(hikitigai100(), "Command2", {{"Combo1", "1155"}});
        const std::string s = harness::scripts(p).at(0);
        QVERIFY(s.find("@-1155,-30 @627.5,0   @-100,-40 @627.5,0   @-577.5,170 @0,-300 \r") !=
                std::string::npos);
        // At 270 a computed coordinate is negated before it is written.
        const auto turned = press(hikitigai100(), "Command2", {{"Combo1", "1155"}, {"Combo2", "270"}});
        QVERIFY(harness::scripts(turned).at(0).find("@170,577.5 @-300,0 \r") != std::string::npos);
    }

    void refusesABadAngle_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("angle");
        for (const char *form : {"hikitigai100", "hikitigaito100"})
            for (const char *angle : {"45", "360", "1e400"})
                QTest::addRow("%s %s", form, angle) << form << angle;
    }
    void refusesABadAngle()
    {
        QFETCH(QString, form);
        QFETCH(QString, angle);
        const auto p = press(*findForm(form.toStdString()), "Command2", {{"Combo2", angle.toStdString()}});
        QVERIFY(refused(p, "入力された角度が正しくありません。"));
    }

    void refusesAWidthThatCannotBeWritten()
    {
        QVERIFY(refused(press(hikitigai100(), "Command2", {{"Combo1", "1e400"}}),
                        "入力された数値が正しくありません。"));
    }

    void basePointLimits()
    {
        QVERIFY(plan100::basePointLimit(hikitigai100(), "500", "499"));
        QVERIFY(plan100::basePointLimit(hikitigaito100(), "1000", "999"));
        QVERIFY(plan100::basePointLimit(hikitigaito100(), "1000mm", "999.99"));
    }

    void definitions()
    {
        const FormDefinition &window = hikitigai100();
        QCOMPARE(window.caption, std::string("Quendra_LT(1/100用引違イ窓)"));
        QCOMPARE(window.control("Combo1")->text, std::string("1700"));
        QCOMPARE(window.control("Combo1")->items, (std::vector<std::string>{"1100", "1700", "2300"}));
        QCOMPARE(window.button("Command2")->caption, std::string("引違イ窓作図(&A)"));
        QCOMPARE(window.tabOrder, (std::vector<std::string>{"Combo1", "Combo2", "Command1", "Command2",
                                                            "Command4", "Command3"}));
        QVERIFY(window.control("Combo2")->digitsOnly);

        const FormDefinition &door = hikitigaito100();
        QCOMPARE(door.caption, std::string("Quendra_LT(1/100用引違イ戸)"));
        QCOMPARE(door.control("Combo1")->text, std::string("1700"));
        QCOMPARE(door.control("Combo1")->items, (std::vector<std::string>{"1600", "1700", "1800"}));
        QCOMPARE(door.button("Command2")->caption, std::string("引違イ戸作図(&A)"));
        QVERIFY(door.button("Command4")->isCancel);
    }
};

QTEST_GUILESS_MAIN(TestHikitigai100)
#include "TestHikitigai100.moc"
