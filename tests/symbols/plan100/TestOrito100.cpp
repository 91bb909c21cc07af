#include "symbols/plan100/kataorito100.h"
#include "symbols/plan100/ryouorito100.h"
#include "tests/symbols/plan100/Plan100Cases.h"

#include <QTest>

using namespace quendra;
using harness::press;
using plan100::refused;
using plan100::scriptOf;
using plan100::sentExactly;

namespace {

std::string singleLine(const std::vector<std::string> &points)
{
    return scriptOf("LINE ", points, {1, 3, 1, 3, 1, 3, 1, 3, 1, 1, 3, 1, 1});
}

std::string doubleLine(const std::vector<std::string> &points)
{
    return scriptOf("LINE ", points, {1, 3, 1, 3, 1, 3, 1, 3, 1, 1, 3, 1, 1, 3, 1, 1});
}

const FormDefinition &formNamed(const QString &name)
{
    return name == "kataorito100" ? kataorito100() : ryouorito100();
}

} // namespace

// The single and the double folding door.
class TestOrito100 : public QObject
{
    Q_OBJECT

private slots:
    void drawsTheTables_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("angle");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *tag, const char *form, const char *width, const char *angle,
                            const std::string &expected) {
            QTest::newRow(tag) << form << width << angle << QString::fromStdString(expected);
        };
        row("single defaults", "kataorito100", "800", "0",
            singleLine({"@0,50", "@900,0", "@0,-100", "@-900,0", "@50,100", "@0,-100", "@800,0", "@0,100",
                        "@-800,-100", "@100,-400", "@100,400", "@200,200", "@0,-300"}));
        row("single at 90", "kataorito100", "800", "90",
            singleLine({"@-50,0", "@0,900", "@100,0", "@0,-900", "@-100,50", "@100,0", "@0,800", "@-100,0",
                        "@100,-800", "@400,100", "@-400,100", "@-200,200", "@300,0"}));
        // At the base-point limit the cross line meets the end of the V.
        row("single at its limit", "kataorito100", "400", "0",
            singleLine({"@0,50", "@500,0", "@0,-100", "@-500,0", "@50,100", "@0,-100", "@400,0", "@0,100",
                        "@-400,-100", "@100,-200", "@100,200", "@0,200", "@0,-300"}));
        row("single odd width", "kataorito100", "555", "0",
            singleLine({"@0,50", "@655,0", "@0,-100", "@-655,0", "@50,100", "@0,-100", "@555,0", "@0,100",
                        "@-555,-100", "@100,-277.5", "@100,277.5", "@77.5,200", "@0,-300"}));
        row("double defaults", "ryouorito100", "1700", "0",
            doubleLine({"@0,50", "@1800,0", "@0,-100", "@-1800,0", "@50,100", "@0,-100", "@1700,0", "@0,100",
                        "@-1700,-100", "@100,-425", "@100,425", "@1500,0", "@-100,-425", "@-100,425",
                        "@-650,200", "@0,-300"}));
        row("double at 90", "ryouorito100", "1700", "90",
            doubleLine({"@-50,0", "@0,1800", "@100,0", "@0,-1800", "@-100,50", "@100,0", "@0,1700", "@-100,0",
                        "@100,-1700", "@425,100", "@-425,100", "@0,1500", "@425,-100", "@-425,-100",
                        "@-200,-650", "@300,0"}));
        row("double fractions", "ryouorito100", "1650", "0",
            doubleLine({"@0,50", "@1750,0", "@0,-100", "@-1750,0", "@50,100", "@0,-100", "@1650,0", "@0,100",
                        "@-1650,-100", "@100,-412.5", "@100,412.5", "@1450,0", "@-100,-412.5", "@-100,412.5",
                        "@-625,200", "@0,-300"}));
    }
    void drawsTheTables()
    {
        QFETCH(QString, form);
        QFETCH(QString, width);
        QFETCH(QString, angle);
        QFETCH(QString, expected);
        const auto p = press(formNamed(form), "Command2",
                             {{"Combo1", width.toStdString()}, {"Combo2", angle.toStdString()}});
        QVERIFY(sentExactly(p, {expected.toStdString()}));
    }

    void refusesABadAngle()
    {
        for (const FormDefinition *f : {&kataorito100(), &ryouorito100()})
            for (const char *angle : {"45", "360", "", "abc"})
                QVERIFY(refused(press(*f, "Command2", {{"Combo2", angle}}), "正しい角度を入力して下さい。"));
    }

    void basePointLimits()
    {
        QVERIFY(plan100::basePointLimit(kataorito100(), "400", "399"));
        QVERIFY(plan100::basePointLimit(ryouorito100(), "800", "799"));
    }

    void definitions()
    {
        const FormDefinition &single = kataorito100();
        QCOMPARE(single.caption, std::string("Quendra_LT(1/100用片折リ戸)"));
        QCOMPARE(single.button("Command2")->caption, std::string("片折リ戸作図(&A)"));
        QCOMPARE(single.control("Combo1")->text, std::string("800"));
        QCOMPARE(single.control("Combo1")->items,
                 (std::vector<std::string>{"500", "600", "700", "800", "900", "1000"}));
        const FormDefinition &pair = ryouorito100();
        QCOMPARE(pair.caption, std::string("Quendra_LT(1/100用両折リ戸)"));
        QCOMPARE(pair.button("Command2")->caption, std::string("両折リ戸作図(&A)"));
        QCOMPARE(pair.control("Combo1")->text, std::string("1700"));
        QCOMPARE(pair.control("Combo1")->items,
                 (std::vector<std::string>{"800", "900", "1000", "1100", "1200", "1300", "1400", "1500",
                                           "1600", "1700", "1800"}));
    }
};

QTEST_GUILESS_MAIN(TestOrito100)
#include "TestOrito100.moc"
