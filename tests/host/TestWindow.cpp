// The window driven as a user would, offscreen: typing, picks that snap, the colour dialog, the
// question on exit, undo from the keyboard, export.

#include "cad/command/Replay.h"
#include "cad/model/Describe.h"
#include "cad/render/ColorDialog.h"
#include "host/session/CommandServer.h"
#include "host/session/HostSession.h"
#include "host/window/Canvas.h"
#include "host/window/CommandLine.h"
#include "host/window/Export.h"
#include "host/window/HostWindow.h"
#include "link/Conversation.h"
#include "link/FrameCodec.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QLocalSocket>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>

using namespace host;

namespace {

// Answers the next modal dialog once it is up.
void whenModal(std::function<void(QWidget *)> answer)
{
    auto *timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        if (QWidget *w = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            answer(w);
        }
    });
    timer->start();
}

std::unique_ptr<QLocalSocket> connectClient()
{
    auto s = std::make_unique<QLocalSocket>();
    s->connectToServer(QString::fromStdString(quendra::socketPath(quendra::cadService, quendra::cadTopic)));
    return s->waitForConnected(5000) ? std::move(s) : nullptr;
}

void send(QLocalSocket &client, const std::string &script)
{
    const std::string frame = quendra::encodeFrame(script);
    client.write(frame.data(), static_cast<qint64>(frame.size()));
    client.flush();
}

bool waitFor(const std::function<bool()> &condition)
{
    for (int i = 0; i < 200 && !condition(); ++i)
        QTest::qWait(10);
    return condition();
}

} // namespace

class TestWindow : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        session_ = std::make_unique<HostSession>();
        window_ = std::make_unique<HostWindow>(*session_);
        window_->resize(800, 600);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        input_ = window_->findChild<QLineEdit *>(QStringLiteral("commandInput"));
        QVERIFY(input_);
        // One drawing unit a pixel, the origin in the middle of the canvas.
        window_->canvas()->setView({{0, 0}, 1.0});
    }

    void cleanup()
    {
        window_.reset();
        session_.reset();
    }

    void typedCommandsDrawAndEscapeCancels()
    {
        QTest::keyClicks(input_, QStringLiteral("LINE 0,0 100,0 100,50 "));
        QCOMPARE(session_->drawing().size(), size_t(2));
        QTest::keyClick(input_, Qt::Key_Escape);
        QCOMPARE(QString::fromStdString(session_->interpreter().prompt()), QStringLiteral("コマンド: "));
        // DTEXT takes the blank as text: only Enter ends its line.
        QTest::keyClicks(input_, QStringLiteral("DTEXT j m 0,0 10 0 "));
        QTest::keyClicks(input_, QStringLiteral("A B"));
        QTest::keyClick(input_, Qt::Key_Return);
        QTest::keyClick(input_, Qt::Key_Return);
        QCOMPARE(cad::describe(session_->drawing().at(2)), std::string("T 0,0 10 0 A B"));
    }

    void picksSnapToEndPoints()
    {
        QTest::keyClicks(input_, QStringLiteral("LINE 0,0 100,0 "));
        QTest::keyClick(input_, Qt::Key_Escape);
        QTest::keyClicks(input_, QStringLiteral("LINE "));
        click(at({100, 0}) + QPoint(3, -2));
        click(at({100, 120}));
        QTest::keyClick(input_, Qt::Key_Escape);
        QCOMPARE(session_->drawing().size(), size_t(2));
        const cad::Entity picked = session_->drawing().at(1);
        QCOMPARE(picked.a.x, 100.0); // snapped exactly
        QCOMPARE(picked.a.y, 0.0);
        QVERIFY(std::abs(picked.b.y - 120) <= 1);
    }

    // A crossing of two walls is taken by the running snap; INT typed at the prompt keeps the
    // next pick to crossings only; grid snap and ortho take a free pick to the grid, square to
    // the last point; a typed point never snaps.
    void picksSnapToCrossingsGridAndOrtho()
    {
        Canvas *canvas = window_->canvas();
        QTest::keyClicks(input_, QStringLiteral("LINE -200,0 200,0 \rLINE 50,-200 50,200 \r"));
        QTest::keyClicks(input_, QStringLiteral("LINE "));
        QTest::keyClicks(input_, QStringLiteral("INT "));
        QVERIFY(canvas->snapOverride().has_value());
        click(at({50, 0}) + QPoint(4, 3));
        QVERIFY(!canvas->snapOverride().has_value()); // one pick only
        canvas->setGridSpacing(100);
        canvas->setGridSnap(true);
        canvas->setOrtho(true);
        canvas->setSnapEnabled(false);
        click(at({240, -17})); // ortho: along x from 50,0; grid: to 200,0 (x 240 rounds to 200)
        QTest::keyClicks(input_, QStringLiteral("203,7 \r")); // typed: taken as it is
        const auto n = session_->drawing().size();
        QCOMPARE(cad::describe(session_->drawing().at(n - 2)), std::string("L 50,0 200,0"));
        QCOMPARE(cad::describe(session_->drawing().at(n - 1)), std::string("L 200,0 203,7"));
        QVERIFY(canvas->modeText().contains(QStringLiteral("直交")));
    }

    // Shift+Space steps through the objects under the cursor, nearest edge first.
    void shiftSpaceCyclesTheSelection()
    {
        QTest::keyClicks(input_, QStringLiteral("LINE 0,0 100,0 \rLINE 0,3 100,3 \rCIRCLE 50,40 37.5 "));
        click(at({50, 1}));
        QCOMPARE(session_->interpreter().selection(), std::vector<std::size_t>{0});
        for (const std::size_t next : {2, 1, 0}) {
            QTest::keyClick(input_, Qt::Key_Space, Qt::ShiftModifier);
            QCOMPARE(session_->interpreter().selection(), std::vector<std::size_t>{next});
        }
        QVERIFY(input_->text().isEmpty());
    }

    // M2P typed at a point prompt: the point midway between a snapped pick and a typed point
    // lands on the wall's centre line. With the running snap cut to centres, an end is not taken.
    void midBetweenTwoPointsAndRunningSnaps()
    {
        Canvas *canvas = window_->canvas();
        QTest::keyClicks(input_, QStringLiteral("LINE 0,50 300,50 \rLINE 0,-50 300,-50 \r"));
        QTest::keyClicks(input_, QStringLiteral("LINE "));
        QTest::keyClicks(input_, QStringLiteral("m2p\r"));
        QVERIFY(canvas->midBetweenActive());
        click(at({0, 50}) + QPoint(3, 2)); // snaps to the end 0,50
        QTest::keyClicks(input_, QStringLiteral("@100,-100\r"));
        QVERIFY(!canvas->midBetweenActive());
        canvas->setRunningSnaps(cad::snapBit(cad::SnapPoint::Kind::Centre));
        click(at({300, 50}) + QPoint(3, 3)); // near an end, which is no longer looked for
        QTest::keyClick(input_, Qt::Key_Escape);
        const cad::Entity drawn = session_->drawing().at(session_->drawing().size() - 1);
        QCOMPARE(drawn.a.x, 50.0);
        QCOMPARE(drawn.a.y, 0.0);
        QVERIFY(drawn.b.x != 300.0 && std::abs(drawn.b.x - 303) <= 1);
        WindowMemory memory;
        memory.rememberRunningSnaps(cad::snapBit(cad::SnapPoint::Kind::Nearest));
        QCOMPARE(WindowMemory().runningSnaps(), cad::snapBit(cad::SnapPoint::Kind::Nearest));
        memory.rememberRunningSnaps(cad::runningSnaps);
    }

    // Noun-verb in the window: a window dragged left to right takes what lies wholly inside it,
    // a click with Shift takes one out, MOVE moves what is selected; Ctrl+A and Escape.
    void dragAWindowAndMoveIt()
    {
        Canvas *canvas = window_->canvas();
        QTest::keyClicks(input_, QStringLiteral("LINE -200,0 200,0 \rLINE 0,10 50,10 \rCIRCLE 20,60 15 "));
        QCOMPARE(session_->drawing().size(), size_t(3));
        QTest::mousePress(canvas->viewport(), Qt::LeftButton, {}, at({-10, 100}));
        QTest::mouseMove(canvas->viewport(), at({30, 40}));
        QTest::mouseMove(canvas->viewport(), at({100, -20}));
        QTest::mouseRelease(canvas->viewport(), Qt::LeftButton, {}, at({100, -20}));
        QCOMPARE(session_->interpreter().selection(), (std::vector<std::size_t>{1, 2})); // not the long wall
        QTest::mouseClick(canvas->viewport(), Qt::LeftButton, Qt::ShiftModifier, at({35, 60}));
        QCOMPARE(session_->interpreter().selection(), (std::vector<std::size_t>{1}));
        QTest::keyClicks(input_, QStringLiteral("M 0,0 @100,-10 "));
        QCOMPARE(cad::describe(session_->drawing().at(1)), std::string("L 100,0 150,0"));
        QVERIFY(session_->interpreter().selection().empty());
        QTest::keyClick(input_, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(session_->interpreter().selection().size(), size_t(3));
        QTest::keyClick(input_, Qt::Key_Escape);
        QVERIFY(session_->interpreter().selection().empty());
        QTest::keyClick(input_, Qt::Key_Z, Qt::ControlModifier); // the move is one step
        QVERIFY(waitFor([this] { return cad::describe(session_->drawing().at(1)) == "L 0,10 50,10"; }));
    }

    void colourDialogAnswersDdcolor()
    {
        whenModal([](QWidget *w) {
            auto *dialog = qobject_cast<cad::ColorDialog *>(w);
            QVERIFY(dialog);
            dialog->findChild<QToolButton *>(QStringLiteral("color3"))->click();
            dialog->accept();
        });
        session_->enqueue("DDCOLOR LINE 0,0 1,1 \r", QStringLiteral("会話 1"));
        QVERIFY(session_->interpreter().waitingForColor());
        QVERIFY(waitFor([this] { return session_->drawing().size() == 1; }));
        QCOMPARE(session_->drawing().at(0).color, 3);
    }

    // A pick or a colour asked for by a conversation that has ended is left to the user, as a
    // client that sends ID and leaves expects, until another conversation's input comes: then it
    // is withdrawn (the colour dialog closes), so that no frame waits for the user.
    void whatAnEndedConversationAskedForIsWithdrawn()
    {
        CommandServer server(*session_);
        QString error;
        QVERIFY(server.listen(QString::fromUtf8(quendra::cadService), QString::fromUtf8(quendra::cadTopic),
                              &error));
        auto other = connectClient();
        QVERIFY(other);
        for (const cad::Point base : {cad::Point{5, 5}, cad::Point{7, 7}}) {
            auto gone = connectClient();
            QVERIFY(gone);
            send(*gone, "ID\r");
            QVERIFY(waitFor([this] { return session_->interpreter().waitingForPick(); }));
            gone->abort();
            QVERIFY(waitFor([&server] { return server.conversations() == 1; }));
            QVERIFY(session_->interpreter().waitingForPick());
            if (base.x == 5) session_->pick(base);
        }
        send(*other, "LINE @0,0 @1,1 \r");
        QVERIFY(waitFor([this] { return session_->drawing().size() == 1; }));
        QCOMPARE(cad::describe(session_->drawing().at(0)), std::string("L 5,5 6,6"));

        auto gone = connectClient();
        QVERIFY(gone);
        bool heldOn = false;
        whenModal([&](QWidget *w) {
            gone->abort();
            send(*other, "CIRCLE 0,0 5 ");
            QTimer::singleShot(3000, w, [w, &heldOn] {
                heldOn = true;
                static_cast<QDialog *>(w)->reject();
            });
        });
        send(*gone, "DDCOLOR ");
        QVERIFY(waitFor([this] { return session_->drawing().size() == 2; }));
        QVERIFY(!heldOn);
        QVERIFY(!QApplication::activeModalWidget());
    }

    void exitAsksAboutAChangedDrawing()
    {
        QTest::keyClicks(input_, QStringLiteral("CIRCLE 0,0 10 "));
        whenModal([](QWidget *w) {
            auto *box = qobject_cast<QMessageBox *>(w);
            QVERIFY(box);
            QCOMPARE(box->text(), QStringLiteral("図面は変更されています。変更を保存しますか?"));
            for (QAbstractButton *b : box->buttons())
                if (b->text() == QStringLiteral("キャンセル")) b->click();
        });
        session_->enqueue("EXIT LINE 0,0 5,5 \r", QStringLiteral("会話 1"));
        QVERIFY(waitFor([this] { return session_->drawing().size() == 2; }));
        QVERIFY(!session_->exiting());
    }

    // The title's "*" goes with a save, as EXIT then quits without asking.
    void aSaveClearsTheTitlesMark()
    {
        QTemporaryDir dir;
        QString error;
        QVERIFY(session_->save(dir.filePath("a.dxf"), &error));
        QTest::keyClicks(input_, QStringLiteral("CIRCLE 0,0 10 "));
        QVERIFY(window_->isWindowModified());
        session_->enqueue("SAVE ", QStringLiteral("会話 1"));
        QVERIFY(waitFor([this] { return !session_->modified(); }));
        QVERIFY(!window_->isWindowModified());
    }

    void exitWithoutChangesEndsAtOnce()
    {
        session_->enqueue("EXIT ", QStringLiteral("会話 1"));
        QVERIFY(waitFor([this] { return session_->exiting(); }));
    }

    void undoKeyReachesTheDrawing()
    {
        QTest::keyClicks(input_, QStringLiteral("CIRCLE 0,0 10 "));
        QCOMPARE(session_->drawing().size(), size_t(1));
        window_->activateWindow();
        QTest::keyClick(input_, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(waitFor([this] { return session_->drawing().empty(); }));
        QTest::keyClick(input_, Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(waitFor([this] { return session_->drawing().size() == 1; }));
    }

    // A symbol sent by the assistant (several commands in one execute) goes with one Ctrl+Z,
    // and the history names it.
    void ctrlZTakesBackAWholeSymbol()
    {
        session_->newDrawing();
        QTest::keyClicks(input_, QStringLiteral("CIRCLE 0,0 10 "));
        session_->enqueue("LINE 0,0 100,0  \r0,50 100,50 \rARC c 50,50 @50,0 @-50,0 ",
                          QStringLiteral("会話 1"));
        QCOMPARE(session_->drawing().size(), size_t(4));
        window_->activateWindow();
        QTest::keyClick(input_, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(waitFor([this] { return session_->drawing().size() == 1; }));
        const auto &history = session_->interpreter().transcript();
        QCOMPARE(QString::fromStdString(history.back()),
                 QStringLiteral("元に戻す: 会話 1「LINE 0,0 100,0 ↵0,50 100,50 ↵ARC c 50,50…」"));
    }

    // 壁に納める: the menu entry and the status bar's button are one switch of the session.
    void wallSwitchInMenuAndStatusBar()
    {
        auto *entry = window_->findChild<QAction *>(QStringLiteral("wallOpenings"));
        auto *button = window_->findChild<QToolButton *>(QStringLiteral("wallOpeningsButton"));
        QVERIFY(entry && button && entry->isChecked() && button->isChecked());
        entry->trigger();
        QVERIFY(!session_->interpreter().wallOpenings() && !button->isChecked());
        button->click();
        QVERIFY(session_->interpreter().wallOpenings() && entry->isChecked());
    }

    // The files opened last, the folder and the window's size come back in the next run.
    void recentFilesAndPlaceSurviveARestart()
    {
        QTemporaryDir dir;
        QString error;
        for (const char *name : {"a.dxf", "b.dxf", "a.dxf"})
            QVERIFY(session_->save(dir.filePath(name), &error));
        window_->resize(640, 480);
        QVERIFY(window_->close());
        HostSession session;
        HostWindow again(session);
        QCOMPARE(again.size(), QSize(640, 480));
        auto *recent = again.findChild<QMenu *>(QStringLiteral("recentFiles"));
        QVERIFY(recent);
        QStringList shown;
        for (const QAction *a : recent->actions())
            shown << a->text();
        QCOMPARE(shown.mid(0, 2), (QStringList{"&1 " + QDir::toNativeSeparators(dir.filePath("a.dxf")),
                                               "&2 " + QDir::toNativeSeparators(dir.filePath("b.dxf"))}));
        WindowMemory memory;
        QCOMPARE(memory.lastFolder(), dir.path());
        for (int i = 0; i < 10; ++i)
            memory.addRecent(dir.filePath(QStringLiteral("%1.dxf").arg(i)));
        QCOMPARE(memory.recentFiles().size(), WindowMemory::recentCount);
        QCOMPARE(memory.recentFiles().front(), dir.filePath("9.dxf"));
        QCOMPARE(suggestedExportPath(dir.filePath("plan.dxf"), QStringLiteral("/out"), QStringLiteral("pdf")),
                 QStringLiteral("/out/plan.pdf"));
    }

    void exportsPictures()
    {
        QTemporaryDir dir;
        const cad::Drawing d = cad::replay({"LINE 0,0 400,0 400,100 \r", "DTEXT j m 200,50 30 0 ＋1000\r\r"});
        QCOMPARE(exportPng(d, dir.filePath("a.png"), 800), QString());
        QImage image(dir.filePath("a.png"));
        QCOMPARE(image.width(), 800);
        QCOMPARE(image.height(), 200);
        QVERIFY(image.pixelColor(400, 100) == Qt::white);
        QCOMPARE(exportSvg(d, dir.filePath("a.svg")), QString());
        QFile svg(dir.filePath("a.svg"));
        QVERIFY(svg.open(QIODevice::ReadOnly));
        QVERIFY(svg.readAll().contains("<svg"));
        QVERIFY(!exportPng(d, dir.filePath("missing/a.png")).isEmpty());
    }

private:
    // Where a drawing point is on the canvas, and a click there (the cursor moved there first).
    QPoint at(cad::Point p) const
    {
        const Canvas *canvas = window_->canvas();
        return canvas->view().toDevice(QRectF(canvas->viewport()->rect()), p).toPoint();
    }
    void click(QPoint device)
    {
        QTest::mouseMove(window_->canvas()->viewport(), device);
        QTest::mouseClick(window_->canvas()->viewport(), Qt::LeftButton, {}, device);
    }

    std::unique_ptr<HostSession> session_;
    std::unique_ptr<HostWindow> window_;
    QLineEdit *input_ = nullptr;
};

QTEST_MAIN(TestWindow)
#include "TestWindow.moc"
