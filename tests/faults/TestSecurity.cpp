// The host's socket takes conversations of its own user only; programs are started without a
// shell, their paths and arguments passed as they are, never pasted into a command line.

#include "app/StartupDialog.h"
#include "app/platform/Platform.h"
#include "cad/dxf/Dxf.h"
#include "cad/model/Describe.h"
#include "link/FrameCodec.h"
#include "tests/app/AppHarness.h"
#include "tests/faults/FaultSupport.h"

#include <QDirIterator>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QThread>

#include <cerrno>
#include <chrono>
#include <grp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>

using namespace quendra;
using namespace std::chrono_literals;

namespace {

constexpr uid_t nobody = 65534;

// How the other user's attempt ended, as the exit code of its process.
enum Attempt { Refused = 0, Answered = 10, CouldNotConnect = 20, CouldNotBecomeNobody = 30 };

// In a child process that has become `nobody`: connects to the socket at `path`, sends one
// frame and waits for an answer. Only system calls, as after a fork nothing else is safe.
[[noreturn]] void attemptAsNobody(const char *path, const std::string &frame)
{
    if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0 ||
        ::getuid() != nobody)
        ::_exit(CouldNotBecomeNobody);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path, sizeof address.sun_path - 1);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
        ::_exit(CouldNotConnect);
    (void)::send(fd, frame.data(), frame.size(), MSG_NOSIGNAL);
    pollfd wait{fd, POLLIN, 0};
    if (::poll(&wait, 1, 5000) <= 0)
        ::_exit(Answered); // still open after five seconds: the host did not turn it away
    char byte = 0;
    ::_exit(::read(fd, &byte, 1) > 0 ? Answered : Refused);
}

std::unique_ptr<CadLink> linkToHost()
{
    auto l = std::make_unique<CadLink>(makeSocketTransport(5000ms));
    for (int i = 0; i < 200; ++i) {
        if (l->open(cadService, cadTopic) == LinkError::None) return l;
        QThread::msleep(25);
    }
    return nullptr;
}

// A shell script that writes its arguments, one a line, into `marker`.
QString argumentWriter(const QString &path, const QString &marker)
{
    faults::writeAll(path, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" +
                               marker.toUtf8() + ".part'\nmv '" + marker.toUtf8() + ".part' '" +
                               marker.toUtf8() + "'\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

// Shell words that would leave a file behind, were a shell to read them.
const QString injections =
    QStringLiteral("a;touch injected1;$(touch injected2)`touch injected3`|touch injected4&");

} // namespace

class TestSecurity : public QObject
{
    Q_OBJECT

private slots:
    void anotherUserIsTurnedAway()
    {
        if (::geteuid() != 0)
            QSKIP(
                "needs root to act as a second user (nobody); the peer check runs for every user regardless");
        // A runtime folder the other user may pass through, and a socket it may open: only the
        // host's check of who is calling stands in the way.
        QTemporaryDir runtime(QDir::tempPath() + "/quendra-peer-XXXXXX");
        qputenv("QUENDRA_RUNTIME_DIR", runtime.path().toUtf8());
        QTemporaryDir dir;
        const QString out = dir.filePath("peer.dxf");
        QProcess host;
        host.setProcessChannelMode(QProcess::ForwardedChannels);
        host.start(QStringLiteral(QUENDRA_BIN_DIR "/quendra-host"), {"--headless", "--out", out});
        auto mine = linkToHost();
        QVERIFY(mine);
        const std::string path = socketPath(cadService, cadTopic);
        QVERIFY(::chmod(runtime.path().toUtf8().constData(), 0711) == 0);
        QVERIFY(::chmod(path.c_str(), 0777) == 0);

        const std::string frame = encodeFrame("LINE 0,0 66,66 \r");
        const pid_t child = ::fork();
        if (child == 0) attemptAsNobody(path.c_str(), frame);
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        if (WEXITSTATUS(status) == CouldNotBecomeNobody) QSKIP("this system does not let root act as nobody");
        QCOMPARE(WEXITSTATUS(status), int(Refused));

        QCOMPARE(mine->execute("LINE 0,0 1,1 \r"), LinkError::None);
        QCOMPARE(mine->execute("EXIT "), LinkError::None);
        QVERIFY(host.waitForFinished(10000));
        const cad::DxfReadResult r = cad::readDxf(out.toStdString());
        QVERIFY2(r.ok, r.error.c_str());
        cad::Drawing d;
        d.replace(r.drawing.entities());
        QCOMPARE(cad::describe(d), std::vector<std::string>{"L 0,0 1,1"});
        qunsetenv("QUENDRA_RUNTIME_DIR");
    }

    // The CAD host chosen at start-up: a file whose name is full of shell words starts as
    // itself, and nothing of its name is run.
    void theChosenHostStartsWithoutAShell()
    {
        Shell s;
        const QString marker = s.dir.filePath("started");
        const QString program = argumentWriter(s.dir.filePath(injections), marker);
        const QString before = QDir::currentPath();
        QDir::setCurrent(s.dir.path());
        s.desktop.queueAnswer(program);
        s.app.start();
        s.app.startupDialog().findChild<QPushButton *>("Command1")->click();
        QTRY_VERIFY(QFile::exists(marker));
        QDir::setCurrent(before);
        QCOMPARE(faults::readAll(marker), QByteArray());
        QCOMPARE(QDir(s.dir.path()).entryList({"injected*"}, QDir::Files), QStringList{});
        QCOMPARE(s.messageTexts(), std::vector<std::string>{});
    }

    void argumentsReachTheProgramAsTheyAre()
    {
        QTemporaryDir dir;
        const QString marker = dir.filePath("arguments");
        const QString program = argumentWriter(dir.filePath("viewer"), marker);
        const QStringList arguments{injections, "two words", "\"quoted\" 'and' \\back", "-x",
                                    "日本語のパス.txt"};
        const QString before = QDir::currentPath();
        QDir::setCurrent(dir.path());
        QVERIFY(platform::startProgram(program, arguments));
        QTRY_VERIFY(QFile::exists(marker));
        QDir::setCurrent(before);
        QCOMPARE(QString::fromUtf8(faults::readAll(marker)), arguments.join('\n') + '\n');
        QCOMPARE(QDir(dir.path()).entryList({"injected*"}, QDir::Files), QStringList{});
    }

    // No source of the programs reaches for a shell or splits a command line of its own.
    void noShellAnywhere_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::newRow("system()") << R"((^|[^\w:]|std::|[^\w]::)system\s*\()";
        QTest::newRow("popen()") << R"(\bpopen\s*\()";
        QTest::newRow("exec*()") << R"(\bexec(l|lp|le|v|vp|vpe)\s*\()";
        QTest::newRow("a shell by name") << R"("(/bin/)?(ba)?sh"|cmd\.exe)";
        QTest::newRow("QProcess::startCommand") << R"((\.|->)startCommand\s*\()";
        QTest::newRow("ShellExecute, WinExec") << R"(\b(ShellExecute\w*|WinExec)\s*\()";
    }

    void noShellAnywhere()
    {
        QFETCH(QString, pattern);
        const QRegularExpression re(pattern);
        QStringList hits;
        for (const char *folder : {"app", "cad", "cli", "host", "link", "symbols", "tools"}) {
            QDirIterator it(QStringLiteral(QUENDRA_SOURCE_DIR "/") + folder, {"*.cpp", "*.h"}, QDir::Files,
                            QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString file = it.next();
                const QStringList lines = QString::fromUtf8(faults::readAll(file)).split('\n');
                for (qsizetype i = 0; i < lines.size(); ++i)
                    if (re.match(lines[i]).hasMatch())
                        hits << QStringLiteral("%1:%2: %3").arg(file).arg(i + 1).arg(lines[i].trimmed());
            }
        }
        QVERIFY2(hits.isEmpty(), qPrintable(hits.join('\n')));
    }
};

QTEST_MAIN(TestSecurity)
#include "TestSecurity.moc"
