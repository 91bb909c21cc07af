#include "cli/QuendraScript.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run
{
    int code;
    std::string out;
    std::string err;
};

Run run(const std::vector<std::string> &args)
{
    Run r{};
    r.code = quendra::runQuendraScript(args, r.out, r.err);
    return r;
}

} // namespace

class TestQuendraScript : public QObject
{
    Q_OBJECT

private slots:
    void printsEventsAsJson()
    {
        const Run r = run({"fix100", "Command2", "Combo1=700"});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out,
                 std::string("{\"form\": \"fix100\", \"button\": \"Command2\", \"events\": [{\"execute\": "
                             "\"LINE @0,50 @800,0   @0,-100 @-800,0   @50,100 @0,-100   @700,0 @0,100   "
                             "@0,-50 @-700,0 \\r\"}]}\n"));
    }

    void printsMessagesWithIconAndTitle()
    {
        const Run r = run({"fix100", "Command2", "Combo2=45"});
        QCOMPARE(r.out,
                 std::string("{\"form\": \"fix100\", \"button\": \"Command2\", \"events\": [{\"message\": "
                             "{\"text\": \"正しい角度を入力して下さい。\", \"icon\": \"exclamation\", "
                             "\"title\": \"Quendra_LT\"}}]}\n"));
        const Run plain = run({"syuuryou", "Command3"});
        QVERIFY(plain.out.find("\"icon\": \"none\", \"title\": \"Quendra_LT for Windows95\"") !=
                std::string::npos);
    }

    void servesTheExitDialog()
    {
        QCOMPARE(run({"syuuryou", "Command1"}).out,
                 std::string("{\"form\": \"syuuryou\", \"button\": \"Command1\", \"events\": [{\"execute\": "
                             "\"EXIT \"}]}\n"));
        QVERIFY(run({"--list"}).out.find("syuuryou Command1") != std::string::npos);
    }

    void refusesWhatItCannotPress()
    {
        QCOMPARE(run({"nosuchform", "Command1"}).code, 2);
        QCOMPARE(run({"fix100", "Command9"}).code, 2);
        QCOMPARE(run({"fix100", "Command2", "Combo7=1"}).code, 2);
        QCOMPARE(run({"fix100", "Command2", "Combo1"}).code, 2);
        QCOMPARE(run({}).code, 2);
    }

    void writesAScrFileWithLineEnds()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("fix.scr");
        QProcess p;
        p.start(QStringLiteral(QUENDRA_BIN_DIR "/quendra-script"), {"fix100", "Command1", "--scr", path});
        QVERIFY(p.waitForFinished());
        QCOMPARE(p.exitCode(), 0);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("ID\n"));
        QCOMPARE(run({"fix100", "Command2", "--scr", "/nonexistent-folder/x.scr"}).code, 1);
    }
};

QTEST_GUILESS_MAIN(TestQuendraScript)
#include "TestQuendraScript.moc"
