// How the command line reads what it is sent and typed.

#include "cad/command/Interpreter.h"
#include "cad/model/Describe.h"
#include "tests/cad/Lines.h"

#include <QTest>

#include <random>

class TestInterpreter : public QObject
{
    Q_OBJECT

private slots:
    void commands_data()
    {
        QTest::addColumn<std::string>("input");
        QTest::addColumn<Lines>("expected");

        QTest::newRow("Enter at the first point draws nothing") << std::string("LINE  ") << Lines{};
        QTest::newRow("Enter at the empty prompt repeats LINE")
            << std::string("LINE 0,0 10,0   5,5 5,10 \r") << Lines{"L 0,0 10,0", "L 5,5 5,10"};
        QTest::newRow("LINE c closes")
            << std::string("LINE 0,0 10,0 10,10 c ") << Lines{"L 0,0 10,0", "L 10,0 10,10", "L 10,10 0,0"};
        QTest::newRow("LINE c needs two segments")
            << std::string("LINE 0,0 10,0 c 5,5 \r") << Lines{"L 0,0 10,0", "L 10,0 5,5"};
        QTest::newRow("LINE u takes back a segment")
            << std::string("LINE 0,0 10,0 u @0,5 \r") << Lines{"L 0,0 0,5"};
        QTest::newRow("polar and relative points")
            << std::string("LINE 1,1 @10<90 @ @-1,0 \r") << Lines{"L 1,1 1,11", "L 1,11 1,11", "L 1,11 0,11"};
        QTest::newRow("third coordinate dropped") << std::string("LINE 0,0,5 3,4,5 \r") << Lines{"L 0,0 3,4"};
        QTest::newRow("lower case and aliases")
            << std::string("l 0,0 1,0 \rc 0,0 2 ") << Lines{"L 0,0 1,0", "C 0,0 2"};
        QTest::newRow("PLINE width, Enter keeps the start width")
            << std::string("PLINE 0,0 w 5  10,0 10,10 \r") << Lines{"P 0,0 10,0 10,10 w 5/5"};
        QTest::newRow("PLINE tapered first segment, then the end width")
            << std::string("PLINE 0,0 w 2 6 10,0 20,0 \r") << Lines{"P 0,0 10,0 w 2/6", "P 10,0 20,0 w 6/6"};
        QTest::newRow("PLINE width remembered") << std::string("PLINE 0,0 w 3  1,0 \rPLINE 5,5 6,5 \r")
                                                << Lines{"P 0,0 1,0 w 3/3", "P 5,5 6,5 w 3/3"};
        QTest::newRow("PLINE half width") << std::string("PLINE 0,0 h 2  1,0 \r") << Lines{"P 0,0 1,0 w 4/4"};
        QTest::newRow("PLINE u and c")
            << std::string("PLINE 0,0 5,0 9,9 u 5,5 c ") << Lines{"P 0,0 5,0 5,5 closed"};
        QTest::newRow("ARC through three points, clockwise given")
            << std::string("ARC 0,10 10,0 0,-10 ") << Lines{"A 0,0 10 270..90"};
        QTest::newRow("ARC through three points, counter-clockwise")
            << std::string("ARC 10,0 0,10 -10,0 ") << Lines{"A 0,0 10 0..180"};
        QTest::newRow("CIRCLE by a point on it") << std::string("CIRCLE 0,0 @3,4 ") << Lines{"C 0,0 5"};
        QTest::newRow("CIRCLE diameter, then the remembered radius")
            << std::string("CIRCLE 0,0 d 10 CIRCLE 1,1  ") << Lines{"C 0,0 5", "C 1,1 5"};
        QTest::newRow("CIRCLE 2P and 3P")
            << std::string("CIRCLE 2p 0,0 10,0 CIRCLE 3p 1,0 0,1 -1,0 ") << Lines{"C 5,0 5", "C 0,0 1"};
        QTest::newRow("ELLIPSE other axis longer becomes the major")
            << std::string("ELLIPSE c 0,0 @100,0 @0,200 ") << Lines{"E 0,0 0,200 0.5"};
        QTest::newRow("ELLIPSE by both ends and a distance")
            << std::string("ELLIPSE -10,0 10,0 5 ") << Lines{"E 0,0 10,0 0.5"};
        QTest::newRow("DTEXT keeps height and rotation on Enter")
            << std::string("DTEXT j m 0,0 5 90 a\r\rDTEXT j m 10,0   b\r\r")
            << Lines{"T 0,0 5 90 a", "T 10,0 5 90 b"};
        QTest::newRow("undo and redo")
            << std::string("LINE 0,0 1,0 2,0 \rCIRCLE 0,0 1 U REDO U ") << Lines{"L 0,0 1,0", "L 1,0 2,0"};
        QTest::newRow("UNDO with a count") << std::string("LINE 0,0 1,0 \rLINE 0,0 2,0 \rUNDO 2 ") << Lines{};
        QTest::newRow("Escape in the stream ends the command") << std::string("LINE 0,0 1,0 \x1b"
                                                                              "2,2 ")
                                                               << Lines{"L 0,0 1,0"};
        QTest::newRow("a bad point keeps the prompt")
            << std::string("LINE 0,0 x,y 1e999,0 @,5 1,1 \r") << Lines{"L 0,0 1,1"};
        QTest::newRow("overflowing relative points are refused")
            << std::string("LINE 1e15,0 @1e15,0 1,0 \r") << Lines{"L 1e+15,0 1,0"};
        QTest::newRow("zero sizes are refused")
            << std::string("CIRCLE 0,0 0 -1 2 ARC c 0,0 0,0 1,0 0,1 ") << Lines{"C 0,0 2", "A 0,0 1 0..90"};
    }

    void commands()
    {
        QFETCH(std::string, input);
        QFETCH(Lines, expected);
        cad::Drawing drawing;
        cad::Interpreter interpreter(drawing);
        interpreter.feed(input);
        QCOMPARE(q(cad::describe(drawing)), q(expected));
    }

    void historyShowsJapanesePrompts()
    {
        cad::Drawing drawing;
        cad::Interpreter interpreter(drawing);
        interpreter.feed("LINE 0,0 10,0 \rFOO ");
        interpreter.type("ID 1,2 ");
        const Lines expected{"コマンド: LINE",
                             "1 点目を指定: 0,0",
                             "次の点を指定 または [元に戻す(U)]: 10,0",
                             "次の点を指定 または [元に戻す(U)]: ",
                             "コマンド: FOO",
                             "不明なコマンド \"FOO\" です。",
                             "コマンド: ID",
                             "点を指定: 1,2",
                             "X = 1.0000     Y = 2.0000     Z = 0.0000"};
        QCOMPARE(q(interpreter.transcript()), q(expected));
        QCOMPARE(interpreter.prompt(), std::string("コマンド: "));
        QCOMPARE(interpreter.lastPoint().x, 1.0);
    }

    // What arrives while ID waits stays queued until the pick; then it counts from the pick.
    void idHoldsTheQueueUntilThePick()
    {
        cad::Drawing drawing;
        cad::Interpreter interpreter(drawing);
        interpreter.feed("ID\r");
        interpreter.feed("LINE @0,0 @10,0 \r");
        QVERIFY(interpreter.waitingForPick());
        QVERIFY(drawing.entities().empty());
        QVERIFY(interpreter.queued() > 0);
        interpreter.pick({100, 200});
        QCOMPARE(q(cad::describe(drawing)), q(Lines{"L 100,200 110,200"}));
        QCOMPARE(interpreter.queued(), size_t(0));
    }

    // Typed input is served at once and may answer the waiting ID.
    void typedInputAnswersTheHeldPrompt()
    {
        cad::Drawing drawing;
        cad::Interpreter interpreter(drawing);
        interpreter.feed("ID\rLINE @0,0 @10,0 \r");
        interpreter.type("5,5\n");
        QCOMPARE(q(cad::describe(drawing)), q(Lines{"L 5,5 15,5"}));
    }

    // The colour dialog holds the queue; typed at the command line, a number answers it.
    void colourTypedAnswersDdcolor()
    {
        cad::Drawing drawing;
        cad::Interpreter interpreter(drawing);
        interpreter.feed("DDCOLOR LINE 0,0 1,0 \rCOLOR ");
        QVERIFY(interpreter.waitingForColor());
        interpreter.type("3 ");
        QVERIFY(interpreter.waitingForColor());
        interpreter.type("bylayer ");
        interpreter.feed("LINE 0,0 2,0 \r");
        QCOMPARE(q(cad::describe(drawing)), q(Lines{"L 0,0 1,0 #3", "L 0,0 2,0"}));
    }

    void escapeEndsTheWaitingIdAndReleasesTheQueue()
    {
        cad::Drawing drawing;
        cad::Interpreter interpreter(drawing);
        interpreter.feed("ID\rLINE 0,0 1,0 \r");
        interpreter.cancel();
        QVERIFY(!interpreter.waitingForPick());
        QCOMPARE(drawing.entities().size(), size_t(1));
    }

    void requestsHoldUntilResumed()
    {
        cad::Drawing drawing;
        cad::Interpreter interpreter(drawing);
        interpreter.feed("ZOOM e LINE 0,0 1,0 \rSCRIPT my file.scr\rEXIT ");
        QVERIFY(interpreter.requestPending());
        QVERIFY(drawing.entities().empty());
        auto r = interpreter.takeRequest();
        QVERIFY(r && r->kind == cad::Request::Kind::ZoomExtents);
        QVERIFY(drawing.entities().empty());
        interpreter.resume();
        QCOMPARE(drawing.entities().size(), size_t(1));
        r = interpreter.takeRequest();
        QVERIFY(r && r->kind == cad::Request::Kind::Script);
        QCOMPARE(r->argument, std::string("my file.scr"));
        interpreter.runScript("LINE 5,5 6,6 \r");
        interpreter.resume();
        QCOMPARE(drawing.entities().size(), size_t(1)); // the script waits for its slice
        interpreter.stepScript(100);
        QCOMPARE(drawing.entities().size(), size_t(2));
        r = interpreter.takeRequest();
        QVERIFY(r && r->kind == cad::Request::Kind::Exit);
    }

    // A script runs only in slices, ahead of the queue; SCRIPT inside it replaces it, so a script
    // that calls itself neither nests nor grows, and stopping it lets the queue go on.
    void scriptsRunInSlicesAndReplaceEachOther()
    {
        cad::Drawing drawing;
        cad::Interpreter interpreter(drawing);
        const std::string self = "LINE 0,0 1,1 \rSCRIPT self.scr\rCIRCLE 0,0 1 ";
        interpreter.runScript(self);
        interpreter.feed("CIRCLE 0,0 5 ");
        QCOMPARE(interpreter.queued(), self.size() + 13);
        for (int round = 0; round < 100; ++round) {
            while (interpreter.scriptReady())
                interpreter.stepScript(2);
            auto r = interpreter.takeRequest();
            QVERIFY(r && r->kind == cad::Request::Kind::Script);
            interpreter.runScript(self);
            interpreter.resume();
            QVERIFY(interpreter.queued() <= self.size() + 13);
        }
        QCOMPARE(drawing.entities().size(), size_t(100)); // lines only: no CIRCLE after SCRIPT
        QVERIFY(interpreter.stopScript());
        QCOMPARE(drawing.entities().size(), size_t(101)); // the queue went on
        QCOMPARE(interpreter.queued(), size_t(0));
    }

    void previewFollowsTheCursor()
    {
        cad::Drawing drawing;
        cad::Interpreter interpreter(drawing);
        interpreter.feed("LINE 0,0 ");
        const auto preview = interpreter.preview({3, 4});
        QCOMPARE(preview.size(), size_t(1));
        QCOMPARE(cad::describe(preview.front()), std::string("L 0,0 3,4"));
        interpreter.pick({3, 4});
        QCOMPARE(drawing.entities().size(), size_t(1));
    }

    void undoGroupsWholeCommands()
    {
        cad::Drawing drawing;
        cad::Interpreter interpreter(drawing);
        interpreter.feed("LINE 0,0 1,0 2,0 3,0 \r");
        QVERIFY(drawing.modified());
        drawing.markSaved();
        interpreter.feed("U ");
        QVERIFY(drawing.entities().empty());
        QVERIFY(drawing.modified());
        interpreter.feed("REDO ");
        QCOMPARE(drawing.entities().size(), size_t(3));
    }

    // One execute of a conversation is one symbol: one U takes all it drew back, whichever
    // commands it ran, and the history names it; typed commands stay a step each.
    void oneStepPerSymbol()
    {
        cad::Drawing drawing;
        cad::Interpreter interpreter(drawing);
        interpreter.feed("ID\r", "会話 1「ID」");
        interpreter.pick({100, 100});
        // A window at 1/100: several LINEs (Enter repeats LINE), an ARC and a CIRCLE in one execute.
        interpreter.feed("LINE @0,0 @10,0  \r@0,5 @10,0 \rARC c @5,5 @5,0 @0,5 CIRCLE 0,0 2 ",
                         "会話 1「窓」");
        QCOMPARE(drawing.size(), size_t(4));
        interpreter.feed("LINE 50,50 60,60 \r", "会話 1「壁」");
        interpreter.type("LINE 0,0 1,1 \r");
        interpreter.type("CIRCLE 9,9 1 ");
        QCOMPARE(drawing.size(), size_t(7));
        interpreter.type("U ");
        interpreter.type("U ");
        QCOMPARE(drawing.size(), size_t(5));
        interpreter.type("U ");
        QCOMPARE(drawing.size(), size_t(4));
        QCOMPARE(interpreter.transcript().back(), std::string("元に戻す: 会話 1「壁」"));
        interpreter.type("U ");
        QVERIFY(drawing.empty());
        QCOMPARE(interpreter.transcript().back(), std::string("元に戻す: 会話 1「窓」"));
        interpreter.type("REDO ");
        QCOMPARE(drawing.size(), size_t(4));
    }

    // A symbol's pieces, fed apart, are one undo step and one redo step named by its caption.
    // One cut short is taken back whole, never to be redone, and the transcript says why.
    void symbolsAreOneStep()
    {
        cad::Drawing drawing;
        cad::Interpreter interpreter(drawing);
        interpreter.feed("LINE 0,0 0,10 \r", "会話 2「壁」");
        interpreter.beginSymbol({"katabirakito100", "片開キ戸", {}, {}}, false);
        interpreter.feed("LINE @0,0 @0,-8 \r", "会話 1「LINE」");
        interpreter.feed("DDCOLOR\r", "会話 1「DDCOLOR」");
        interpreter.feed("ARC c @0,8 @8,0 @0,8 ", "会話 1「ARC」");
        interpreter.endSymbol();
        QVERIFY(interpreter.waitingForColor());
        interpreter.chooseColor(3);
        QCOMPARE(drawing.size(), size_t(3));
        QVERIFY(!interpreter.symbolOpen() && !drawing.stepOpen());
        interpreter.type("U ");
        QCOMPARE(drawing.size(), size_t(1));
        QCOMPARE(interpreter.transcript().back(), std::string("元に戻す: 片開キ戸"));
        interpreter.type("REDO ");
        QCOMPARE(drawing.size(), size_t(3));
        QCOMPARE(interpreter.transcript().back(), std::string("やり直し: 片開キ戸"));

        interpreter.beginSymbol({"fix100", "ＦＩＸ窓", {}, {}}, false);
        interpreter.feed("LINE 50,0 60,0 70,0 ", "会話 1「LINE」");
        interpreter.takeBackSymbol("会話 1 が終わったため、作図途中の「ＦＩＸ窓」を取り消しました。");
        QCOMPARE(drawing.size(), size_t(3));
        QVERIFY(interpreter.commandName().empty());
        QCOMPARE(interpreter.transcript().back(),
                 std::string("会話 1 が終わったため、作図途中の「ＦＩＸ窓」を取り消しました。"));
        interpreter.type("REDO ");
        QCOMPARE(drawing.size(), size_t(3));
        interpreter.type("U ");
        QCOMPARE(drawing.size(), size_t(1));
    }

    // Control characters alone are nothing at the prompt: the assistant's question whether a host
    // reads symbol frames (ENQ ACK) reaches a host that does not know it as such a script.
    void controlCharactersAloneAreNothing()
    {
        cad::Drawing drawing;
        cad::Interpreter interpreter(drawing);
        interpreter.feed("LINE 0,0 1,0 \r");
        const auto before = interpreter.transcript().size();
        interpreter.feed("\x05\x06", "会話 1「」");
        QCOMPARE(interpreter.transcript().size(), before);
        QCOMPARE(interpreter.prompt(), std::string("コマンド: "));
        interpreter.feed("CIRCLE 0,0 1 ");
        QCOMPARE(drawing.size(), std::size_t(2));
    }

    // A step held by a pick or a colour stays one step; a command that runs on past the end of
    // its execute goes on as a step of its own, and LINE's u never reaches into the step before.
    void stepsAcrossHoldsAndCommandsThatRunOn()
    {
        cad::Drawing drawing;
        cad::Interpreter interpreter(drawing);
        interpreter.feed("LINE 0,0 1,0 \rDDCOLOR\rLINE 0,0 0,1 \r", "会話 1「A」");
        QVERIFY(interpreter.waitingForColor());
        interpreter.feed("CIRCLE 0,0 3 ", "会話 1「B」");
        interpreter.chooseColor(1);
        QCOMPARE(drawing.size(), size_t(3));
        interpreter.feed("LINE 5,5 6,5 ", "会話 2「C」");
        interpreter.type("7,5 u u u \r");
        QCOMPARE(q(cad::describe(drawing)),
                 q(Lines{"L 0,0 1,0", "L 0,0 0,1 #1", "C 0,0 3 #1", "L 5,5 6,5 #1"}));
        interpreter.type("LINE 8,8 9,9 \r");
        interpreter.type("U U ");
        QCOMPARE(q(cad::describe(drawing)), q(Lines{"L 0,0 1,0", "L 0,0 0,1 #1", "C 0,0 3 #1"}));
        interpreter.type("U ");
        QCOMPARE(q(cad::describe(drawing)), q(Lines{"L 0,0 1,0", "L 0,0 0,1 #1"}));
        interpreter.type("U ");
        QVERIFY(drawing.empty());
    }

    void overlongInputIsRefused()
    {
        cad::Drawing drawing;
        cad::Interpreter interpreter(drawing);
        interpreter.feed(std::string(200000, 'a') + " LINE 0,0 1,1 \r");
        QCOMPARE(drawing.entities().size(), size_t(1));
        QCOMPARE(interpreter.transcript().front(), std::string("入力が長すぎます。"));
    }

    // Nothing anyone can send crashes the interpreter or leaves it unable to go on.
    void survivesRandomInput()
    {
        std::mt19937 random(12345);
        const std::string alphabet = "LINEPARCTDXOWUZ0123456789.,@<-+ec \r\n\x1b\b\t";
        for (int round = 0; round < 300; ++round) {
            cad::Drawing drawing;
            cad::Interpreter interpreter(drawing);
            std::string input;
            const int n = static_cast<int>(random() % 400);
            for (int i = 0; i < n; ++i)
                input += random() % 10 == 0 ? static_cast<char>(random() % 256)
                                            : alphabet[random() % alphabet.size()];
            interpreter.feed(input);
            for (int k = 0; k < 8; ++k) {
                interpreter.pick({1, 1});
                interpreter.chooseColor(2);
                if (interpreter.takeRequest()) interpreter.resume();
            }
            interpreter.cancel();
            interpreter.feed("\x1bLINE 0,0 1,0 \r");
            QVERIFY(!drawing.entities().empty());
            QCOMPARE(cad::describe(drawing.entities().back()).substr(0, 11), std::string("L 0,0 1,0"));
        }
    }
};

QTEST_GUILESS_MAIN(TestInterpreter)
#include "TestInterpreter.moc"
