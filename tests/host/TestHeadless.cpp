// The real quendra-host, started headless, served over the real socket by the assistant's own
// CadLink; the DXF it writes is read back by ezdxf.

#include "link/CadLink.h"
#include "link/FrameCodec.h"
#include "link/SymbolFrame.h"
#include "rules/ButtonPress.h"
#include "symbols/detail50/hikitigai50.h"
#include "symbols/plan100/fix100.h"
#include "symbols/plan100/katabirakito100.h"
#include "symbols/plan100/ryouhiraki100.h"

#include <QDir>
#include <QLocalSocket>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>

namespace {

const QString host = QStringLiteral(QUENDRA_BIN_DIR "/quendra-host");

QStringList ezdxf(const QString &mode, const QString &path)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(QUENDRA_SOURCE_DIR "/tests/cad/dxf_tool.py"), mode, path});
    if (!python.waitForFinished(60000) || python.exitCode() != 0)
        return {QString::fromUtf8(python.readAllStandardError())};
    return QString::fromUtf8(python.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

QStringList ezdxfDump(const QString &path)
{
    return ezdxf(QStringLiteral("dump"), path);
}

std::unique_ptr<quendra::CadLink> openLink(const std::string &service = quendra::cadService,
                                           const std::string &topic = quendra::cadTopic)
{
    auto l =
        std::make_unique<quendra::CadLink>(quendra::makeSocketTransport(std::chrono::milliseconds(5000)));
    // The host needs a moment to start listening.
    for (int i = 0; i < 100; ++i) {
        if (l->open(service, topic) == quendra::LinkError::None) return l;
        QThread::msleep(50);
    }
    return nullptr;
}

// A symbol drawn as the assistant draws it: the real scripts of the form pressed with these inputs,
// in symbol frames, from the next picked point.
bool drawSymbol(quendra::CadLink &l, const quendra::FormDefinition &form, const char *caption,
                std::vector<std::pair<std::string, std::string>> inputs)
{
    // The dialog's state: an option is set by checking it, which clears the other.
    quendra::FormState state = form.initialState();
    bool sent = true;
    for (const auto &[control, value] : inputs)
        sent = sent && (value == "0" || quendra::setInput(form, state, control, value));
    const quendra::SymbolFrame begin{quendra::SymbolFrame::Kind::Begin, form.name, caption, true, inputs, {}};
    sent = sent && l.execute("ID\r") == quendra::LinkError::None &&
           l.execute(quendra::encodeSymbolFrame(begin)) == quendra::LinkError::None;
    for (const std::string &script : quendra::press(form, state, "Command2").outcome.scripts())
        sent = sent && l.execute(script) == quendra::LinkError::None;
    return sent &&
           l.execute(quendra::encodeSymbolFrame({quendra::SymbolFrame::Kind::End, {}, {}, false, {}, {}})) ==
               quendra::LinkError::None;
}

// A headless host for one test; ended (and waited for) when it goes out of scope.
class Host
{
public:
    explicit Host(QStringList arguments)
    {
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(host, QStringList{QStringLiteral("--headless")} + arguments);
    }
    ~Host()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    bool finished(int ms = 10000) { return process_.waitForFinished(ms); }
    int exitCode() const { return process_.exitCode(); }
    void terminate() { process_.terminate(); }
    QProcess &process() { return process_; }

private:
    QProcess process_;
};

} // namespace

class TestHeadless : public QObject
{
    Q_OBJECT

private slots:
    void drawsThePickedWindowAndWritesOnExit()
    {
        QTemporaryDir dir;
        const QString out = dir.filePath("drawing.dxf");
        Host h({"--pick", "1000,2000", "--out", out});
        auto l = openLink();
        QVERIFY(l);
        QCOMPARE(l->execute("ID\r"), quendra::LinkError::None);
        QCOMPARE(l->execute("LINE @0,50 @600,0   @0,-100 @-600,0   @50,100 @0,-100   @500,0 @0,100   @0,-50 "
                            "@-500,0 \r"),
                 quendra::LinkError::None);
        QCOMPARE(l->execute("DTEXT j m @0,0 250 0 ＋1000\r\r"), quendra::LinkError::None);
        QCOMPARE(l->execute("EXIT "), quendra::LinkError::None);
        QVERIFY(h.finished());
        QCOMPARE(h.exitCode(), 0);
        QCOMPARE(ezdxfDump(out),
                 (QStringList{"version AC1015", "errors 0", "L 1000,2050 1600,2050", "L 1600,1950 1000,1950",
                              "L 1050,2050 1050,1950", "L 1550,1950 1550,2050", "L 1550,2000 1050,2000",
                              "T 1050,2000 250 0 ＋1000"}));
    }

    // The assistant draws three symbols; one U takes back the last whole (five entities, two
    // commands), a wrong door is erased by a window and the window symbol moved by a crossing.
    void editsAndOneUndoPerSymbol()
    {
        QTemporaryDir dir;
        const QString out = dir.filePath("edited.dxf");
        Host h({"--pick", "0,0", "--pick", "2000,0", "--pick", "5000,0", "--out", out});
        auto l = openLink();
        QVERIFY(l);
        // A window: a wall stretch and a sash line, two LINEs in one execute.
        QCOMPARE(l->execute("ID\r"), quendra::LinkError::None);
        QCOMPARE(l->execute("LINE @0,50 @600,0 \r\r@0,-100 @600,0 \r"), quendra::LinkError::None);
        // A door: its leaf and its swing.
        QCOMPARE(l->execute("ID\r"), quendra::LinkError::None);
        QCOMPARE(l->execute("LINE @0,0 @0,800 \rARC c @0,-800 @800,0 @0,800 "), quendra::LinkError::None);
        // A column: four lines and a circle.
        QCOMPARE(l->execute("ID\r"), quendra::LinkError::None);
        QCOMPARE(l->execute("LINE @0,0 @300,0 @0,300 @-300,0 c CIRCLE @150,150 20 "),
                 quendra::LinkError::None);
        // The column goes with one U.
        QCOMPARE(l->execute("U "), quendra::LinkError::None);
        // The door was wrong: erase it by a window round it; move the window by 10,-50.
        QCOMPARE(l->execute("ERASE 1990,-10 2900,900 \r"), quendra::LinkError::None);
        QCOMPARE(l->execute("MOVE C 610,60 -10,-60 \r0,0 10,-50 "), quendra::LinkError::None);
        QCOMPARE(l->execute("EXIT "), quendra::LinkError::None);
        QVERIFY(h.finished());
        QCOMPARE(ezdxfDump(out),
                 (QStringList{"version AC1015", "errors 0", "L 10,0 610,0", "L 610,-100 1210,-100"}));
        // ezdxf sees the file whole after the erasures: nothing dangling, nothing left of the door.
    }

    // Windows and a door drawn as the assistant draws them: the real scripts of the forms, in
    // symbol frames. SCHEDULE lists them and draws the table; --schedule writes the CSV at the end.
    void scheduleCountsTheFittings()
    {
        QTemporaryDir dir;
        const QString out = dir.filePath("plan.dxf");
        const QString csv = dir.filePath("建具表.csv");
        Host h({"--pick", "0,0", "--pick", "3000,0", "--pick", "6000,0", "--pick", "9000,0", "--pick",
                "12000,0", "--pick", "15000,0", "--out", out, "--schedule", csv});
        auto l = openLink();
        QVERIFY(l && l->hostReadsSymbols());
        const auto draw = [&l](const quendra::FormDefinition &form, const char *caption,
                               std::vector<std::pair<std::string, std::string>> inputs) {
            return drawSymbol(*l, form, caption, std::move(inputs));
        };
        QVERIFY(draw(quendra::fix100(), "ＦＩＸ窓", {{"Combo1", "1000"}, {"Combo2", "0"}}));
        QVERIFY(draw(quendra::katabirakito100(), "片開キ戸",
                     {{"Combo1", "800"}, {"Combo2", "90"}, {"Option1", "0"}, {"Option2", "1"}}));
        QVERIFY(draw(quendra::fix100(), "ＦＩＸ窓", {{"Combo1", "600"}, {"Combo2", "0"}}));
        QVERIFY(draw(quendra::fix100(), "ＦＩＸ窓", {{"Combo1", " 1000"}, {"Combo2", "0"}}));
        // Two leaves add up to W; a 1:50 window names its frame depth and finish.
        QVERIFY(draw(quendra::ryouhiraki100(), "両開キ戸",
                     {{"Combo1", "800"}, {"Combo3", "600"}, {"Combo2", "0"}}));
        QVERIFY(draw(quendra::hikitigai50(), "引違イ窓",
                     {{"Combo1", "1700"}, {"Combo3", "70"}, {"Text1", "20"}, {"Combo2", "180"}}));
        QCOMPARE(l->execute("SCHEDULE 0,-2000 "), quendra::LinkError::None);
        QCOMPARE(l->execute("EXIT "), quendra::LinkError::None);
        QVERIFY(h.finished());
        QCOMPARE(h.exitCode(), 0);

        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        // Bytes as written: UTF-8 behind a byte order mark, for a spreadsheet to read the Japanese.
        QCOMPARE(file.readAll(), QByteArray("\xEF\xBB\xBF") +
                                     QStringLiteral("名称,縮尺,W寸法,その他の寸法,吊元,角度,数量\r\n"
                                                    "ＦＩＸ窓,1/100,600,,,0,1\r\n"
                                                    "ＦＩＸ窓,1/100,1000,,,0,2\r\n"
                                                    "片開キ戸,1/100,800,,右,90,1\r\n"
                                                    "両開キ戸,1/100,1400,W寸法 800、W寸法 600,,0,1\r\n"
                                                    "引違イ窓,1/50,1700,枠見込 70、外壁仕上厚 20,,180,1\r\n")
                                         .toUtf8());
        // The table drawn at 0,-2000: a header and five rows of texts in their cells.
        const QStringList dxf = ezdxfDump(out);
        QVERIFY(dxf.contains(QStringLiteral("T 1200,-2300 200 0 名称")));
        QVERIFY(dxf.contains(QStringLiteral("T 1200,-3500 200 0 ＦＩＸ窓")));
        QVERIFY(dxf.contains(QStringLiteral("T 12050,-4100 200 0 1")));
    }

    // Saved, each symbol is a GROUP ezdxf reads with its form and inputs; reopened, the host knows
    // them again: a pick on one line of a window moves all of it, and the schedule counts them.
    void symbolsComeBackWhenReopened()
    {
        QTemporaryDir dir;
        const QString plan = dir.filePath("plan.dxf");
        {
            Host h({"--pick", "0,0", "--pick", "3000,0", "--pick", "6000,0", "--out", plan});
            auto l = openLink();
            QVERIFY(l && l->hostReadsSymbols());
            QVERIFY(drawSymbol(*l, quendra::fix100(), "ＦＩＸ窓", {{"Combo1", "1000"}, {"Combo2", "0"}}));
            QVERIFY(drawSymbol(*l, quendra::fix100(), "ＦＩＸ窓", {{"Combo1", "1000"}, {"Combo2", "0"}}));
            QVERIFY(drawSymbol(*l, quendra::katabirakito100(), "片開キ戸",
                               {{"Combo1", "800"}, {"Combo2", "90"}, {"Option1", "0"}, {"Option2", "1"}}));
            QCOMPARE(l->execute("EXIT "), quendra::LinkError::None);
            QVERIFY(h.finished());
        }
        const QStringList groups = ezdxf(QStringLiteral("groups"), plan);
        QCOMPARE(groups.filter(QRegularExpression("^\\*A")).size(), 3);
        QCOMPARE(groups.filter(QRegularExpression("^  1000 (fix100|katabirakito100)$")),
                 (QStringList{"  1000 fix100", "  1000 fix100", "  1000 katabirakito100"}));
        QCOMPARE(groups.count("  1000 Combo1"), 3);

        const QString moved = dir.filePath("moved.dxf");
        const QString csv = dir.filePath("建具表.csv");
        Host h({plan, "--out", moved, "--schedule", csv});
        auto l = openLink();
        QVERIFY(l);
        QCOMPARE(l->execute("MOVE 3500,0 \r0,0 0,5000 "), quendra::LinkError::None);
        QCOMPARE(l->execute("EXIT "), quendra::LinkError::None);
        QVERIFY(h.finished());
        QCOMPARE(h.exitCode(), 0);
        // The second window whole (its five lines, one of them picked), and nothing else, 5000 up.
        const QStringList before = ezdxfDump(plan), after = ezdxfDump(moved);
        QCOMPARE(after.size(), before.size());
        QStringList up;
        for (const QString &line : after)
            if (!before.contains(line)) up << line;
        QCOMPARE(up, (QStringList{"L 3000,5050 4100,5050", "L 4100,4950 3000,4950", "L 3050,5050 3050,4950",
                                  "L 4050,4950 4050,5050", "L 4050,5000 3050,5000"}));
        // Still three groups, the moved window's with its base point moved.
        const QStringList movedGroups = ezdxf(QStringLiteral("groups"), moved);
        QCOMPARE(movedGroups.filter(QRegularExpression("^\\*A")).size(), 3);
        QVERIFY(movedGroups.contains("  1010 3000,5000"));
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(),
                 QByteArray("\xEF\xBB\xBF") + QStringLiteral("名称,縮尺,W寸法,その他の寸法,吊元,角度,数量\r\n"
                                                             "ＦＩＸ窓,1/100,1000,,,0,2\r\n"
                                                             "片開キ戸,1/100,800,,右,90,1\r\n")
                                                  .toUtf8());
    }

    // Executes of several conversations form one queue; a held ID waits for the next --pick.
    void manyConversationsOneQueue()
    {
        QTemporaryDir dir;
        const QString out = dir.filePath("two.dxf");
        Host h(
            {"--pick", "0,0", "--pick", "100,100", "--color", "3", "--out", out, "--serve", "Other|Topic"});
        auto first = openLink();
        auto second = openLink("Other", "Topic");
        QVERIFY(first && second);
        QCOMPARE(first->execute("ID\r"), quendra::LinkError::None);
        QCOMPARE(second->execute("LINE @0,0 @10,0 \r"), quendra::LinkError::None);
        QCOMPARE(first->execute("ID\rDDCOLOR CIRCLE @0,0 5 "), quendra::LinkError::None);
        QCOMPARE(second->execute("EXIT "), quendra::LinkError::None);
        QVERIFY(h.finished());
        QCOMPARE(ezdxfDump(out), (QStringList{"version AC1015", "errors 0", "L 0,0 10,0", "C 100,100 5 #3"}));
    }

    // Without --color, DDCOLOR keeps the colour; SAVE writes --out and the host goes on.
    void saveWritesAndColourStays()
    {
        QTemporaryDir dir;
        const QString out = dir.filePath("saved.dxf");
        Host h({"--out", out});
        auto l = openLink();
        QVERIFY(l);
        QCOMPARE(l->execute("DDCOLOR LINE 0,0 1,0 \rSAVE "), quendra::LinkError::None);
        QCOMPARE(l->execute("CIRCLE 0,0 1 "), quendra::LinkError::None); // answered, so SAVE is done
        QCOMPARE(ezdxfDump(out), (QStringList{"version AC1015", "errors 0", "L 0,0 1,0"}));
        QCOMPARE(l->execute("EXIT "), quendra::LinkError::None);
        QVERIFY(h.finished());
        QCOMPARE(ezdxfDump(out), (QStringList{"version AC1015", "errors 0", "L 0,0 1,0", "C 0,0 1"}));
    }

    void sigtermWritesTheDrawing()
    {
        QTemporaryDir dir;
        const QString out = dir.filePath("term.dxf");
        Host h({"--out", out});
        auto l = openLink();
        QVERIFY(l);
        QCOMPARE(l->execute("PLINE 0,0 w 10  100,0 100,100 c "), quendra::LinkError::None);
        h.terminate();
        QVERIFY(h.finished());
        QCOMPARE(ezdxfDump(out),
                 (QStringList{"version AC1015", "errors 0", "P 0,0 100,0 100,100 w 10/10 closed"}));
    }

    // A batch run that ends after its replays takes no socket: it runs beside a host that serves.
    void replaysAndExits()
    {
        Host serving({});
        QVERIFY(openLink());
        QTemporaryDir dir;
        const QString script = dir.filePath("a.scr");
        QFile f(script);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("ID\r\nCIRCLE @0,0 7\r\nLINE 1,1 2,2\r\n\r\n");
        f.close();
        const QString out = dir.filePath("replay.dxf");
        Host h({"--pick", "5,5", "--replay", script, "--exit-after-replay", "--out", out});
        QVERIFY(h.finished());
        QCOMPARE(h.exitCode(), 0);
        QCOMPARE(ezdxfDump(out), (QStringList{"version AC1015", "errors 0", "C 5,5 7", "L 1,1 2,2"}));
    }

    // A broken frame ends its own conversation; the host and the other conversations go on.
    void brokenFramesEndOnlyTheirConversation_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("oversized") << QByteArray("\x7f\xff\xff\xff", 4);
        QTest::newRow("not UTF-8") << QByteArray("\x00\x00\x00\x02\xff\xfe", 6);
        QTest::newRow("cut inside a character") << QByteArray("\x00\x00\x00\x02\xe3\x81", 6);
        QTest::newRow("a UTF-16 surrogate") << QByteArray("\x00\x00\x00\x03\xed\xa0\x80", 7);
    }

    void brokenFramesEndOnlyTheirConversation()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString out = dir.filePath("ok.dxf");
        Host h({"--out", out});
        auto good = openLink();
        QVERIFY(good);
        QLocalSocket bad;
        bad.connectToServer(
            QString::fromStdString(quendra::socketPath(quendra::cadService, quendra::cadTopic)));
        QVERIFY(bad.waitForConnected(5000));
        bad.write(bytes);
        bad.flush();
        QVERIFY(bad.state() == QLocalSocket::UnconnectedState || bad.waitForDisconnected(5000));
        QCOMPARE(good->execute("LINE 0,0 3,4 \r"), quendra::LinkError::None);
        QCOMPARE(good->execute("EXIT "), quendra::LinkError::None);
        QVERIFY(h.finished());
        QCOMPARE(ezdxfDump(out), (QStringList{"version AC1015", "errors 0", "L 0,0 3,4"}));
    }

    // Headless, an Escape frame stops a script that calls itself, as the Escape key does in the
    // window; an --out that cannot be written is said once, not at every try.
    void anEscapeFrameStopsAScriptAndAFailedOutIsSaidOnce()
    {
        QTemporaryDir dir;
        const QString script = dir.filePath("loop.scr");
        QFile f(script);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("CIRCLE 0,0 1\nSAVE\nSCRIPT %1\n").arg(script).toUtf8());
        f.close();
        QProcess h;
        h.start(host, {"--headless", "--replay", script, "--out", dir.filePath("none/out.dxf")});
        auto l = openLink();
        QVERIFY(l);
        QTest::qWait(200);
        QCOMPARE(l->execute("\x1b"), quendra::LinkError::None);
        QCOMPARE(l->execute("EXIT "), quendra::LinkError::None);
        const bool ended = h.waitForFinished(10000);
        if (!ended) h.kill();
        QVERIFY(ended);
        QCOMPARE(h.exitCode(), 1);
        const QString said = QString::fromLocal8Bit(h.readAllStandardError());
        QCOMPARE(said.count(QStringLiteral("ファイルを作成できません")), 1);
    }

    void secondHostOnTheSameSocketIsRefused()
    {
        Host first({});
        auto l = openLink();
        QVERIFY(l);
        Host second({});
        QVERIFY(second.finished());
        QCOMPARE(second.exitCode(), 3);
        QCOMPARE(l->execute("EXIT "), quendra::LinkError::None);
        QVERIFY(first.finished());
    }

    void badArgumentsAreExplained()
    {
        Host h({"--pick", "a,b"});
        QVERIFY(h.finished());
        QCOMPARE(h.exitCode(), 2);
    }

    // FILE is opened as the window opens it: what is drawn adds to it. A FILE that cannot be
    // read ends the host with a word, and the file is left as it was.
    void opensTheFileItIsGivenOrRefuses()
    {
        QTemporaryDir dir;
        const QString plan = dir.filePath("plan.dxf");
        {
            Host first({"--out", plan});
            auto l = openLink();
            QVERIFY(l);
            QCOMPARE(l->execute("CIRCLE 0,0 1 EXIT "), quendra::LinkError::None);
            QVERIFY(first.finished());
        }
        const QString script = dir.filePath("a.scr");
        QFile f(script);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("LINE 1,1 2,2\r\n\r\n");
        f.close();
        {
            Host h({plan, "--replay", script, "--exit-after-replay", "--out", plan});
            QVERIFY(h.finished());
            QCOMPARE(h.exitCode(), 0);
        }
        QCOMPARE(ezdxfDump(plan), (QStringList{"version AC1015", "errors 0", "C 0,0 1", "L 1,1 2,2"}));

        const QString junk = dir.filePath("junk.dxf");
        QFile j(junk);
        QVERIFY(j.open(QIODevice::WriteOnly));
        j.write("this is no drawing\n");
        j.close();
        Host h({junk, "--replay", script, "--exit-after-replay", "--out", junk});
        h.process().setReadChannel(QProcess::StandardError);
        QVERIFY(h.finished());
        QCOMPARE(h.exitCode(), 2);
        QFile again(junk);
        QVERIFY(again.open(QIODevice::ReadOnly));
        QCOMPARE(again.readAll(), QByteArray("this is no drawing\n"));
    }
};

QTEST_GUILESS_MAIN(TestHeadless)
#include "TestHeadless.moc"
