#include "symbols/Forms.h"
#include "symbols/detail50/hikitigai50.h"
#include "tests/support/FormHarness.h"
#include "tests/symbols/detail50/Rows.h"

#include <QTest>

using namespace quendra;
using harness::press;

namespace {

const std::string blanks = "1313131113"
                           "1313131113"
                           "1113131111"
                           "1313111211"
                           "1313131113"
                           "11";

std::string drawn(const harness::Inputs &inputs = {})
{
    const auto p = press(hikitigai50(), "Command2", inputs);
    const auto sent = harness::scripts(p);
    return sent.size() == 1 ? sent.front() : std::string("(" + std::to_string(sent.size()) + " scripts)");
}

} // namespace

class TestHikitigai50 : public QObject
{
    Q_OBJECT

private slots:
    void drawsTheDefaultsAtZeroAndNinety()
    {
        QCOMPARE(QString::fromStdString(drawn()),
                 QString::fromStdString(rows::expected(
                     "LINE ",
                     "@-40,35 / @40,0 / @-40,-70 / @40,0 / @-20,70 / @0,-70 / @5,0 / @0,-60 / "
                     "@-25,0 / @0,60 / @1780,70 / @-40,0 / @40,-70 / @-40,0 / @20,70 / @0,-70 / "
                     "@-5,0 / @0,-60 / @25,0 / @0,60 / @-1740,65 / @40,0 / @0,-30 / @-40,0 / "
                     "@40,15 / @790,0 / @40,15 / @-40,0 / @0,-30 / @40,0 / @0,-30 / @-40,0 / "
                     "@40,15 / @790,0 / @40,15 / @-40,0 / @0,-30 / @40,0 / DDCOLOR / LINE / "
                     "@-1700,65 / @1700,0 / @-1700,-70 / @1700,0 / @-1715,-60 / @1730,0 / "
                     "@-1780,160 / @0,15 / @1830,0 / @0,-15 / @-915,100 / @0,-300",
                     blanks)));
        QCOMPARE(QString::fromStdString(drawn({{"Combo2", "90"}})),
                 QString::fromStdString(rows::expected(
                     "LINE ",
                     "@-35,-40 / @0,40 / @70,-40 / @0,40 / @-70,-20 / @70,0 / @0,5 / @60,0 / @0,-25 / "
                     "@-60,0 / @-70,1780 / @0,-40 / @70,40 / @0,-40 / @-70,20 / @70,0 / @0,-5 / @60,0 / "
                     "@0,25 / @-60,0 / @-65,-1740 / @0,40 / @30,0 / @0,-40 / @-15,40 / @0,790 / "
                     "@-15,40 / @0,-40 / @30,0 / @0,40 / @30,0 / @0,-40 / @-15,40 / @0,790 / @-15,40 / "
                     "@0,-40 / @30,0 / @0,40 / DDCOLOR / LINE / @-65,-1700 / @0,1700 / @70,-1700 / "
                     "@0,1700 / @60,-1715 / @0,1730 / @-160,-1780 / @-15,0 / @0,1830 / @15,0 / "
                     "@-100,-915 / @300,0",
                     blanks)));
    }

    // Rows the turned cases spell out, and the rows each input moves.
    void placesSingleRows_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("angle");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("expected");
        QTest::newRow("90 row 8") << "Combo3"
                                  << "60"
                                  << "90" << 8 << "@60,0 ";
        QTest::newRow("90 row 21") << "Combo1"
                                   << "1700"
                                   << "90" << 21 << "@-65,-1740 ";
        QTest::newRow("180 row 26") << "Combo1"
                                    << "1700"
                                    << "180" << 26 << "@-790,0   ";
        QTest::newRow("270 row 47") << "Combo1"
                                    << "1700"
                                    << "270" << 47 << "@160,1780 ";
        QTest::newRow("odd width row 26") << "Combo1"
                                          << "1155"
                                          << "0" << 26 << "@517.5,0   ";
        QTest::newRow("odd width row 34") << "Combo1"
                                          << "1155"
                                          << "0" << 34 << "@517.5,0   ";
        QTest::newRow("odd width row 51") << "Combo1"
                                          << "1155"
                                          << "0" << 51 << "@-642.5,100 ";
        QTest::newRow("finish row 47") << "Text1"
                                       << "25"
                                       << "0" << 47 << "@-1780,185 ";
        QTest::newRow("depth row 45") << "Combo3"
                                      << "90"
                                      << "0" << 45 << "@-1715,-90 ";
        QTest::newRow("zero stays 0 at 180") << "Combo1"
                                             << "120"
                                             << "180" << 26 << "@0,0   ";
        QTest::newRow("090 is 90") << "Combo1"
                                   << "1700"
                                   << "090" << 1 << "@-35,-40 ";
        QTest::newRow("lenient width") << "Combo1"
                                       << "1700mm"
                                       << "0" << 11 << "@1780,70 ";
    }
    void placesSingleRows()
    {
        QFETCH(QString, control);
        QFETCH(QString, value);
        QFETCH(QString, angle);
        QFETCH(int, row);
        QFETCH(QString, expected);
        const auto e = rows::entries(
            drawn({{control.toStdString(), value.toStdString()}, {"Combo2", angle.toStdString()}}));
        QCOMPARE(e.size(), size_t(54)); // command word, 52 rows, carriage return
        QCOMPARE(QString::fromStdString(e.at(static_cast<size_t>(row))), expected);
        QCOMPARE(e.at(39), std::string("DDCOLOR "));
        QCOMPARE(e.at(40), std::string("LINE "));
    }

    void rejectsABadAngleAndSendsNothing_data()
    {
        QTest::addColumn<QString>("angle");
        for (const char *a : {"45", "360", "-90", "", "abc", "9 0"})
            QTest::newRow(a) << a;
    }
    void rejectsABadAngleAndSendsNothing()
    {
        QFETCH(QString, angle);
        const auto p = press(hikitigai50(), "Command2", {{"Combo2", angle.toStdString()}});
        QCOMPARE(harness::messages(p), std::vector<std::string>{"正しい角度を入力して下さい。"});
        QVERIFY(harness::scripts(p).empty());
        QVERIFY(!p.minimiseAfterSending);
        QCOMPARE(p.focus, std::string());
    }

    void rejectsAValueTooLargeToWrite()
    {
        const auto p = press(hikitigai50(), "Command2", {{"Combo3", "1e400"}});
        QCOMPARE(harness::messages(p), std::vector<std::string>{"入力された数値が正しくありません。"});
        QVERIFY(harness::scripts(p).empty());
    }

    void basePointNeedsAWidthOfFiveHundred_data()
    {
        QTest::addColumn<QString>("width");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("500") << "500" << true;
        QTest::newRow("500mm") << "500mm" << true;
        QTest::newRow("499") << "499" << false;
        QTest::newRow("499.999") << "499.999" << false;
        QTest::newRow("empty") << "" << false;
    }
    void basePointNeedsAWidthOfFiveHundred()
    {
        QFETCH(QString, width);
        QFETCH(bool, accepted);
        const auto p = press(hikitigai50(), "Command1", {{"Combo1", width.toStdString()}, {"Text1", "-5"}});
        if (accepted) {
            QCOMPARE(harness::scripts(p), std::vector<std::string>{"ID\r"});
            QVERIFY(p.minimiseBeforeSending);
        } else {
            QCOMPARE(harness::messages(p), std::vector<std::string>{"入力された数値が正しくありません。"});
            QVERIFY(harness::scripts(p).empty());
        }
    }

    void isDefinedAsTheDialogShowsIt()
    {
        const FormDefinition &f = hikitigai50();
        QCOMPARE(findForm("hikitigai50"), &f);
        QCOMPARE(f.caption, std::string("Quendra_LT(1/50用引違イ窓)"));
        QCOMPARE(f.tabOrder, (std::vector<std::string>{"Combo1", "Combo2", "Command1", "Command2", "Command4",
                                                       "Command3", "Combo3", "Text1"}));
        QVERIFY(f.control("Combo2")->digitsOnly);
        QVERIFY(!f.control("Combo3")->digitsOnly && !f.control("Text1")->digitsOnly);
        QCOMPARE(f.button("Command2")->caption, std::string("引違イ窓作図(&A)"));
        const auto p = press(f, "Command2");
        QCOMPARE(p.focus, std::string("Combo1"));
        QVERIFY(p.minimiseAfterSending);
    }
};

QTEST_GUILESS_MAIN(TestHikitigai50)
#include "TestHikitigai50.moc"
