#include "symbols/plan100/katabiraki100.h"
#include "symbols/plan100/katabirakito100.h"
#include "tests/symbols/plan100/Plan100Cases.h"

#include <QTest>

using namespace quendra;
using harness::press;
using plan100::refused;
using plan100::scriptOf;
using plan100::sentExactly;

namespace {

// The casement window's LINE script has two rows more (the closed sash) than the door's.
std::string windowLine(const std::vector<std::string> &points)
{
    return scriptOf("LINE ", points, {1, 3, 1, 3, 1, 3, 1, 3, 1, 3, 1, 1});
}
std::string doorLine(const std::vector<std::string> &points)
{
    return scriptOf("LINE ", points, {1, 3, 1, 3, 1, 3, 1, 3, 1, 1});
}
std::string arc(const std::string &centre, const std::string &start, const std::string &end)
{
    return scriptOf("ARC ", {"c " + centre, start, end}, {1, 1, 1}, false);
}

const FormDefinition &formNamed(const QString &name)
{
    return name == "katabiraki100" ? katabiraki100() : katabirakito100();
}

} // namespace

class TestKatabiraki100 : public QObject
{
    Q_OBJECT

private slots:
    void drawsTheTables_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("hinge");
        QTest::addColumn<QString>("angle");
        QTest::addColumn<QString>("lines");
        QTest::addColumn<QString>("arcs");
        const auto row = [](const char *tag, const char *f, const char *hinge, const char *angle,
                            const std::string &lines, const std::string &arcs) {
            QTest::newRow(tag) << f << hinge << angle << QString::fromStdString(lines)
                               << QString::fromStdString(arcs);
        };
        row("window side 1", "katabiraki100", "Option1", "0",
            windowLine({"@0,50", "@900,0", "@0,-100", "@-900,0", "@50,0", "@0,100", "@800,0", "@0,-100",
                        "@-800,50", "@800,0", "@-800,-50", "@0,-800"}),
            arc("@0,800", "@0,-800", "@800,0"));
        row("window side 2", "katabiraki100", "Option2", "0",
            windowLine({"@0,50", "@900,0", "@0,-100", "@-900,0", "@50,0", "@0,100", "@800,0", "@0,-100",
                        "@-800,50", "@800,0", "@0,-50", "@0,-800"}),
            arc("@0,800", "@-800,0", "@0,-800"));
        row("window side 1 at 90", "katabiraki100", "Option1", "90",
            windowLine({"@-50,0", "@0,900", "@100,0", "@0,-900", "@0,50", "@-100,0", "@0,800", "@100,0",
                        "@-50,-800", "@0,800", "@50,-800", "@800,0"}),
            arc("@-800,0", "@800,0", "@0,800"));
        row("door side 1", "katabirakito100", "Option1", "0",
            doorLine({"@0,50", "@900,0", "@0,-100", "@-900,0", "@50,0", "@0,100", "@800,0", "@0,-100",
                      "@-800,0", "@0,-800"}),
            arc("@0,800", "@0,-800", "@800,0"));
        row("door side 2", "katabirakito100", "Option2", "0",
            doorLine({"@0,50", "@900,0", "@0,-100", "@-900,0", "@50,0", "@0,100", "@800,0", "@0,-100", "@0,0",
                      "@0,-800"}),
            arc("@0,800", "@-800,0", "@0,-800"));
        row("door side 1 at 90", "katabirakito100", "Option1", "90",
            doorLine({"@-50,0", "@0,900", "@100,0", "@0,-900", "@0,50", "@-100,0", "@0,800", "@100,0",
                      "@0,-800", "@800,0"}),
            arc("@-800,0", "@800,0", "@0,800"));
        // "@0,0 " stays as it is when turned.
        row("door side 2 at 180", "katabirakito100", "Option2", "180",
            doorLine({"@0,-50", "@-900,0", "@0,100", "@900,0", "@-50,0", "@0,-100", "@-800,0", "@0,100",
                      "@0,0", "@0,800"}),
            arc("@0,-800", "@800,0", "@0,800"));
    }
    void drawsTheTables()
    {
        QFETCH(QString, form);
        QFETCH(QString, hinge);
        QFETCH(QString, angle);
        QFETCH(QString, lines);
        QFETCH(QString, arcs);
        const auto p =
            press(formNamed(form), "Command2", {{hinge.toStdString(), "1"}, {"Combo2", angle.toStdString()}});
        QVERIFY(sentExactly(p, {lines.toStdString(), arcs.toStdString()}));
    }

    // A bad angle gets the number message in these two dialogs; the angle is a strict number.
    void refusesABadAngle_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("angle");
        for (const char *f : {"katabiraki100", "katabirakito100"})
            for (const char *angle : {"45", "360", "", "90度"})
                QTest::addRow("%s '%s'", f, angle) << f << angle;
    }
    void refusesABadAngle()
    {
        QFETCH(QString, form);
        QFETCH(QString, angle);
        const auto p = press(formNamed(form), "Command2", {{"Combo2", angle.toStdString()}});
        QVERIFY(refused(p, "入力された数値が正しくありません。"));
    }

    // The hinge side is looked at before the angle.
    void refusesWhenNoHingeIsChosen()
    {
        for (const char *f : {"katabiraki100", "katabirakito100"}) {
            for (const char *angle : {"0", "45"}) {
                FormState s = harness::stateOf(formNamed(f), {{"Combo2", angle}});
                s.setChecked("Option1", false);
                QVERIFY(refused(quendra::press(formNamed(f), s, "Command2"), "戸吊元をクリックして下さい。"));
            }
        }
    }

    void basePointLimit()
    {
        QVERIFY(plan100::basePointLimit(katabiraki100(), "0", "-1"));
        QVERIFY(plan100::basePointLimit(katabirakito100(), "0", "-1"));
    }

    void definitions_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("drawCaption");
        QTest::addColumn<QStringList>("widths");
        QTest::newRow("window") << "katabiraki100"
                                << "Quendra_LT(1/100用片開キ窓)"
                                << "片開キ窓作図(&A)" << QStringList{"500", "600", "800", "900", "1000"};
        QTest::newRow("door") << "katabirakito100"
                              << "Quendra_LT(1/100用片開キ戸)"
                              << "片開キ戸作図(&A)" << QStringList{"600", "700", "800", "900", "1000"};
    }
    void definitions()
    {
        QFETCH(QString, form);
        QFETCH(QString, caption);
        QFETCH(QString, drawCaption);
        QFETCH(QStringList, widths);
        const FormDefinition &f = formNamed(form);
        QCOMPARE(QString::fromStdString(f.caption), caption);
        QCOMPARE(QString::fromStdString(f.button("Command2")->caption), drawCaption);
        QCOMPARE(f.control("Combo1")->text, std::string("800"));
        QCOMPARE(plan100::qt(f.control("Combo1")->items), widths);
        const Control *left = f.control("Option1");
        const Control *right = f.control("Option2");
        QVERIFY(left && right);
        QCOMPARE(left->caption, std::string("戸吊元"));
        QCOMPARE(right->caption, std::string("戸吊元"));
        QVERIFY(left->checked && !right->checked);
        QCOMPARE(left->group, right->group);
        // On the preview, each at its own jamb.
        QVERIFY(left->anchor && right->anchor);
        QVERIFY(left->anchor->x < 0.5 && right->anchor->x > 0.5);
        QCOMPARE(f.tabOrder, (std::vector<std::string>{"Combo1", "Combo2", "Option1", "Option2", "Command1",
                                                       "Command2", "Command4", "Command3"}));
    }
};

QTEST_GUILESS_MAIN(TestKatabiraki100)
#include "TestKatabiraki100.moc"
