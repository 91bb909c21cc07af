#include "symbols/elements/tourisin.h"
#include "tests/support/FormHarness.h"

#include <QTest>

#include <algorithm>

using namespace quendra;
using harness::Inputs;
using harness::press;

namespace {

struct GroupButtons
{
    std::string text, check, basePoint, draw;
};

const GroupButtons groups[] = {
    {"Text1", "Check1", "Command1", "Command2"},
    {"Text2", "Check2", "Command5", "Command6"},
    {"Text3", "Check3", "Command7", "Command8"},
    {"Text4", "Check4", "Command9", "Command10"},
};

} // namespace

class TestTourisin : public QObject
{
    Q_OBJECT

private slots:
    void drawsTheWorkedExample()
    {
        const auto p = press(tourisin(), "Command2", {{"Text1", "1"}});
        QCOMPARE(harness::scripts(p),
                 (std::vector<std::string>{"DTEXT j m @0,350 300 0 X1\r\r", "CIRCLE @0,0 350 "}));
        QCOMPARE(p.focus, std::string("Text1"));
        QVERIFY(p.minimiseAfterSending);
    }

    // The whole table: every scale with every group, the offset, the height and the radius.
    void placesTheBubbleForEveryScaleAndGroup()
    {
        const struct
        {
            const char *option, *R, *Ht;
        } scales[] = {{"Option1", "350", "300"},
                      {"Option2", "175", "150"},
                      {"Option3", "105", "90"},
                      {"Option4", "70", "60"},
                      {"Option5", "35", "30"}};
        for (const auto &scale : scales) {
            const std::string R = scale.R;
            const std::string offsets[] = {"@0," + R, "@0,-" + R, "@-" + R + ",0", "@" + R + ",0"};
            const char *labels[] = {"X3", "X3", "Y3", "Y3"};
            for (int g = 0; g < 4; ++g) {
                const auto p =
                    press(tourisin(), groups[g].draw, {{scale.option, "1"}, {groups[g].text, "3"}});
                const std::vector<std::string> expected = {"DTEXT j m " + offsets[g] + " " + scale.Ht +
                                                               " 0 " + labels[g] + "\r\r",
                                                           "CIRCLE @0,0 " + R + " "};
                QCOMPARE(harness::scripts(p), expected);
                QCOMPARE(p.focus, groups[g].text);
            }
        }
    }

    void labelFollowsTheCheckBoxAndTheNumber_data()
    {
        QTest::addColumn<int>("group");
        QTest::addColumn<Inputs>("inputs");
        QTest::addColumn<std::string>("text");
        QTest::newRow("group 4 cleared, 1:20")
            << 3 << Inputs{{"Check4", "0"}, {"Option4", "1"}, {"Text4", "7"}}
            << std::string("DTEXT j m @70,0 60 0 7\r\r");
        QTest::newRow("fraction") << 2 << Inputs{{"Text3", "12.5"}}
                                  << std::string("DTEXT j m @-350,0 300 0 Y12.5\r\r");
        QTest::newRow("negative drawn as written")
            << 1 << Inputs{{"Text2", "-1"}} << std::string("DTEXT j m @0,-350 300 0 X-1\r\r");
        QTest::newRow("blanks around")
            << 0 << Inputs{{"Text1", " 2 "}} << std::string("DTEXT j m @0,350 300 0 X2\r\r");
    }
    void labelFollowsTheCheckBoxAndTheNumber()
    {
        QFETCH(int, group);
        QFETCH(Inputs, inputs);
        QFETCH(std::string, text);
        QCOMPARE(harness::scripts(press(tourisin(), groups[group].draw, inputs)).at(0), text);
    }

    void rejectsAFieldThatIsNotANumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty, as loaded") << "";
        QTest::newRow("letters") << "A";
        QTest::newRow("trailing unit") << "3mm";
        QTest::newRow("too large to write") << "1e400";
    }
    void rejectsAFieldThatIsNotANumber()
    {
        QFETCH(QString, text);
        for (const GroupButtons &g : groups) {
            for (const std::string &button : {g.basePoint, g.draw}) {
                const auto p = press(tourisin(), button, {{g.text, text.toStdString()}});
                if (button == g.basePoint && text == "1e400")
                    continue; // a huge number is still at least 0: the pick is harmless
                QCOMPARE(harness::messages(p), std::vector<std::string>{"数値を入力し直して下さい。"});
                QVERIFY(harness::scripts(p).empty());
                QVERIFY(!p.minimiseBeforeSending && !p.minimiseAfterSending);
            }
        }
    }

    void basePointReadsItsOwnGroup_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("at 0") << "0" << true;
        QTest::newRow("just below") << "-0.001" << false;
        QTest::newRow("minus one") << "-1" << false;
    }
    void basePointReadsItsOwnGroup()
    {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        for (const GroupButtons &own : groups) {
            Inputs inputs;
            for (const GroupButtons &other : groups)
                inputs.push_back({other.text, &other == &own ? text.toStdString() : "x"});
            const auto p = press(tourisin(), own.basePoint, inputs);
            QCOMPARE(harness::scripts(p),
                     accepted ? std::vector<std::string>{"ID\r"} : std::vector<std::string>{});
            QCOMPARE(p.minimiseBeforeSending, accepted);
            if (!accepted)
                QCOMPARE(harness::messages(p), std::vector<std::string>{"数値を入力し直して下さい。"});
        }
    }

    void rejectsWhenNoScaleIsSelected()
    {
        FormState s = harness::stateOf(tourisin(), {{"Text1", "1"}});
        s.setChecked("Option1", false);
        const auto p = quendra::press(tourisin(), s, "Command2");
        QCOMPARE(harness::messages(p), std::vector<std::string>{"縮尺を指定して下さい。"});
        QVERIFY(harness::scripts(p).empty());
    }

    // Exactly one group's pair of buttons is enabled: group 1 at start, then the group last touched
    // through its number field or its check box.
    void groupsEnableOneAnother()
    {
        const FormDefinition &f = tourisin();
        QCOMPARE(f.activations.size(), size_t(4));
        for (size_t i = 0; i < 4; ++i) {
            const GroupButtons &g = groups[i];
            QCOMPARE(f.button(g.basePoint)->enabled, i == 0);
            QCOMPARE(f.button(g.draw)->enabled, i == 0);
            QCOMPARE(f.button(g.basePoint)->caption, std::string("基準点指定"));
            const Activation &a = f.activations[i];
            auto triggers = a.triggers;
            std::sort(triggers.begin(), triggers.end());
            QCOMPARE(triggers, (std::vector<std::string>{g.check, g.text}));
            QCOMPARE(a.enable, (std::vector<std::string>{g.basePoint, g.draw}));
            std::vector<std::string> others;
            for (const GroupButtons &o : groups)
                if (&o != &g) others.insert(others.end(), {o.basePoint, o.draw});
            QCOMPARE(a.disable, others);
        }
    }
};

QTEST_GUILESS_MAIN(TestTourisin)
#include "TestTourisin.moc"
