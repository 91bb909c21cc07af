#include "symbols/elements/tategukigou.h"
#include "tests/support/FormHarness.h"

#include <QTest>

using namespace quendra;
using harness::Inputs;
using harness::press;

class TestTategukigou : public QObject
{
    Q_OBJECT

private slots:
    void drawsTheWorkedExample()
    {
        const auto p = press(tategukigou(), "Command2", {{"Text1", "10"}});
        QCOMPARE(harness::scripts(p),
                 (std::vector<std::string>{"DTEXT j m @0,150 250 0 AW\r\r", "DTEXT j m @0,-300 250 0 10\r\r",
                                           "LINE @-350,150 @700,0  CIRCLE @-350,0 350 "}));
        QCOMPARE(p.focus, std::string("Combo1"));
        QVERIFY(p.minimiseAfterSending);
    }

    void writesCodeAndNumber_data()
    {
        QTest::addColumn<Inputs>("inputs");
        QTest::addColumn<std::string>("code");
        QTest::addColumn<std::string>("number");
        QTest::newRow("empty number draws 0") << Inputs{} << std::string("AW") << std::string("0");
        QTest::newRow("code as typed, blank kept")
            << Inputs{{"Combo1", "S D"}, {"Text1", "3"}} << std::string("S D") << std::string("3");
        QTest::newRow("lenient number")
            << Inputs{{"Combo1", "FF"}, {"Text1", "12番"}} << std::string("FF") << std::string("12");
        QTest::newRow("fraction") << Inputs{{"Text1", "2.5"}} << std::string("AW") << std::string("2.5");
    }
    void writesCodeAndNumber()
    {
        QFETCH(Inputs, inputs);
        QFETCH(std::string, code);
        QFETCH(std::string, number);
        const auto s = harness::scripts(press(tategukigou(), "Command2", inputs));
        QCOMPARE(s.at(0), "DTEXT j m @0,150 250 0 " + code + "\r\r");
        QCOMPARE(s.at(1), "DTEXT j m @0,-300 250 0 " + number + "\r\r");
    }

    // An empty code or one with a line break would leave the host inside DTEXT or run the rest
    // of the text as commands.
    void rejectsACodeThatBreaksTheText_data()
    {
        QTest::addColumn<std::string>("code");
        QTest::addColumn<std::string>("message");
        QTest::newRow("empty") << std::string() << std::string("建具記号を入力して下さい。");
        QTest::newRow("carriage return")
            << std::string("A\rLINE") << std::string("建具記号に改行は使えません。");
        QTest::newRow("line feed") << std::string("A\n") << std::string("建具記号に改行は使えません。");
    }
    void rejectsACodeThatBreaksTheText()
    {
        QFETCH(std::string, code);
        QFETCH(std::string, message);
        const auto p = press(tategukigou(), "Command2", {{"Combo1", code}, {"Text1", "1"}});
        QCOMPARE(harness::messages(p), std::vector<std::string>{message});
        QVERIFY(harness::scripts(p).empty());
    }

    void rejectsANumberTooLargeToWrite()
    {
        const auto p = press(tategukigou(), "Command2", {{"Text1", "1e400"}});
        QCOMPARE(harness::messages(p), std::vector<std::string>{"数値を入力し直して下さい。"});
        QVERIFY(harness::scripts(p).empty());
    }

    void basePointReadsTheNumberStrictly_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("at 0") << "0" << true;
        QTest::newRow("blanks around") << " 10 " << true;
        QTest::newRow("just below") << "-0.001" << false;
        QTest::newRow("empty, as loaded") << "" << false;
        QTest::newRow("trailing text") << "10番" << false;
    }
    void basePointReadsTheNumberStrictly()
    {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        const auto p = press(tategukigou(), "Command1", {{"Text1", text.toStdString()}});
        QCOMPARE(harness::scripts(p),
                 accepted ? std::vector<std::string>{"ID\r"} : std::vector<std::string>{});
        QCOMPARE(harness::messages(p), accepted ? std::vector<std::string>{}
                                                : std::vector<std::string>{"数値を入力し直して下さい。"});
        QCOMPARE(p.minimiseBeforeSending, accepted);
    }

    void closesWithThePlainBoxAndItsOwnAccessKeys()
    {
        const FormDefinition &f = tategukigou();
        QCOMPARE(f.closeStyle, FormDefinition::CloseStyle::Plain);
        QCOMPARE(f.button("Command1")->caption, std::string("基準点指定(&K)"));
        QCOMPARE(f.button("Command4")->caption, std::string("戻る(&R)"));
        QVERIFY(f.button("Command4")->isCancel);
    }
};

QTEST_GUILESS_MAIN(TestTategukigou)
#include "TestTategukigou.moc"
