#include "link/CadLink.h"
#include "link/FrameCodec.h"
#include "link/SymbolFrame.h"
#include "link/WallFrame.h"
#include "tests/support/RecordingServer.h"

#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <sstream>

using namespace quendra;
using namespace std::chrono_literals;

namespace {

std::unique_ptr<CadLink> socketLink()
{
    return std::make_unique<CadLink>(makeSocketTransport(1500ms));
}

// Waits until the server has seen `count` scripts (its thread works on its own time).
bool waitFor(RecordingServer &server, size_t count)
{
    for (int i = 0; i < 200 && server.scripts().size() < count; ++i)
        QTest::qWait(10);
    return server.scripts().size() >= count;
}

} // namespace

class TestCadLink : public QObject
{
    Q_OBJECT

private slots:
    void topicIsServiceBarTopic()
    {
        CadLink link(makeRecordTransport("/dev/null"));
        link.open(cadService, cadTopic);
        QCOMPARE(link.topic(), std::string("AutoCAD LT.DDE|System"));
    }

    void deliversScriptsInOrderAndWhole()
    {
        ServerThread host;
        auto link = socketLink();
        QCOMPARE(link->open(cadService, cadTopic), LinkError::None);
        const std::string big(1024 * 1024, 'x');
        const std::vector<std::string> sent = {"ID\r", "LINE @0,50 @600,0   \r",
                                               "DTEXT j m @0,0 350 0 ＋1000\r\r", big, "EXIT "};
        for (const std::string &s : sent)
            QCOMPARE(link->execute(s), LinkError::None);
        QVERIFY(waitFor(host.server(), sent.size()));
        QCOMPARE(host.server().scripts(), sent);
    }

    void servesSeveralConversationsAtOnce()
    {
        ServerThread host;
        auto a = socketLink(), b = socketLink();
        QCOMPARE(a->open(cadService, cadTopic), LinkError::None);
        QCOMPARE(b->open(cadService, cadTopic), LinkError::None);
        QCOMPARE(a->execute("a1"), LinkError::None);
        QCOMPARE(b->execute("b1"), LinkError::None);
        QCOMPARE(a->execute("a2"), LinkError::None);
        QVERIFY(waitFor(host.server(), 3));
        QCOMPARE(host.server().scripts(), (std::vector<std::string>{"a1", "b1", "a2"}));
        QCOMPARE(host.server().conversations(), 2);
    }

    void openingTwiceLeavesOneConversation()
    {
        ServerThread host;
        auto link = socketLink();
        QCOMPARE(link->open(cadService, cadTopic), LinkError::None);
        QCOMPARE(link->open(cadService, cadTopic), LinkError::None);
        QCOMPARE(link->execute("LINE \r"), LinkError::None);
        QVERIFY(waitFor(host.server(), 1));
        QCOMPARE(host.server().conversation(0).size(), size_t(0));
        QCOMPARE(host.server().conversation(1), std::vector<std::string>{"LINE \r"});
    }

    void reportsNoHost()
    {
        auto link = socketLink();
        QCOMPARE(link->open(cadService, "NoSuchTopic"), LinkError::NoHost);
        QVERIFY(!link->isOpen());
        QCOMPARE(link->execute("ID\r"), LinkError::NoHost);
        QVERIFY(!describe(LinkError::NoHost).empty());
    }

    void reportsAHostThatGoesAwayAndReconnectsWhenItIsBack()
    {
        auto host = std::make_unique<ServerThread>();
        auto link = socketLink();
        QCOMPARE(link->open(cadService, cadTopic), LinkError::None);
        QCOMPARE(link->execute("first"), LinkError::None);
        host->stop();
        const LinkError e = link->execute("second");
        QVERIFY(e == LinkError::HostGone || e == LinkError::NoHost);
        host.reset();

        ServerThread back;
        QCOMPARE(link->execute("third"), LinkError::None);
        QVERIFY(waitFor(back.server(), 1));
        QCOMPARE(back.server().scripts(), std::vector<std::string>{"third"});
    }

    void reportsRefusalAndSilence()
    {
        ServerThread host;
        auto link = socketLink();
        QCOMPARE(link->open(cadService, cadTopic), LinkError::None);
        host.server().setReply("NG busy");
        QCOMPARE(link->execute("LINE \r"), LinkError::Refused);
        host.server().setReply("");
        auto quick = std::make_unique<CadLink>(makeSocketTransport(200ms));
        QCOMPARE(quick->open(cadService, cadTopic), LinkError::None);
        QCOMPARE(quick->execute("LINE \r"), LinkError::Timeout);
    }

    // A reply that comes after the client gave up must not be taken as the answer to the next
    // script: the timed-out conversation ends, and the next execute opens a new one.
    void aLateReplyIsNotTheNextAnswer()
    {
        ServerThread host;
        auto quick = std::make_unique<CadLink>(makeSocketTransport(200ms));
        QCOMPARE(quick->open(cadService, cadTopic), LinkError::None);
        host.server().setReplyDelay(400);
        QCOMPARE(quick->execute("LINE 0,0 1,1 \r"), LinkError::Timeout);
        QTest::qWait(400); // the late "OK" arrives meanwhile
        host.server().setReplyDelay(0);
        host.server().setReply("NG busy");
        QCOMPARE(quick->execute("CIRCLE 0,0 1 "), LinkError::Refused);
        QCOMPARE(host.server().conversations(), 2);
    }

    // What a dialog holds comes back as it was, whatever its characters; a frame that does not
    // read is no frame, and fields a later sender adds are passed over.
    void symbolFramesReadBackAsSent()
    {
        const SymbolFrame sent{SymbolFrame::Kind::Begin,
                               "tategukigou",
                               "建具記号",
                               true,
                               {{"Text1", "AW\t1\\2\n3 ＋"}, {"Option1", "1"}, {"Text2", ""}},
                               "7.3"};
        const std::string frame = encodeSymbolFrame(sent);
        QVERIFY(isSymbolFrame(frame));
        const auto back = decodeSymbolFrame(frame + "\nlater\tfield");
        QVERIFY(back);
        QCOMPARE(back->form, sent.form);
        QCOMPARE(back->caption, sent.caption);
        QVERIFY(back->basePicked);
        QCOMPARE(back->inputs, sent.inputs);
        QCOMPARE(back->replaces, sent.replaces);
        SymbolFrame edit = sent;
        edit.kind = SymbolFrame::Kind::Edit;
        const auto asked = decodeSymbolFrame(encodeSymbolFrame(edit));
        QVERIFY(asked && asked->kind == SymbolFrame::Kind::Edit && asked->inputs == sent.inputs);
        const auto end =
            decodeSymbolFrame(encodeSymbolFrame({SymbolFrame::Kind::End, {}, {}, false, {}, {}}));
        QVERIFY(end && end->kind == SymbolFrame::Kind::End);
        for (const char *bad : {"\x05SYMBOL 1 BEGIN", "\x05SYMBOL 1 BEGIN\nform\tx\ninput\tText1",
                                "\x05SYMBOL 1 BEGIN\nform\tx\ncaption\ta\\q", "\x05SYMBOL 2 BEGIN\nform\tx",
                                "\x05SYMBOL 1 END\nform\tx", "\x05SYMBOL 1 MAYBE"})
            QVERIFY2(!decodeSymbolFrame(bad), bad);
        QVERIFY(!isSymbolFrame("LINE @0,0 @1,0 \r"));
    }

    // Only a host that says so is told about symbols; asked once per conversation.
    void symbolsOnlyForAHostThatReadsThem()
    {
        ServerThread host;
        auto link = socketLink();
        QCOMPARE(link->open(cadService, cadTopic), LinkError::None);
        QVERIFY(!link->hostReadsSymbols());
        QVERIFY(!link->hostReadsSymbols());
        host.server().setReply(symbolAnswer);
        QCOMPARE(link->open(cadService, cadTopic), LinkError::None);
        QVERIFY(link->hostReadsSymbols());
        QVERIFY(link->hostReadsSymbols());
        QVERIFY(waitFor(host.server(), 2));
        QCOMPARE(host.server().scripts(), (std::vector<std::string>{symbolQuery, symbolQuery}));
        QVERIFY(!CadLink(makeRecordTransport("/dev/null")).hostReadsSymbols());
    }

    // Where the host's window stands: read only from an answer a host that can tell gives.
    void theHostsPlaceOnlyFromAHostThatTellsIt()
    {
        ServerThread host;
        auto link = socketLink();
        QCOMPARE(link->open(cadService, cadTopic), LinkError::None);
        QVERIFY(!link->hostPlace()); // a plain OK: a host that cannot tell
        const HostPlace place{{-1280, 0, 1280, 1024}, {0, 60, 900, 700}};
        host.server().answer(placeQuery, encodePlaceAnswer(place));
        QCOMPARE(link->hostPlace(), std::optional<HostPlace>(place));
        for (const char *bad :
             {"OK PLACE 1 2 3 4 5 6 7", "OK PLACE 1 2 3 4 5 6 7 8 9", "OK PLACE 1 2 0 4 5 6 7 8",
              "OK PLACE 1 2 3 4 5 6 7 x", "OK PLACE  1 2 3 4 5 6 7 8", "NG PLACE 1 2 3 4 5 6 7 8"}) {
            host.server().answer(placeQuery, bad);
            QVERIFY2(!link->hostPlace(), bad);
        }
        QVERIFY(!CadLink(makeRecordTransport("/dev/null")).hostPlace());
    }

    // A host that does not set fittings into walls is asked the state as before; one that does
    // tells the wall a base point was set into, with its answer to the state.
    void wallsOnlyForAHostThatSetsThem()
    {
        ServerThread host;
        auto link = socketLink();
        QCOMPARE(link->open(cadService, cadTopic), LinkError::None);
        QVERIFY(!link->hostReadsWalls());
        QVERIFY(!link->hostIdle());
        host.server().setReply(wallAnswer);
        QCOMPARE(link->open(cadService, cadTopic), LinkError::None);
        QVERIFY(link->hostReadsWalls());
        host.server().setReply(idleAnswerWithWall(270));
        QCOMPARE(link->hostIdle(), std::optional<bool>(true));
        QCOMPARE(link->pickedWall(), std::optional<double>(270));
        host.server().setReply(busyAnswer);
        QCOMPARE(link->hostIdle(), std::optional<bool>(false));
        QVERIFY(!link->pickedWall());
        QVERIFY(waitFor(host.server(), 5));
        QCOMPARE(host.server().scripts(), (std::vector<std::string>{wallQuery, stateQuery, wallQuery,
                                                                    wallStateQuery, wallStateQuery}));
        for (const char *bad :
             {"OK IDLE WALL", "OK IDLE WALL x", "OK IDLE WALL 90 ", "OK IDLE WALL nan", "OK BUSY WALL 0"})
            QVERIFY2(!wallDirectionOf(bad), bad);
        QCOMPARE(wallDirectionOf(idleAnswerWithWall(33.5)), std::optional<double>(33.5));
    }

    void recordAppendsEachScriptAsItIs()
    {
        QTemporaryDir dir;
        const std::string path = dir.filePath("out.scr").toStdString();
        CadLink link(makeRecordTransport(path));
        QCOMPARE(link.open(cadService, cadTopic), LinkError::None);
        QCOMPARE(link.execute("ID\r"), LinkError::None);
        QCOMPARE(link.execute("EXIT "), LinkError::None);
        std::ifstream in(path, std::ios::binary);
        std::stringstream all;
        all << in.rdbuf();
        QCOMPARE(all.str(), std::string("ID\rEXIT "));
    }

    void choosesTheTransportFromTheEnvironment()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("env.scr");
        qputenv("QUENDRA_LINK", ("record:" + path).toUtf8());
        CadLink link(transportFromEnvironment()());
        qunsetenv("QUENDRA_LINK");
        QCOMPARE(link.open(cadService, cadTopic), LinkError::None);
        QCOMPARE(link.execute("ID\r"), LinkError::None);
        QVERIFY(QFile::exists(path));
    }
};

QTEST_GUILESS_MAIN(TestCadLink)
#include "TestCadLink.moc"
