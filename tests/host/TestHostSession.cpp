// The session between the input and the program: requests, scripts, files.

#include "cad/model/Describe.h"
#include "host/session/HostOptions.h"
#include "host/session/HostSession.h"
#include "link/SymbolFrame.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace host;

class TestHostSession : public QObject
{
    Q_OBJECT

private slots:
    void scriptRequestRunsTheFileBeforeWhatFollows()
    {
        QTemporaryDir dir;
        QFile f(dir.filePath("two words.scr"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("LINE 0,0 1,0\r\n\r\n");
        f.close();
        HostSession s;
        s.enqueue(QStringLiteral("SCRIPT %1\rCIRCLE 0,0 2 ").arg(f.fileName()).toStdString(),
                  QStringLiteral("会話 1"));
        QTRY_COMPARE(cad::describe(s.drawing()), (std::vector<std::string>{"L 0,0 1,0", "C 0,0 2"}));
    }

    // SCRIPT self.scr inside self.scr: the script replaces itself and runs from the event loop,
    // a slice at a time, so timers still fire, Escape stops it and the queue then goes on; while
    // it runs, what waits counts against the queue limit.
    void aScriptThatCallsItselfStaysInterruptible()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("self.scr");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("LINE 0,0 1,1 \nSCRIPT %1\n").arg(path).toUtf8());
        f.close();
        HostSession s;
        s.enqueue(QStringLiteral("SCRIPT %1\rCIRCLE 0,0 2 ").arg(path).toStdString(), {});
        QVERIFY(s.scriptRunning());
        bool timerFired = false;
        QTimer::singleShot(50, &s, [&] { timerFired = true; });
        QTRY_VERIFY(timerFired);
        QTRY_VERIFY(s.drawing().entities().size() > 10); // slow under the sanitizers
        QVERIFY(s.interpreter().queued() < 1000);        // no growth
        QString reason;
        QVERIFY(!s.accepts(HostSession::maxQueued - 10, &reason));
        s.cancel();
        QVERIFY(!s.scriptRunning());
        const std::size_t drawn = s.drawing().entities().size();
        QCOMPARE(cad::describe(s.drawing()).back(), std::string("C 0,0 2"));
        QTest::qWait(20);
        QCOMPARE(s.drawing().entities().size(), drawn);
    }

    // The record every server keeps of its conversations in the session (sockets, DDE): what an
    // ended one left unfinished is cancelled only when its input came last, also when a server
    // queues an execute after it answered and the client has gone meanwhile (DDE); a save is
    // answered once it ran, with the reason when it failed.
    void conversationsOfEveryServerAreRecordedOnce()
    {
        HostSession s;
        Conversations &c = s.conversations();
        const int socket = c.begin(), dde = c.begin();
        QVERIFY(socket != dde);
        QString reason;
        QCOMPARE(c.admit("LINE 0,0 10,0 20,0 ", &reason), Conversations::Answer::Now);
        c.queue(socket, "LINE 0,0 10,0 20,0 ", QStringLiteral("会話 1"));
        c.end(dde);
        QCOMPARE(s.interpreter().commandName(), std::string("LINE")); // another's line goes on
        c.end(socket);
        QCOMPARE(s.interpreter().commandName(), std::string());
        QCOMPARE(s.drawing().size(), std::size_t(2));

        const int late = c.begin();
        QCOMPARE(c.admit("CIRCLE 0,0 5 LINE 0,0 1,1 ", &reason), Conversations::Answer::Now);
        c.end(late);
        c.queue(late, "CIRCLE 0,0 5 LINE 0,0 1,1 ", QStringLiteral("DDE"));
        QCOMPARE(s.interpreter().commandName(), std::string());
        QCOMPARE(s.drawing().size(), std::size_t(4));

        QSignalSpy answered(&c, &Conversations::saveAnswered);
        connect(&s, &HostSession::saveWanted, &s, [&s] { s.resume(); }); // no name given
        const int saving = c.begin();
        QCOMPARE(c.admit("LINE 0,0 1,1 \rSAVE ", &reason), Conversations::Answer::AfterSave);
        c.queue(saving, "LINE 0,0 1,1 \rSAVE ", QStringLiteral("DDE"));
        QTRY_COMPARE(answered.count(), 1);
        QCOMPARE(answered.at(0).at(0).toInt(), saving);
        QVERIFY(!answered.at(0).at(1).toString().isEmpty());
        QVERIFY(!c.awaitingSave(saving));
    }

    // A symbol's scripts run whole: another conversation's input waits for its end, in order.
    // One whose conversation ends or falls silent is taken back whole, and the rest of it is
    // not drawn loose. A symbol frame is answered at once, whatever its inputs say.
    void symbolsAreWholeAcrossConversations()
    {
        using quendra::SymbolFrame;
        const std::string begin = quendra::encodeSymbolFrame({SymbolFrame::Kind::Begin,
                                                              "katabirakito100",
                                                              "片開キ戸",
                                                              true,
                                                              {{"Combo1", "800"}, {"Text1", "SAVE"}},
                                                              {}});
        const std::string end = quendra::encodeSymbolFrame({SymbolFrame::Kind::End, {}, {}, false, {}, {}});
        HostSession s;
        Conversations &c = s.conversations();
        QString reason;
        QCOMPARE(c.admit(begin, &reason), Conversations::Answer::Now);
        QCOMPARE(c.admit("\x05SYMBOL 1 BEGIN\ncaption\tx", &reason), Conversations::Answer::Refused);
        QCOMPARE(reason, QStringLiteral("図形の情報を読めません。"));

        const int a = c.begin(), b = c.begin();
        c.queue(a, "ID\r", QStringLiteral("会話 1"));
        s.pick({100, 100});
        c.queue(a, begin, QStringLiteral("会話 1"));
        c.queue(a, "LINE @0,0 @0,-80 \r", QStringLiteral("会話 1"));
        c.queue(b, "LINE 0,0 10,0 \r", QStringLiteral("会話 2"));
        QCOMPARE(s.drawing().size(), std::size_t(1));
        QVERIFY(c.waitingBytes() > 0);
        // A save that waits keeps its conversation's later frames waiting for its answer.
        QSignalSpy answered(&c, &Conversations::saveAnswered);
        connect(&s, &HostSession::saveWanted, &s, [&s] { s.resume(); });
        c.queue(b, "SAVE ", QStringLiteral("会話 2"));
        QVERIFY(c.awaitingSave(b));
        QTest::qWait(20);
        QCOMPARE(answered.count(), 0);
        c.queue(a, "ARC c @0,80 @80,0 @0,80 ", QStringLiteral("会話 1"));
        c.queue(a, end, QStringLiteral("会話 1"));
        QTRY_COMPARE(answered.count(), 1);
        QVERIFY(!c.awaitingSave(b));
        QCOMPARE(cad::describe(s.drawing()),
                 (std::vector<std::string>{"L 100,100 100,20", "A 100,100 80 0..90", "L 0,0 10,0"}));
        QCOMPARE(c.waitingBytes(), std::size_t(0));
        QCOMPARE(s.drawing().symbol(s.drawing().symbolOf(0)).base->x, 100.0);
        s.type("U U ");
        QVERIFY(s.drawing().empty());
        QCOMPARE(s.interpreter().transcript().back(), std::string("元に戻す: 片開キ戸"));

        c.queue(a, begin, QStringLiteral("会話 1"));
        c.queue(a, "LINE 0,0 0,-80 \r", QStringLiteral("会話 1"));
        c.queue(b, "CIRCLE 0,0 5 ", QStringLiteral("会話 2"));
        c.end(a);
        QCOMPARE(cad::describe(s.drawing()), (std::vector<std::string>{"C 0,0 5"}));
        const auto said = [&s](const char *line) {
            const auto &history = s.interpreter().transcript();
            return std::find(history.begin(), history.end(), line) != history.end();
        };
        QVERIFY(said("会話 1 が終わったため、作図途中の「片開キ戸」を取り消しました。"));

        // Symbols of conversations that ended while they waited: a whole one is drawn whole, one
        // cut short is taken back at once.
        const int e = c.begin(), f = c.begin();
        c.queue(a, begin, QStringLiteral("会話 1"));
        c.queue(e, begin, QStringLiteral("会話 4"));
        c.queue(e, "LINE 20,0 20,-80 \r", QStringLiteral("会話 4"));
        c.queue(e, end, QStringLiteral("会話 4"));
        c.queue(f, begin, QStringLiteral("会話 5"));
        c.queue(f, "LINE 30,0 30,-80 \r", QStringLiteral("会話 5"));
        c.end(e);
        c.end(f);
        c.queue(a, end, QStringLiteral("会話 1"));
        QCOMPARE(cad::describe(s.drawing()), (std::vector<std::string>{"C 0,0 5", "L 20,0 20,-80"}));
        QVERIFY(s.drawing().symbolOf(1) != 0);
        QVERIFY(said("会話 5 が終わったため、作図途中の「片開キ戸」を取り消しました。"));
        QCOMPARE(c.waitingBytes(), std::size_t(0));

        const int d = c.begin();
        c.setSymbolStall(50);
        c.queue(d, begin, QStringLiteral("会話 3"));
        c.queue(d, "LINE 0,0 0,-80 \r", QStringLiteral("会話 3"));
        c.queue(b, "CIRCLE 0,0 7 ", QStringLiteral("会話 2"));
        QTRY_COMPARE(cad::describe(s.drawing()),
                     (std::vector<std::string>{"C 0,0 5", "L 20,0 20,-80", "C 0,0 7"}));
        c.queue(d, "ARC c @0,80 @80,0 @0,80 ", QStringLiteral("会話 3"));
        c.queue(d, end, QStringLiteral("会話 3"));
        QCOMPARE(s.drawing().size(), std::size_t(3));
        QVERIFY(said("会話 3 の「片開キ戸」は続きが届かないため、取り消しました。"));
    }

    void missingScriptIsAMessage()
    {
        HostSession s;
        QSignalSpy history(&s, &HostSession::historyAdded);
        s.enqueue("SCRIPT /nonexistent/x.scr\rLINE 0,0 1,1 \r", {});
        QCOMPARE(s.drawing().entities().size(), size_t(1));
        bool said = false;
        for (const auto &args : history)
            said = said || args.at(0).toStringList().join('\n').contains(QStringLiteral("開けません"));
        QVERIFY(said);
    }

    void exitWaitsForTheProgram()
    {
        HostSession s;
        QSignalSpy exit(&s, &HostSession::exitWanted);
        s.enqueue("EXIT LINE 0,0 1,1 \r", {});
        QCOMPARE(exit.count(), 1);
        QVERIFY(s.drawing().entities().empty());
        s.resume(); // the user cancelled
        QCOMPARE(s.drawing().entities().size(), size_t(1));
    }

    // A program that answers at once (headless) must not make a long script nest deeper.
    void answersInsideSignalsDoNotNest()
    {
        HostSession s;
        int picks = 0;
        connect(&s, &HostSession::pickWanted, &s, [&] { s.pick({double(++picks), 0}); });
        connect(&s, &HostSession::saveWanted, &s, [&](bool) { s.resume(); });
        std::string script;
        for (int i = 0; i < 20000; ++i)
            script += "ID\rSAVE ZOOM E ";
        script += "LINE @0,0 @1,0 \r";
        s.enqueue(script, {});
        QCOMPARE(picks, 20000);
        QCOMPARE(cad::describe(s.drawing()), (std::vector<std::string>{"L 20000,0 20001,0"}));
    }

    void refusesWhenExitingOrFlooded()
    {
        HostSession s;
        QString reason;
        QVERIFY(s.accepts(100, &reason));
        QVERIFY(!s.accepts(HostSession::maxQueued + 1, &reason));
        QVERIFY(!reason.isEmpty());
        s.setExiting(true);
        QVERIFY(!s.accepts(1, &reason));
    }

    void options_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("expected");
        QTest::newRow("headless with everything")
            << QStringList{"--headless", "--out",      "a.dxf",  "--pick",
                           "1000,2000",  "--pick",     "-5,0.5", "--color",
                           "3",          "--replay",   "x.scr",  "--exit-after-replay",
                           "--serve",    "Other|Topic"}
            << "headless out=a.dxf picks=1000,2000;-5,0.5; color=3 replays=x.scr exit served=2";
        QTest::newRow("headless batch")
            << QStringList{"--headless", "--replay", "x.scr", "--exit-after-replay"}
            << "headless out= picks= color=- replays=x.scr exit served=0";
        QTest::newRow("window with a file")
            << QStringList{"plan.dxf"} << "window out= picks= color=- replays= served=1 open=plan.dxf";
        QTest::newRow("walls off, headless or not")
            << QStringList{"--headless", "--wall-openings", "OFF"}
            << "headless out= picks= color=- replays= served=1 walls=off";
        QTest::newRow("walls on") << QStringList{"--wall-openings", "on"}
                                  << "window out= picks= color=- replays= served=1";
        QTest::newRow("walls neither") << QStringList{"--wall-openings", "1"} << "error";
        QTest::newRow("relative pick") << QStringList{"--pick", "@1,2"} << "error";
        QTest::newRow("pick that is no point") << QStringList{"--pick", "a,b"} << "error";
        QTest::newRow("colour out of range") << QStringList{"--color", "257"} << "error";
        QTest::newRow("serve without a bar") << QStringList{"--serve", "Other"} << "error";
        QTest::newRow("two files") << QStringList{"a.dxf", "b.dxf"} << "error";
        // The window would ignore them.
        QTest::newRow("window with --out") << QStringList{"--out", "a.dxf"} << "error";
        QTest::newRow("window with --pick") << QStringList{"--pick", "1,2"} << "error";
        QTest::newRow("window with --exit-after-replay") << QStringList{"--exit-after-replay"} << "error";
        QTest::newRow("unknown option") << QStringList{"--frobnicate"} << "error";
    }

    void options()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, expected);
        HostOptions o;
        QString message;
        if (!HostOptions::parse(QStringList{"quendra-host"} + arguments, o, &message)) {
            QVERIFY(!message.isEmpty());
            QCOMPARE(QStringLiteral("error"), expected);
            return;
        }
        QString picks;
        for (const cad::Point &p : o.picks)
            picks += QStringLiteral("%1,%2;").arg(p.x).arg(p.y);
        QString got = QStringLiteral("%1 out=%2 picks=%3 color=%4 replays=%5%6 served=%7")
                          .arg(o.headless ? "headless" : "window", o.out, picks,
                               o.color ? QString::number(*o.color) : QStringLiteral("-"), o.replays.join(','),
                               o.exitAfterReplay ? " exit" : "")
                          .arg(o.served.size());
        if (!o.open.isEmpty()) got += QStringLiteral(" open=%1").arg(o.open);
        if (!o.wallOpenings) got += QStringLiteral(" walls=off");
        QCOMPARE(got, expected);
        if (o.served.empty()) return;
        QCOMPARE(o.served.front().first, QStringLiteral("AutoCAD LT.DDE"));
        QCOMPARE(o.served.front().second, QStringLiteral("System"));
    }

    void saveAndOpenKeepTheDrawing()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.dxf");
        HostSession s;
        s.type(QStringLiteral("CIRCLE 1,2 3 "));
        QVERIFY(s.modified());
        QString error;
        QVERIFY(s.save(path, &error));
        QVERIFY(!s.modified());
        HostSession t;
        QVERIFY(t.open(path, &error));
        QCOMPARE(cad::describe(t.drawing()), (std::vector<std::string>{"C 1,2 3"}));
        QCOMPARE(t.fileName(), path);
        QVERIFY(!t.open(dir.filePath("missing.dxf"), &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(t.drawing().entities().size(), size_t(1));
    }

    // A file opened in the background: input waits for its drawing and then runs in order; a
    // save meanwhile writes the file as it is; a file cut short is said, with its recovery.
    void openedInTheBackground()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("plan.dxf"), copy = dir.filePath("copy.dxf");
        {
            HostSession s;
            s.type(QStringLiteral("LINE 0,0 10,0 \nCIRCLE 5,5 2 "));
            QString error;
            QVERIFY(s.save(path, &error));
        }
        HostSession s;
        QSignalSpy opened(&s, &HostSession::opened), failed(&s, &HostSession::openFailed);
        QString error;
        QVERIFY(s.openInBackground(path, &error));
        s.type(QStringLiteral("ERASE L \n"));
        const std::uint64_t end = (s.enqueue("CIRCLE 20,20 1\r", QStringLiteral("会話 1")), s.fed());
        QVERIFY(s.save(copy, &error));
        QVERIFY(opened.wait(10000) || opened.size() == 1);
        QCOMPARE(failed.size(), 0);
        QVERIFY(s.carriedOut(end));
        QCOMPARE(cad::describe(s.drawing()), (std::vector<std::string>{"L 0,0 10,0", "C 20,20 1"}));
        QCOMPARE(s.fileName(), QFileInfo(copy).absoluteFilePath());
        QFile a(path), b(copy);
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        QCOMPARE(b.readAll(), a.readAll());
        // Cut short: said, recoverable, and the drawing open before is back as it was.
        a.seek(0);
        const QByteArray whole = a.readAll();
        QFile cut(dir.filePath("cut.dxf"));
        QVERIFY(cut.open(QIODevice::WriteOnly));
        cut.write(whole.left(whole.indexOf("CIRCLE")));
        cut.close();
        QVERIFY(s.openInBackground(cut.fileName(), &error));
        QVERIFY(failed.wait(10000) || failed.size() == 1);
        QVERIFY(failed.at(0).at(1).toBool());
        QCOMPARE(s.fileName(), QFileInfo(copy).absoluteFilePath());
        QCOMPARE(cad::describe(s.drawing()), (std::vector<std::string>{"L 0,0 10,0", "C 20,20 1"}));
        QVERIFY(s.modified());
        s.undo(); // its history came back with it
        QCOMPARE(cad::describe(s.drawing()), (std::vector<std::string>{"L 0,0 10,0"}));
        QVERIFY(!s.openInBackground(dir.filePath("missing.dxf"), &error));
        QVERIFY(!error.isEmpty());
    }

    // A layer name the file's code page cannot hold would be saved as escapes other programs
    // refuse: it is refused when the layer is made, typed or from the panel.
    void layerNamesFitTheFilesCodePage()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("latin.dxf");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n9\n$DWGCODEPAGE\n3\nANSI_1252\n"
                "0\nENDSEC\n0\nSECTION\n2\nENTITIES\n0\nENDSEC\n0\nEOF\n");
        f.close();
        const QString door = QStringLiteral("ドア");
        HostSession s;
        QString error;
        QVERIFY(s.open(path, &error));
        QSignalSpy history(&s, &HostSession::historyAdded);
        s.type(QStringLiteral("-LAYER M %1\n\n-LAYER N %1,Détail\n\n").arg(door));
        QVERIFY(!s.drawing().findLayer(door.toStdString()));
        QVERIFY(s.drawing().findLayer("Détail")); // in ANSI_1252
        QString said;
        for (const auto &args : history)
            said += args.at(0).toStringList().join('\n');
        QCOMPARE(said.count(QStringLiteral("この図面の文字コード (ANSI_1252) では保存できません")), 2);
        QVERIFY(!s.makeLayer(door, &error));
        QVERIFY(error.contains(QStringLiteral("ANSI_1252")));
        // A new drawing is written in Shift-JIS.
        s.newDrawing();
        QVERIFY(s.makeLayer(door, &error));
        QVERIFY(!s.makeLayer(QStringLiteral("Détail"), &error));
    }
};

QTEST_GUILESS_MAIN(TestHostSession)
#include "TestHostSession.moc"
