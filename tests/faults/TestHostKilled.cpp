// The real quendra-host --headless killed while the FIX window's dialog draws, or between the
// LINE and the ARC of a swing door's draw: the dialog shows the link message and lives on, and
// once a host is back the next draw reaches it whole. What each host drew is saved by a SAVE of
// the test's own and read back.

#include "cad/dxf/Dxf.h"
#include "cad/model/Describe.h"
#include "dialogs/MessageService.h"
#include "dialogs/SymbolDialog.h"
#include "symbols/Forms.h"
#include "tests/faults/FaultSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <functional>
#include <thread>

using namespace quendra;
using namespace std::chrono_literals;

namespace {

class NowhereToGo : public Navigator
{
public:
    void showMainWindow() override {}
    void showExitDialog() override {}
    bool endProgram() override { return true; }
};

// A headless host that picks (1000, 2000) for every ID and writes `out` on SAVE.
class Host
{
public:
    explicit Host(const QString &out)
    {
        QStringList args{"--headless", "--out", out};
        for (int i = 0; i < 8; ++i)
            args << "--pick"
                 << "1000,2000";
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QStringLiteral(QUENDRA_BIN_DIR "/quendra-host"), args);
    }
    ~Host()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    // A conversation of the test's own once the host listens.
    std::unique_ptr<CadLink> link()
    {
        auto l = std::make_unique<CadLink>(makeSocketTransport(5000ms));
        for (int i = 0; i < 200; ++i) {
            if (l->open(cadService, cadTopic) == LinkError::None) return l;
            QTest::qWait(25);
        }
        return nullptr;
    }
    qint64 pid() const { return process_.processId(); }
    void terminate() { process_.terminate(); }
    bool waitForEnd(int ms) { return process_.waitForFinished(ms); }
    bool waitForEnd() { return process_.waitForFinished(10000); }

private:
    QProcess process_;
};

// The FIX window of width 500 at angle 0, drawn at the picked (1000, 2000).
const std::vector<std::string> fixAt1000 = {"L 1000,2050 1600,2050", "L 1600,1950 1000,1950",
                                            "L 1050,2050 1050,1950", "L 1550,1950 1550,2050",
                                            "L 1550,2000 1050,2000"};

// The socket transport, with the host killed just before a script that begins with `before`
// goes out: what came earlier in the same draw has been answered.
class KillingTransport final : public LinkTransport
{
public:
    KillingTransport(std::string before, std::function<void()> kill)
        : real_(makeSocketTransport(5000ms)), before_(std::move(before)), kill_(std::move(kill))
    {
    }
    LinkError open(const std::string &service, const std::string &topic) override
    {
        return real_->open(service, topic);
    }
    LinkError execute(const std::string &script) override
    {
        if (script.rfind(before_, 0) == 0) kill_();
        return real_->execute(script);
    }
    void close() override { real_->close(); }
    bool isOpen() const override { return real_->isOpen(); }
    std::optional<bool> hostIdle() override { return real_->hostIdle(); }
    bool readsSymbols() override { return real_->readsSymbols(); }

private:
    std::unique_ptr<LinkTransport> real_;
    std::string before_;
    std::function<void()> kill_;
};

std::vector<std::string> savedDrawing(CadLink &link, const QString &out)
{
    if (link.execute("SAVE ") != LinkError::None) return {"(SAVE not taken)"};
    std::vector<std::string> lines;
    for (int i = 0; i < 200 && lines.empty(); ++i) {
        QTest::qWait(25);
        const cad::DxfReadResult r = cad::readDxf(out.toStdString());
        if (r.ok) {
            cad::Drawing d;
            d.replace(r.drawing.entities());
            lines = cad::describe(d);
        }
    }
    return lines;
}

} // namespace

class TestHostKilled : public QObject
{
    Q_OBJECT

    std::vector<std::string> messagesOf(const MessageService &messages) const
    {
        std::vector<std::string> out;
        for (const auto &r : messages.history())
            out.push_back(r.message.text);
        return out;
    }

private slots:
    void killedInTheMiddleOfADrawTwentyTimes()
    {
        QTemporaryDir dir;
        MessageService messages(false);
        NowhereToGo nowhere;
        AppContext context{messages, [] { return makeSocketTransport(5000ms); }, nowhere};
        auto host = std::make_unique<Host>(dir.filePath("host0.dxf"));
        auto mine = host->link();
        QVERIFY(mine);
        SymbolDialog dialog(*findForm("fix100"), context);
        dialog.show();
        std::vector<std::string> expectedMessages;

        for (int cycle = 1; cycle <= 20; ++cycle) {
            // The draw after the host is back (the first one, too) goes through without a word.
            const QString out = dir.filePath(QStringLiteral("host%1.dxf").arg(cycle - 1));
            dialog.pressButton("Command1");
            dialog.pressButton("Command2");
            QCOMPARE(messagesOf(messages), expectedMessages);
            QCOMPARE(savedDrawing(*mine, out), fixAt1000);

            // The base point is taken; then the host freezes, and dies while the draw waits for
            // its answer.
            dialog.pressButton("Command1");
            QCOMPARE(messagesOf(messages), expectedMessages);
            const qint64 pid = host->pid();
            ::kill(pid, SIGSTOP);
            std::thread killer([pid] {
                std::this_thread::sleep_for(300ms);
                ::kill(pid, SIGKILL);
            });
            dialog.pressButton("Command2");
            killer.join();
            QVERIFY(host->waitForEnd());
            expectedMessages.push_back(describe(LinkError::HostGone));
            QCOMPARE(messagesOf(messages), expectedMessages);
            QVERIFY(!dialog.isMinimized());

            host = std::make_unique<Host>(dir.filePath(QStringLiteral("host%1.dxf").arg(cycle)));
            mine = host->link();
            QVERIFY(mine);
        }
        dialog.pressButton("Command1");
        dialog.pressButton("Command2");
        QCOMPARE(messagesOf(messages), expectedMessages);
        QCOMPARE(savedDrawing(*mine, dir.filePath("host20.dxf")), fixAt1000);
    }

    // A swing door is drawn as a LINE script, then an ARC script. The host dies after the LINE
    // was answered and before the ARC goes out (at once, or once it has drawn the lines): the
    // dialog says so once, and the next host takes the whole door.
    void killedBetweenTheScriptsOfADraw()
    {
        QTemporaryDir dir;
        MessageService messages(false);
        NowhereToGo nowhere;
        std::unique_ptr<Host> host;
        bool armed = false;
        int pause = 0;
        const auto kill = [&] {
            if (!armed) return;
            armed = false;
            QThread::msleep(static_cast<unsigned long>(pause));
            ::kill(static_cast<pid_t>(host->pid()), SIGKILL);
            host->waitForEnd();
        };
        AppContext context{messages, [&] { return std::make_unique<KillingTransport>("ARC ", kill); },
                           nowhere};
        host = std::make_unique<Host>(dir.filePath("whole.dxf"));
        auto mine = host->link();
        QVERIFY(mine);
        SymbolDialog dialog(*findForm("katabirakito100"), context);
        dialog.show();
        dialog.pressButton("Command1");
        dialog.pressButton("Command2");
        const std::vector<std::string> door = savedDrawing(*mine, dir.filePath("whole.dxf"));
        QVERIFY(door.size() > 5);
        QVERIFY(door.back().rfind("A ", 0) == 0);

        std::vector<std::string> expectedMessages;
        for (int cycle = 0; cycle < 6; ++cycle) {
            dialog.pressButton("Command1");
            armed = true;
            pause = cycle % 2 ? 50 : 0;
            dialog.pressButton("Command2");
            QVERIFY(!armed);
            expectedMessages.push_back(describe(LinkError::HostGone));
            QCOMPARE(messagesOf(messages), expectedMessages);
            QVERIFY(!dialog.isMinimized());

            const QString out = dir.filePath(QStringLiteral("again%1.dxf").arg(cycle));
            host = std::make_unique<Host>(out);
            mine = host->link();
            QVERIFY(mine);
            dialog.pressButton("Command1");
            dialog.pressButton("Command2");
            QCOMPARE(messagesOf(messages), expectedMessages);
            QCOMPARE(savedDrawing(*mine, out), door);
        }
    }

    // A host that died while the dialog stood idle and is back when the user draws: nothing
    // to report, the draw reaches the new host.
    void killedWhileIdleAndBackBeforeTheNextDraw()
    {
        QTemporaryDir dir;
        MessageService messages(false);
        NowhereToGo nowhere;
        AppContext context{messages, [] { return makeSocketTransport(5000ms); }, nowhere};
        auto host = std::make_unique<Host>(dir.filePath("first.dxf"));
        QVERIFY(host->link());
        SymbolDialog dialog(*findForm("fix100"), context);
        dialog.show();
        dialog.pressButton("Command1");
        dialog.pressButton("Command2");
        for (int cycle = 0; cycle < 3; ++cycle) {
            ::kill(host->pid(), SIGKILL);
            QVERIFY(host->waitForEnd());
            const QString out = dir.filePath(QStringLiteral("back%1.dxf").arg(cycle));
            host = std::make_unique<Host>(out);
            auto mine = host->link();
            QVERIFY(mine);
            dialog.pressButton("Command1");
            dialog.pressButton("Command2");
            QCOMPARE(messagesOf(messages), std::vector<std::string>{});
            QCOMPARE(savedDrawing(*mine, out), fixAt1000);
        }
    }

    // SIGTERM while the window shows that FILE cannot be opened ends the program: the message
    // is shown from the event loop, where the quit reaches it.
    void sigtermWhileTheStartUpMessageIsShown()
    {
        QTemporaryDir dir;
        const QString junk = dir.filePath("junk.dxf");
        QVERIFY(faults::writeAll(junk, "no drawing\n"));
        const QString run = dir.filePath("run");
        QVERIFY(QDir().mkdir(run));
        QFile::setPermissions(run, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QProcess window;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("QUENDRA_RUNTIME_DIR", run);
        window.setProcessEnvironment(env);
        window.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        window.start(QStringLiteral(QUENDRA_BIN_DIR "/quendra-host"), {junk});
        QVERIFY(window.waitForStarted());
        QTest::qWait(1500); // the message is up by now
        QCOMPARE(window.state(), QProcess::Running);
        window.terminate();
        const bool ended = window.waitForFinished(5000);
        if (!ended) {
            window.kill();
            window.waitForFinished();
        }
        QVERIFY(ended);
    }

    // SCRIPT self.scr inside self.scr, sent by any conversation: the host keeps serving its
    // events, so SIGTERM ends it within a second and what was drawn is written.
    void aScriptThatCallsItselfEndsOnSigterm()
    {
        QTemporaryDir dir;
        const QString script = dir.filePath("self.scr");
        QFile f(script);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("LINE 0,0 1,1 \nSCRIPT %1\n").arg(script).toUtf8());
        f.close();
        const QString out = dir.filePath("self.dxf");
        Host host(out);
        auto mine = host.link();
        QVERIFY(mine);
        QCOMPARE(mine->execute(QStringLiteral("SCRIPT %1\r").arg(script).toStdString()), LinkError::None);
        QTest::qWait(500);
        auto other = host.link(); // still answering
        QVERIFY(other);
        QCOMPARE(other->execute("CIRCLE 0,0 1 "), LinkError::None);
        host.terminate();
        QVERIFY(host.waitForEnd(1000));
        const cad::DxfReadResult r = cad::readDxf(out.toStdString());
        QVERIFY(r.ok);
        QVERIFY(r.drawing.entities().size() > 10);
    }
};

QTEST_MAIN(TestHostKilled)
#include "TestHostKilled.moc"
