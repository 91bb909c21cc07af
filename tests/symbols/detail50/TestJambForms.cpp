#include "symbols/Forms.h"
#include "symbols/detail50/arumiwaku.h"
#include "symbols/detail50/mokuhikito.h"
#include "symbols/detail50/mokuhiraki.h"
#include "symbols/detail50/sutiruwaku.h"
#include "tests/support/FormHarness.h"
#include "tests/symbols/detail50/Rows.h"

#include <QTest>

#include <algorithm>

using namespace quendra;
using harness::press;

namespace {

struct Jamb
{
    const FormDefinition &(*form)();
    const char *blanks;
};

const Jamb aluminium{arumiwaku, "1313131111"};
const Jamb steel{sutiruwaku, "11111131111"};
const Jamb swingWood{mokuhiraki, "11113"
                                 "11111111111113"
                                 "11113"
                                 "11111"};
const Jamb slidingWood{mokuhikito, "1111111111113"
                                   "11113"
                                   "11111"};

const FormDefinition &formNamed(const QString &name)
{
    return *findForm(name.toStdString());
}

const char *blanksOf(const QString &name)
{
    for (const Jamb *j : {&aluminium, &steel, &swingWood, &slidingWood})
        if (j->form().name == name.toStdString()) return j->blanks;
    return "";
}

std::string drawn(const QString &form, const harness::Inputs &inputs)
{
    const auto sent = harness::scripts(press(formNamed(form), "Command2", inputs));
    return sent.size() == 1 ? sent.front() : std::string("(" + std::to_string(sent.size()) + " scripts)");
}

const std::vector<std::string> angleOptions = {"Option3", "Option4", "Option5", "Option6"};

} // namespace

class TestJambForms : public QObject
{
    Q_OBJECT

private slots:
    void drawsTheWorkedExamples_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("side");
        QTest::addColumn<QString>("angle");
        QTest::addColumn<QString>("points");
        QTest::newRow("aluminium left 0")
            << "arumiwaku"
            << "Option1"
            << "Option3"
            << "@-40,35 / @40,0 / @-40,-70 / @40,0 / @-20,70 / @0,-70 / @5,0 / @0,-60 / @-25,0 / @0,60";
        QTest::newRow("aluminium right 0")
            << "arumiwaku"
            << "Option2"
            << "Option3"
            << "@40,35 / @-40,0 / @40,-70 / @-40,0 / @20,70 / @0,-70 / @-5,0 / @0,-60 / @25,0 / @0,60";
        QTest::newRow("aluminium left 90")
            << "arumiwaku"
            << "Option1"
            << "Option4"
            << "@-35,-40 / @0,40 / @70,-40 / @0,40 / @-70,-20 / @70,0 / @0,5 / @60,0 / @0,-25 / @-60,0";
        QTest::newRow("steel left 0") << "sutiruwaku"
                                      << "Option1"
                                      << "Option3"
                                      << "@-40,20 / @40,0 / @0,-40 / @-15,0 / @0,-40 / @-25,0 / @0,30 / "
                                         "@25,50 / @0,40 / @-25,0 / @0,-40";
        QTest::newRow("steel right 0")
            << "sutiruwaku"
            << "Option2"
            << "Option3"
            << "@40,20 / @-40,0 / @0,-40 / @15,0 / @0,-40 / @25,0 / @0,30 / @-25,50 / @0,40 / @25,0 / @0,-40";
        QTest::newRow("steel left 90") << "sutiruwaku"
                                       << "Option1"
                                       << "Option4"
                                       << "@-20,-40 / @0,40 / @40,0 / @0,-15 / @40,0 / @0,-25 / @-30,0 / "
                                          "@-50,25 / @-40,0 / @0,-25 / @40,0";
        QTest::newRow("swing wood left 0")
            << "mokuhiraki"
            << "Option1"
            << "Option3"
            << "@0,24 / @-21,0 / @0,-25 / @21,0 / @0,25 / @-12,0 / @0,21 / @-9,0 / @0,-15 / @-9,0 / @0,15 / "
               "@-7,0 / @0,-90 / @7,0 / @0,15 / @9,0 / @0,-15 / @9,0 / @0,44 / @-9,46 / @0,15 / @-35,0 / "
               "@0,-15 / @19,0 / @0,-90 / @-19,0 / @0,-15 / @35,0 / @0,15";
        QTest::newRow("swing wood left 90")
            << "mokuhiraki"
            << "Option1"
            << "Option4"
            << "@-24,0 / @0,-21 / @25,0 / @0,21 / @-25,0 / @0,-12 / @-21,0 / @0,-9 / @15,0 / @0,-9 / @-15,0 "
               "/ "
               "@0,-7 / @90,0 / @0,7 / @-15,0 / @0,9 / @15,0 / @0,9 / @-44,0 / @-46,-9 / @-15,0 / @0,-35 / "
               "@15,0 / @0,19 / @90,0 / @0,-19 / @15,0 / @0,35 / @-15,0";
        QTest::newRow("sliding wood left 0")
            << "mokuhikito"
            << "Option1"
            << "Option3"
            << "@0,45 / @-9,0 / @0,-15 / @-9,0 / @0,15 / @-7,0 / @0,-90 / @7,0 / @0,15 / @9,0 / @0,-15 / "
               "@9,0 / @0,90 / @-9,0 / @0,15 / @-35,0 / @0,-15 / @19,0 / @0,-90 / @-19,0 / @0,-15 / @35,0 / "
               "@0,15";
        QTest::newRow("sliding wood left 90")
            << "mokuhikito"
            << "Option1"
            << "Option4"
            << "@-45,0 / @0,-9 / @15,0 / @0,-9 / @-15,0 / @0,-7 / @90,0 / @0,7 / @-15,0 / @0,9 / @15,0 / "
               "@0,9 / @-90,0 / @0,-9 / @-15,0 / @0,-35 / @15,0 / @0,19 / @90,0 / @0,-19 / @15,0 / @0,35 / "
               "@-15,0";
    }
    void drawsTheWorkedExamples()
    {
        QFETCH(QString, form);
        QFETCH(QString, side);
        QFETCH(QString, angle);
        QFETCH(QString, points);
        QCOMPARE(QString::fromStdString(drawn(form, {{side.toStdString(), "1"}, {angle.toStdString(), "1"}})),
                 QString::fromStdString(rows::expected("LINE ", points.toStdString(), blanksOf(form))));
    }

    // Single rows the mirrored and turned cases spell out, and the rows each input moves.
    void placesSingleRows_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("side");
        QTest::addColumn<QString>("angle");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("expected");
        QTest::newRow("alu reveal past the frame") << "arumiwaku"
                                                   << "Text4"
                                                   << "25"
                                                   << "Option1"
                                                   << "Option3" << 7 << "@-5,0 ";
        QTest::newRow("alu reveal at the centre") << "arumiwaku"
                                                  << "Text4"
                                                  << "20"
                                                  << "Option1"
                                                  << "Option3" << 7 << "@0,0 ";
        QTest::newRow("alu reveal mirrored at 0") << "arumiwaku"
                                                  << "Text4"
                                                  << "20"
                                                  << "Option2"
                                                  << "Option3" << 7 << "@0,0 ";
        QTest::newRow("alu zero turned") << "arumiwaku"
                                         << "Text4"
                                         << "20"
                                         << "Option2"
                                         << "Option5" << 7 << "@0,0 ";
        QTest::newRow("alu left 90 row 7") << "arumiwaku"
                                           << "Text4"
                                           << "15"
                                           << "Option1"
                                           << "Option4" << 7 << "@0,5 ";
        QTest::newRow("alu right 270 row 7") << "arumiwaku"
                                             << "Text4"
                                             << "15"
                                             << "Option2"
                                             << "Option6" << 7 << "@0,5 ";
        QTest::newRow("alu right 0 row 9") << "arumiwaku"
                                           << "Text5"
                                           << "30"
                                           << "Option2"
                                           << "Option3" << 9 << "@30,0 ";
        QTest::newRow("alu sum U + D") << "arumiwaku"
                                       << "Text2"
                                       << "50.5"
                                       << "Option1"
                                       << "Option3" << 6 << "@0,-85.5   ";
        QTest::newRow("steel reveal past the frame") << "sutiruwaku"
                                                     << "Text4"
                                                     << "50"
                                                     << "Option1"
                                                     << "Option3" << 8 << "@-10,50 ";
        QTest::newRow("steel left 90 row 8") << "sutiruwaku"
                                             << "Text4"
                                             << "15"
                                             << "Option1"
                                             << "Option4" << 8 << "@-50,25 ";
        QTest::newRow("steel right 0 row 8") << "sutiruwaku"
                                             << "Text4"
                                             << "15"
                                             << "Option2"
                                             << "Option3" << 8 << "@-25,50 ";
        QTest::newRow("steel casing depth") << "sutiruwaku"
                                            << "Text1"
                                            << "55"
                                            << "Option1"
                                            << "Option5" << 11 << "@0,55 ";
        QTest::newRow("swing wood odd wall") << "mokuhiraki"
                                             << "Combo1"
                                             << "125"
                                             << "Option1"
                                             << "Option3" << 1 << "@0,6.5 ";
        QTest::newRow("swing wood 90 row 20") << "mokuhiraki"
                                              << "Combo1"
                                              << "90"
                                              << "Option1"
                                              << "Option4" << 20 << "@-46,-9 ";
        QTest::newRow("swing wood right row 2") << "mokuhiraki"
                                                << "Combo1"
                                                << "90"
                                                << "Option2"
                                                << "Option3" << 2 << "@21,0 ";
        QTest::newRow("swing wood right row 13") << "mokuhiraki"
                                                 << "Combo1"
                                                 << "90"
                                                 << "Option2"
                                                 << "Option3" << 13 << "@0,-90 ";
        QTest::newRow("sliding wood odd wall") << "mokuhikito"
                                               << "Combo1"
                                               << "125"
                                               << "Option1"
                                               << "Option3" << 1 << "@0,62.5 ";
        QTest::newRow("sliding wood 90 row 7") << "mokuhikito"
                                               << "Combo1"
                                               << "90"
                                               << "Option1"
                                               << "Option4" << 7 << "@90,0 ";
        QTest::newRow("sliding wood right row 16") << "mokuhikito"
                                                   << "Combo1"
                                                   << "90"
                                                   << "Option2"
                                                   << "Option3" << 16 << "@35,0 ";
    }
    void placesSingleRows()
    {
        QFETCH(QString, form);
        QFETCH(QString, input);
        QFETCH(QString, value);
        QFETCH(QString, side);
        QFETCH(QString, angle);
        QFETCH(int, row);
        QFETCH(QString, expected);
        const auto e = rows::entries(drawn(form, {{input.toStdString(), value.toStdString()},
                                                  {side.toStdString(), "1"},
                                                  {angle.toStdString(), "1"}}));
        QCOMPARE(QString::fromStdString(e.at(static_cast<size_t>(row))), expected);
    }

    void takesTheFirstSelectedAngle()
    {
        FormState s = harness::stateOf(arumiwaku());
        s.setChecked("Option3", false);
        s.setChecked("Option5", true);
        s.setChecked("Option6", true);
        QCOMPARE(harness::scripts(quendra::press(arumiwaku(), s, "Command2")),
                 harness::scripts(press(arumiwaku(), "Command2", {{"Option5", "1"}})));
    }

    void rejectsAMissingSideOrAngleAndSendsNothing_data()
    {
        QTest::addColumn<QString>("form");
        for (const char *f : {"arumiwaku", "sutiruwaku", "mokuhiraki", "mokuhikito"})
            QTest::newRow(f) << f;
    }
    void rejectsAMissingSideOrAngleAndSendsNothing()
    {
        QFETCH(QString, form);
        const FormDefinition &f = formNamed(form);
        FormState noSide = f.initialState();
        noSide.setChecked("Option1", false);
        FormState noAngle = f.initialState();
        noAngle.setChecked("Option3", false);
        for (const auto &[state, message] : {std::pair{noSide, "作図方向を指示して下さい。"},
                                             std::pair{noAngle, "正しい角度を入力して下さい。"}}) {
            const auto p = quendra::press(f, state, "Command2");
            QCOMPARE(harness::messages(p), std::vector<std::string>{message});
            QVERIFY(harness::scripts(p).empty());
            QVERIFY(!p.minimiseAfterSending);
        }
    }

    void basePointChecksItsInput_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("alu U 0") << "arumiwaku"
                                 << "Text1"
                                 << "0" << true;
        QTest::newRow("alu U -1") << "arumiwaku"
                                  << "Text1"
                                  << "-1" << false;
        QTest::newRow("alu D not checked") << "arumiwaku"
                                           << "Text2"
                                           << "-1" << true;
        QTest::newRow("steel M 0") << "sutiruwaku"
                                   << "Text1"
                                   << "0" << true;
        QTest::newRow("steel M -1") << "sutiruwaku"
                                    << "Text1"
                                    << "-1" << false;
        QTest::newRow("steel E not checked") << "sutiruwaku"
                                             << "Text2"
                                             << "-1" << true;
        QTest::newRow("swing K 90") << "mokuhiraki"
                                    << "Combo1"
                                    << "90" << true;
        QTest::newRow("swing K 89") << "mokuhiraki"
                                    << "Combo1"
                                    << "89" << false;
        QTest::newRow("swing K 89.99") << "mokuhiraki"
                                       << "Combo1"
                                       << "89.99" << false;
        QTest::newRow("sliding K 90") << "mokuhikito"
                                      << "Combo1"
                                      << "90" << true;
        QTest::newRow("sliding K 89") << "mokuhikito"
                                      << "Combo1"
                                      << "89" << false;
        QTest::newRow("sliding K empty") << "mokuhikito"
                                         << "Combo1"
                                         << "" << false;
    }
    void basePointChecksItsInput()
    {
        QFETCH(QString, form);
        QFETCH(QString, input);
        QFETCH(QString, value);
        QFETCH(bool, accepted);
        const auto p = press(formNamed(form), "Command1", {{input.toStdString(), value.toStdString()}});
        if (accepted) {
            QCOMPARE(harness::scripts(p), std::vector<std::string>{"ID\r"});
        } else {
            QCOMPARE(harness::messages(p), std::vector<std::string>{"入力された数値が正しくありません。"});
            QVERIFY(harness::scripts(p).empty());
        }
    }

    void areDefinedAsTheDialogsShowThem_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("sideGroup");
        QTest::addColumn<QString>("draw");
        QTest::addColumn<QStringList>("tabOrder");
        const QStringList buttonsAndOptions = {"Command1", "Command2", "Command4", "Command3", "Option1",
                                               "Option2",  "Option3",  "Option4",  "Option5",  "Option6"};
        QTest::newRow("arumiwaku") << "arumiwaku"
                                   << "アルミ枠"
                                   << "アルミ枠作図(&A)"
                                   << QStringList{"Text1", "Text2", "Text3", "Text4", "Text5"} +
                                          buttonsAndOptions;
        QTest::newRow("sutiruwaku") << "sutiruwaku"
                                    << "スチール枠"
                                    << "スチール枠作図(&A)"
                                    << QStringList{"Text1", "Text2", "Text4", "Text5"} + buttonsAndOptions;
        QTest::newRow("mokuhiraki") << "mokuhiraki"
                                    << "木枠（開キ戸用）"
                                    << "木枠作図(&A)" << buttonsAndOptions + QStringList{"Combo1"};
        QTest::newRow("mokuhikito") << "mokuhikito"
                                    << "木枠（引キ戸用）"
                                    << "木枠作図(&A)" << buttonsAndOptions + QStringList{"Combo1"};
    }
    void areDefinedAsTheDialogsShowThem()
    {
        QFETCH(QString, form);
        QFETCH(QString, sideGroup);
        QFETCH(QString, draw);
        QFETCH(QStringList, tabOrder);
        const FormDefinition &f = formNamed(form);
        QStringList order;
        for (const std::string &n : f.tabOrder)
            order << QString::fromStdString(n);
        QCOMPARE(order, tabOrder);
        QCOMPARE(QString::fromStdString(f.button("Command2")->caption), draw);
        QCOMPARE(QString::fromStdString(f.control("Option2")->group), sideGroup);
        for (const std::string &a : angleOptions)
            QCOMPARE(f.control(a)->group, std::string("作図角度"));

        // Choosing a side leaves the angle alone, and the other way round.
        const FormState s = harness::stateOf(f, {{"Option2", "1"}, {"Option6", "1"}});
        QVERIFY(!s.checked("Option1") && s.checked("Option2") && !s.checked("Option3") &&
                s.checked("Option6"));

        const auto p = press(f, "Command2");
        QCOMPARE(p.focus, tabOrder.contains("Text1") ? std::string("Text1") : std::string("Combo1"));
        QVERIFY(p.minimiseAfterSending);
    }

    void registersTheDetailFormsInMenuOrder()
    {
        std::vector<std::string> names;
        for (const FormDefinition *f : allForms())
            names.push_back(f->name);
        const std::vector<std::string> menu = {"hikitigai50", "katabiraki50", "arumiwaku",
                                               "sutiruwaku",  "mokuhiraki",   "mokuhikito"};
        const auto first = std::find(names.begin(), names.end(), menu.front());
        QVERIFY(first != names.end() && names.end() - first >= 6);
        QCOMPARE(std::vector<std::string>(first, first + 6), menu);
    }
};

QTEST_GUILESS_MAIN(TestJambForms)
#include "TestJambForms.moc"
