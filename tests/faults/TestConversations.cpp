// Conversations that go wrong, against the host's own server and session over real sockets: a
// broken one ends alone, the others and the drawing go on. Built without widgets, so the
// sanitizer run sees the server's bookkeeping too.

#include "cad/model/Describe.h"
#include "host/session/CommandServer.h"
#include "host/session/HostSession.h"
#include "link/CadLink.h"
#include "link/FrameCodec.h"
#include "link/SymbolFrame.h"
#include "tests/faults/FaultSupport.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <csignal>
#include <cstring>
#include <memory>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace host;
using quendra::encodeFrame;

namespace {

QByteArray frame(const std::string &payload)
{
    const std::string f = encodeFrame(payload);
    return QByteArray(f.data(), static_cast<qsizetype>(f.size()));
}

QByteArray randomBytes(int count, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray out(count, '\0');
    for (char &c : out)
        c = static_cast<char>(random.bounded(256));
    out[0] = '\xa5'; // a length no frame may have
    return out;
}

// A host without a window: its session and its server, listening where the assistant looks.
struct Host
{
    Host()
    {
        QString error;
        listening = server.listen(QString::fromUtf8(quendra::cadService),
                                  QString::fromUtf8(quendra::cadTopic), &error);
    }
    std::vector<std::string> drawing() const { return cad::describe(session.drawing()); }

    HostSession session;
    CommandServer server{session};
    bool listening = false;
};

std::unique_ptr<QLocalSocket> connectClient()
{
    auto s = std::make_unique<QLocalSocket>();
    s->connectToServer(QString::fromStdString(quendra::socketPath(quendra::cadService, quendra::cadTopic)));
    return s->waitForConnected(5000) ? std::move(s) : nullptr;
}

// Waits for `count` answers of the host, the event loop running meanwhile.
std::vector<std::string> answers(QLocalSocket &client, std::size_t count)
{
    quendra::FrameDecoder replies;
    std::vector<std::string> out;
    std::string answer;
    for (int i = 0; i < 500 && out.size() < count; ++i) {
        QTest::qWait(10);
        const QByteArray bytes = client.readAll();
        replies.feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        while (out.size() < count && replies.next(answer) == quendra::FrameDecoder::Status::Frame)
            out.push_back(answer);
    }
    return out;
}

// Sends one frame and waits for the host's answer.
std::string execute(QLocalSocket &client, const std::string &script)
{
    client.write(frame(script));
    const std::vector<std::string> got = answers(client, 1);
    return got.empty() ? "(no answer)" : got.front();
}

} // namespace

class TestConversations : public QObject
{
    Q_OBJECT

private slots:
    // What a broken conversation sends; whether it hangs up afterwards; whether the host must
    // end it on its own; what of it may be drawn.
    void aBrokenConversationEndsAlone_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("hangUp");
        QTest::addColumn<bool>("hostEndsIt");
        QTest::addColumn<QStringList>("drawn");
        QTest::newRow("a web request")
            << QByteArray("GET / HTTP/1.1\r\nHost: localhost\r\n\r\n") << false << true << QStringList{};
        QTest::newRow("random bytes") << randomBytes(4096, 7) << false << true << QStringList{};
        QTest::newRow("a good frame, then one that is not UTF-8")
            << frame("LINE 0,0 9,0 \r") + frame("\xc3\x28") << false << true << QStringList{"L 0,0 9,0"};
        QTest::newRow("cut off, then the sender leaves")
            << frame("LINE 0,0 5,5 \r").left(10) << true << false << QStringList{};
        QTest::newRow("a length with no end in sight")
            << QByteArray("\x03\xff\xff\xff", 4) + QByteArray(1000, 'x') << false << false << QStringList{};
        QTest::newRow("an empty frame") << frame("") << false << false << QStringList{};
    }

    void aBrokenConversationEndsAlone()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, hangUp);
        QFETCH(bool, hostEndsIt);
        QFETCH(QStringList, drawn);
        Host host;
        QVERIFY(host.listening);
        auto good = connectClient();
        auto bad = connectClient();
        QVERIFY(good && bad);
        QTRY_COMPARE(host.server.conversations(), 2);

        bad->write(bytes);
        bad->flush();
        if (hangUp) bad->disconnectFromServer();
        if (hostEndsIt || hangUp) QTRY_COMPARE(host.server.conversations(), 1);

        QCOMPARE(execute(*good, "LINE 0,0 3,4 \r"), std::string("OK"));
        QCOMPARE(execute(*good, "CIRCLE 1,1 2 "), std::string("OK"));
        std::vector<std::string> expected;
        for (const QString &line : drawn)
            expected.push_back(line.toStdString());
        expected.insert(expected.end(), {"L 0,0 3,4", "C 1,1 2"});
        QCOMPARE(host.drawing(), expected);
        QCOMPARE(host.server.conversations(), hostEndsIt || hangUp ? 1 : 2);
    }

    // A command left unfinished by a conversation that ends is cancelled: the next
    // conversation's scripts start at the command prompt, not as more points of it.
    void whatAnEndedConversationLeftOpenIsCancelled()
    {
        Host host;
        QVERIFY(host.listening);
        {
            auto first = connectClient();
            QVERIFY(first);
            QCOMPARE(execute(*first, "LINE 100,100 200,200 300,"), std::string("OK"));
            first->disconnectFromServer();
        }
        QTRY_COMPARE(host.server.conversations(), 0);
        auto next = connectClient();
        QVERIFY(next);
        QCOMPARE(execute(*next, "CIRCLE 0,0 5 "), std::string("OK"));
        QCOMPARE(execute(*next, "LINE 0,0 1,1 \r"), std::string("OK"));
        QCOMPARE(host.drawing(), (std::vector<std::string>{"L 100,100 200,200", "C 0,0 5", "L 0,0 1,1"}));
    }

    // An assistant that goes away in the middle of a door (killed between its LINE and its ARC):
    // what it drew of the door is taken back whole, and another conversation's input, which
    // waited meanwhile, is drawn. A symbol frame that does not read is refused.
    void aSymbolCutShortIsTakenBackWhole()
    {
        Host host;
        QVERIFY(host.listening);
        auto other = connectClient();
        QVERIFY(other);
        {
            auto door = connectClient();
            QVERIFY(door);
            QCOMPARE(execute(*door, quendra::symbolQuery), std::string(quendra::symbolAnswer));
            QCOMPARE(execute(*door, "\x05SYMBOL 1 BEGIN\nform"), std::string("NG 図形の情報を読めません。"));
            const quendra::SymbolFrame begin{
                quendra::SymbolFrame::Kind::Begin, "katabirakito100", "片開キ戸", false, {}, {}};
            QCOMPARE(execute(*door, quendra::encodeSymbolFrame(begin)), std::string("OK"));
            QCOMPARE(execute(*door, "LINE 0,0 0,-80 \r"), std::string("OK"));
            QCOMPARE(execute(*other, "CIRCLE 0,0 5 "), std::string("OK"));
            QCOMPARE(host.drawing(), (std::vector<std::string>{"L 0,0 0,-80"}));
            door->abort();
        }
        QTRY_COMPARE(host.drawing(), (std::vector<std::string>{"C 0,0 5"}));
        const auto &history = host.session.interpreter().transcript();
        QVERIFY(std::find(history.begin(), history.end(),
                          "会話 2 が終わったため、作図途中の「片開キ戸」を取り消しました。") !=
                history.end());
    }

    // The socket folder must be this user's alone: one another user made first (and could listen
    // in), or a link, is refused by host and client with a word; an own folder opened to
    // everyone is closed again. A host that runs as another user is not talked to.
    void aSocketFolderNotOursAloneIsRefused()
    {
        if (::geteuid() != 0) QSKIP("needs root to make folders and hosts of another user");
        const QByteArray saved = qgetenv("QUENDRA_RUNTIME_DIR");
        QTemporaryDir base;
        const auto useFolder = [](const QString &dir) { qputenv("QUENDRA_RUNTIME_DIR", dir.toUtf8()); };
        const auto refused = [] {
            HostSession session;
            CommandServer server(session);
            QString error;
            const bool listened = server.listen(QString::fromUtf8(quendra::cadService),
                                                QString::fromUtf8(quendra::cadTopic), &error);
            quendra::CadLink link(quendra::makeSocketTransport(std::chrono::milliseconds(500)));
            return !listened && !error.isEmpty() &&
                   link.open(quendra::cadService, quendra::cadTopic) == quendra::LinkError::NoHost;
        };

        const QString theirs = base.filePath("theirs");
        QVERIFY(::mkdir(QFile::encodeName(theirs).constData(), 0777) == 0);
        QVERIFY(::chmod(QFile::encodeName(theirs).constData(), 0777) == 0);
        QVERIFY(::chown(QFile::encodeName(theirs).constData(), 65534, 65534) == 0);
        useFolder(theirs);
        QVERIFY(refused());

        const QString real = base.filePath("real");
        QVERIFY(QDir().mkdir(real));
        QVERIFY(QFile::link(real, base.filePath("linked")));
        useFolder(base.filePath("linked"));
        QVERIFY(refused());

        const QString wide = base.filePath("wide");
        QVERIFY(::mkdir(QFile::encodeName(wide).constData(), 0700) == 0);
        QVERIFY(::chmod(QFile::encodeName(wide).constData(), 0777) == 0);
        useFolder(wide);
        {
            Host host;
            QVERIFY(host.listening);
            struct stat st
            {
            };
            QVERIFY(::stat(QFile::encodeName(wide).constData(), &st) == 0);
            QCOMPARE(st.st_mode & 0777, mode_t(0700));
        }

        // A host of another user in our folder: bound as us, listening as nobody.
        const std::string path = quendra::socketPath(quendra::cadService, quendra::cadTopic);
        ::unlink(path.c_str());
        int ready[2];
        QVERIFY(::pipe(ready) == 0);
        const pid_t child = ::fork();
        if (child == 0) {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
            if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
                ::chmod(path.c_str(), 0777) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0 ||
                ::listen(fd, 4) != 0)
                ::_exit(1);
            (void)!::write(ready[1], "r", 1);
            const int c = ::accept(fd, nullptr, nullptr);
            char buffer[256];
            while (c >= 0 && ::read(c, buffer, sizeof buffer) > 0)
                (void)!::write(c, "\0\0\0\2OK", 6);
            ::_exit(0);
        }
        char byte = 0;
        QCOMPARE(::read(ready[0], &byte, 1), ssize_t(1));
        quendra::CadLink link(quendra::makeSocketTransport(std::chrono::milliseconds(500)));
        const quendra::LinkError opened = link.open(quendra::cadService, quendra::cadTopic);
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        ::close(ready[0]);
        ::close(ready[1]);
        ::unlink(path.c_str());
        if (saved.isNull())
            qunsetenv("QUENDRA_RUNTIME_DIR");
        else
            qputenv("QUENDRA_RUNTIME_DIR", saved);
        QCOMPARE(opened, quendra::LinkError::NoHost);
    }

    // Unfinished frames are bounded over all conversations together, and a frame that stalls
    // ends its conversation; a good client is served throughout.
    void unfinishedFramesAreBoundedAndStalledOnesDropped()
    {
        Host host;
        QVERIFY(host.listening);
        host.server.setBounds(1 << 20, 400);
        auto good = connectClient();
        QVERIFY(good);
        const auto unfinished = [] {
            const std::string whole = encodeFrame(std::string(700 * 1024, 'x'));
            return QByteArray(whole.data(), static_cast<qsizetype>(whole.size() - 1));
        };
        auto first = connectClient();
        auto second = connectClient();
        QVERIFY(first && second);
        QTRY_COMPARE(host.server.conversations(), 3);
        first->write(unfinished());
        first->flush();
        QTest::qWait(100);
        QCOMPARE(host.server.conversations(), 3); // 700 KiB held: within the bound
        second->write(unfinished());
        second->flush();
        QTRY_COMPARE(host.server.conversations(), 2); // 1.4 MiB: the one beyond is ended
        QCOMPARE(execute(*good, "LINE 0,0 1,1 \r"), std::string("OK"));
        QTRY_COMPARE(host.server.conversations(), 1); // the first one's frame stalled
        QCOMPARE(first->state(), QLocalSocket::UnconnectedState);
        QCOMPARE(execute(*good, "CIRCLE 0,0 1 "), std::string("OK"));
        QCOMPARE(host.drawing(), (std::vector<std::string>{"L 0,0 1,1", "C 0,0 1"}));
    }

    // Connections left open up to the limit do not lock a good client out: the one that has
    // waited longest makes room, idle since it was last heard from or holding a frame half
    // received since its first byte.
    void idleConversationsMakeRoomForANewOne()
    {
        Host host;
        QVERIFY(host.listening);
        std::vector<std::unique_ptr<QLocalSocket>> idle;
        for (int i = 0; i < CommandServer::maxConversations; ++i) {
            idle.push_back(connectClient());
            QVERIFY(idle.back());
            QTRY_COMPARE(host.server.conversations(), i + 1);
        }
        idle[0]->write(frame("LINE 0,0 1,1 \r").left(6));
        idle[0]->flush();
        QTest::qWait(50);
        QCOMPARE(execute(*idle[2], "CIRCLE 0,0 1 "), std::string("OK"));

        auto good = connectClient();
        QVERIFY(good);
        QCOMPARE(execute(*good, "LINE 0,0 3,4 \r"), std::string("OK"));
        QCOMPARE(host.server.conversations(), CommandServer::maxConversations);
        QTRY_COMPARE(idle[1]->state(), QLocalSocket::UnconnectedState);
        QCOMPARE(idle[0]->state(), QLocalSocket::ConnectedState);
        QCOMPARE(idle[2]->state(), QLocalSocket::ConnectedState);
        QCOMPARE(host.drawing(), (std::vector<std::string>{"C 0,0 1", "L 0,0 3,4"}));

        // Every one holding a frame half sent, as a client that trickles its bytes does: the
        // oldest half frame makes room, and the newcomer is not the next to go.
        const QByteArray half = frame("LINE 0,0 1,1 \r").left(6);
        for (std::size_t i = 2; i < idle.size(); ++i)
            idle[i]->write(half);
        good->write(half);
        QTest::qWait(50);
        auto late = connectClient();
        QVERIFY(late);
        QCOMPARE(execute(*late, "CIRCLE 0,0 2 "), std::string("OK"));
        QTRY_COMPARE(idle[0]->state(), QLocalSocket::UnconnectedState);
        auto trickler = connectClient();
        QVERIFY(trickler);
        trickler->write(half);
        QCOMPARE(execute(*late, "CIRCLE 0,0 3 "), std::string("OK"));
        QTRY_COMPARE(idle[2]->state(), QLocalSocket::UnconnectedState);
        QCOMPARE(host.drawing(), (std::vector<std::string>{"C 0,0 1", "L 0,0 3,4", "C 0,0 2", "C 0,0 3"}));
    }

    // A client that sends many frames at once and leaves without reading a single answer: the
    // answers cannot be written, and the server must not trip over the conversation it ends.
    void aSenderThatLeavesWithoutReadingTheAnswers()
    {
        Host host;
        QVERIFY(host.listening);
        auto good = connectClient();
        QVERIFY(good);
        for (int round = 0; round < 20; ++round) {
            auto rude = connectClient();
            QVERIFY(rude);
            QTRY_COMPARE(host.server.conversations(), 2);
            QByteArray burst;
            for (int i = 0; i < 2000; ++i)
                burst += frame("CIRCLE 0,0 1 ");
            rude->write(burst);
            rude->flush();
            rude->abort();
            QTRY_COMPARE(host.server.conversations(), 1);
        }
        QCOMPARE(execute(*good, "LINE 0,0 3,4 \r"), std::string("OK"));
        QCOMPARE(host.drawing().back(), std::string("L 0,0 3,4"));
    }

    // A frame that saves is answered once the save is done, NG with the reason when it failed;
    // the same conversation's next frame (sent at once) is answered after it, in order.
    void aSaveIsAnsweredOnceDone()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("plans");
        QVERIFY(QDir().mkpath(folder));
        Host host;
        QVERIFY(host.listening);
        QString target = folder + "/plan.dxf";
        // As the window does it: from the event loop, after the frame was taken.
        QObject::connect(
            &host.session, &HostSession::saveWanted, &host.session,
            [&] {
                QString error;
                host.session.save(target, &error);
                host.session.resume();
            },
            Qt::QueuedConnection);
        auto client = connectClient();
        QVERIFY(client);
        QCOMPARE(execute(*client, "LINE 0,0 1,1 \rSAVE "), std::string("OK"));
        QVERIFY(QFile::exists(target));

        faults::ReadOnlyFolder lock(folder);
        if (!lock.effective()) QSKIP("chattr is not available to make a folder read-only for root");
        target = folder + "/other.dxf";
        client->write(frame("CIRCLE 0,0 1 _qsave ") + frame("CIRCLE 0,0 2 "));
        const std::vector<std::string> got = answers(*client, 2);
        QCOMPARE(got.size(), std::size_t(2));
        QVERIFY2(got[0].rfind("NG ファイルを作成できません", 0) == 0, got[0].c_str());
        QCOMPARE(got[1], std::string("OK"));
        QCOMPARE(host.drawing(), (std::vector<std::string>{"L 0,0 1,1", "C 0,0 1", "C 0,0 2"}));
        QCOMPARE(faults::filesIn(folder), QStringList{"plan.dxf"});
    }

    // A frame that saves, coming while a command is unfinished, is not taken as more input of
    // it: it is refused with the reason and the command goes on (and one whose own command takes
    // its save word is answered NG); one that begins with an Escape
    // ends the command itself and saves. A script the frame starts is part of it: a save that
    // fails there is that frame's NG.
    void aSaveNeverFeedsAnUnfinishedCommand()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath("plan.dxf");
        Host host;
        QVERIFY(host.listening);
        int writable = 1000; // saves that succeed
        QObject::connect(
            &host.session, &HostSession::saveWanted, &host.session,
            [&] {
                QString error;
                if (writable-- > 0) host.session.save(target, &error);
                host.session.resume();
            },
            Qt::QueuedConnection);
        auto client = connectClient();
        QVERIFY(client);
        const auto refused = [&](const std::string &unfinished, const char *command) {
            const std::string got = (execute(*client, unfinished), execute(*client, "SAVE\r"));
            return got.rfind("NG ", 0) == 0 && got.find(command) != std::string::npos &&
                   !QFile::exists(target);
        };
        // Its save word taken as input of the command the frame began: nothing written, no OK.
        const std::string eaten = execute(*client, "LINE 0,0 1,1 SAVE\r\r");
        QVERIFY2(eaten.rfind("NG ", 0) == 0 && !QFile::exists(target), eaten.c_str());
        QVERIFY(refused("LINE 0,0 ", "LINE"));
        QCOMPARE(execute(*client, "1,1 \r"), std::string("OK"));
        QVERIFY(refused("DTEXT j m 5,5 2 0 ", "DTEXT"));
        QCOMPARE(execute(*client, "abc\r\r"), std::string("OK"));
        QVERIFY(refused("-LAYER ", "LAYER"));
        QCOMPARE(execute(*client, "\x1b_SAVE "), std::string("OK"));
        QVERIFY(QFile::exists(target));
        QCOMPARE(host.drawing(), (std::vector<std::string>{"L 0,0 1,1", "L 0,0 1,1", "T 5,5 2 0 abc"}));

        const QString script = dir.filePath("save.scr");
        QVERIFY(faults::writeAll(script, "CIRCLE 0,0 3\nQSAVE\n"));
        writable = 1;
        QCOMPARE(execute(*client, QStringLiteral("QSAVE\rSCRIPT %1\r").arg(script).toStdString()),
                 std::string("NG 図面は保存されませんでした。"));
        QCOMPARE(host.drawing().back(), std::string("C 0,0 3"));
    }

    // The assistant brings its dialog back once the host is idle after an ID: while the drawing
    // is still being read, that ID waits, and the host is busy until the point is picked.
    void busyWhileAnIdWaitsForTheDrawing()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("large.dxf");
        QByteArray dxf = "0\nSECTION\n2\nENTITIES\n";
        for (int i = 0; i < 200000; ++i)
            dxf += "0\nLINE\n8\n0\n10\n" + QByteArray::number(i) + "\n20\n0\n11\n" + QByteArray::number(i) +
                   "\n21\n1\n";
        QVERIFY(faults::writeAll(path, dxf + "0\nENDSEC\n0\nEOF\n"));
        Host host;
        QVERIFY(host.listening);
        auto client = connectClient();
        QVERIFY(client);
        QString error;
        QVERIFY(host.session.openInBackground(path, &error));
        QCOMPARE(execute(*client, "ID\r"), std::string("OK"));
        QCOMPARE(execute(*client, quendra::stateQuery), std::string(quendra::busyAnswer));
        QTRY_VERIFY_WITH_TIMEOUT(!host.session.loading(), 30000);
        QCOMPARE(execute(*client, quendra::stateQuery), std::string(quendra::busyAnswer));
        host.session.pick({1, 2});
        QCOMPARE(execute(*client, quendra::stateQuery), std::string(quendra::idleAnswer));
    }

    // Refused frames (the host is ending) are answered NG; a sender gone by then is no trouble.
    void refusalsToASenderThatLeft()
    {
        Host host;
        QVERIFY(host.listening);
        host.session.setExiting(true);
        auto rude = connectClient();
        QVERIFY(rude);
        QTRY_COMPARE(host.server.conversations(), 1);
        QByteArray burst;
        for (int i = 0; i < 2000; ++i)
            burst += frame("LINE 0,0 1,1 \r");
        rude->write(burst);
        rude->flush();
        rude->abort();
        QTRY_COMPARE(host.server.conversations(), 0);
        QVERIFY(host.drawing().empty());
    }

    // Millions of tiny frames in one buffer are taken in one pass; taking each off the front of
    // the buffer in turn would move the rest every time and stall the host for minutes.
    void aFloodOfTinyFramesIsReadInOnePass()
    {
        const int count = 2'000'000;
        std::string flood;
        flood.reserve(std::size_t(count) * 5);
        for (int i = 0; i < count; ++i)
            flood += encodeFrame(i % 2 ? "" : " ");
        quendra::FrameDecoder decoder;
        decoder.feed(flood);
        std::string payload;
        int frames = 0;
        while (decoder.next(payload) == quendra::FrameDecoder::Status::Frame)
            ++frames;
        QCOMPARE(frames, count);
        QCOMPARE(decoder.buffered(), std::size_t(0));
    }
};

QTEST_GUILESS_MAIN(TestConversations)
#include "TestConversations.moc"
