#include "symbols/elements/zumenwaku.h"
#include "tests/support/FormHarness.h"

#include <QTest>

using namespace quendra;
using harness::press;

class TestZumenwaku : public QObject
{
    Q_OBJECT

private slots:
    void drawsAsLoaded()
    {
        const auto p = press(zumenwaku(), "Command1");
        QCOMPARE(harness::scripts(p),
                 std::vector<std::string>{"PLINE 0,0 w 0  @0,29700 @42000,0 @0,-29700 c  2000,1500 w 100  "
                                          "@0,26700 @38500,0 @0,-26700 c\r"});
        QCOMPARE(p.focus, std::string());
        QVERIFY(p.minimiseAfterSending);
    }

    // Every paper with every scale, as the table of values lists them.
    void drawsEveryPaperAndScale_data()
    {
        QTest::addColumn<QString>("paper");
        QTest::addColumn<QString>("scale");
        QTest::addColumn<QString>("row");
        const char *papers[] = {"Option1", "Option2", "Option3"};
        const char *scales[] = {"Option4", "Option5", "Option6", "Option7", "Option8", "Option9"};
        // Ho Wo origin s Hi Wi, paper by paper, scale by scale.
        const char *rows[] = {
            "59400 84100 2000,1500 100 56400 80600", "29700 42050 1000,750 50 28200 40300",
            "17820 25230 600,450 30 16920 24180",    "11880 16820 400,300 20 11280 16120",
            "5940 8410 200,150 10 5640 8060",        "118800 168200 4000,3000 200 112800 161200",
            "42000 59400 2000,1500 100 39000 55900", "21000 29700 1000,750 50 19500 27950",
            "12600 17820 600,450 30 11700 16770",    "8400 11880 400,300 20 7800 11180",
            "4200 5940 200,150 10 3900 5590",        "84000 118800 4000,3000 200 78000 111800",
            "29700 42000 2000,1500 100 26700 38500", "14850 21000 1000,750 50 13350 19250",
            "8910 12600 600,450 30 8010 11550",      "5940 8400 400,300 20 5340 7700",
            "2970 4200 200,150 10 2670 3850",        "59400 84000 4000,3000 200 53400 77000",
        };
        int i = 0;
        for (const char *paper : papers)
            for (const char *scale : scales) {
                const QString name = QString("%1 %2").arg(paper, scale);
                QTest::newRow(name.toUtf8()) << paper << scale << rows[i++];
            }
    }
    void drawsEveryPaperAndScale()
    {
        QFETCH(QString, paper);
        QFETCH(QString, scale);
        QFETCH(QString, row);
        const QStringList v = row.split(' ');
        const QString expected =
            QString("PLINE 0,0 w 0  @0,%1 @%2,0 @0,-%1 c  %3 w %4  @0,%5 @%6,0 @0,-%5 c\r")
                .arg(v[0], v[1], v[2], v[3], v[4], v[5]);
        const auto p =
            press(zumenwaku(), "Command1", {{paper.toStdString(), "1"}, {scale.toStdString(), "1"}});
        QCOMPARE(QString::fromStdString(harness::scripts(p).at(0)), expected);
    }

    void rejectsAMissingChoice_data()
    {
        QTest::addColumn<QString>("cleared");
        QTest::addColumn<QString>("message");
        QTest::newRow("paper") << "Option3"
                               << "図面サイズを指示して下さい。";
        QTest::newRow("scale") << "Option4"
                               << "縮尺を指定して下さい。";
        QTest::newRow("both: paper first") << "Option3,Option4"
                                           << "図面サイズを指示して下さい。";
    }
    void rejectsAMissingChoice()
    {
        QFETCH(QString, cleared);
        QFETCH(QString, message);
        FormState s = zumenwaku().initialState();
        for (const QString &name : cleared.split(','))
            s.setChecked(name.toStdString(), false);
        const auto p = quendra::press(zumenwaku(), s, "Command1");
        QCOMPARE(harness::messages(p), std::vector<std::string>{message.toStdString()});
        QVERIFY(harness::scripts(p).empty());
        QVERIFY(!p.minimiseAfterSending);
    }

    // No base point: Command1 draws and Enter presses it.
    void drawIsTheDefaultButton()
    {
        const FormDefinition &f = zumenwaku();
        QCOMPARE(f.buttons.size(), size_t(3));
        QCOMPARE(f.button("Command1")->role, Button::Role::Draw);
        QVERIFY(f.button("Command1")->isDefault);
        QVERIFY(f.button("Command4")->isCancel);
    }
};

QTEST_GUILESS_MAIN(TestZumenwaku)
#include "TestZumenwaku.moc"
