// Where a symbol dialog stands: beside the host's window, off the drawing; where the user left it,
// also in the next run; always on a screen that is there.

#include "dialogs/AppContext.h"
#include "dialogs/DialogPlacement.h"
#include "dialogs/SymbolDialog.h"
#include "link/FrameCodec.h"
#include "symbols/plan100/fix100.h"
#include "tests/support/RecordingServer.h"

#include <QComboBox>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QWindow>

using namespace quendra;
using namespace std::chrono_literals;

namespace {

struct Navigation : Navigator
{
    void showMainWindow() override {}
    void showExitDialog() override {}
    bool endProgram() override { return true; }
};

struct Fixture
{
    MessageService messages{false};
    Navigation navigation;
    AppContext context{messages, [] { return makeSocketTransport(1500ms); }, navigation};
};

QRect screenArea()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

} // namespace

class TestDialogPlacement : public QObject
{
    Q_OBJECT

private slots:
    void init() { QSettings().remove("dialogs"); }
    void cleanupTestCase() { QSettings().remove("dialogs"); }

    void besideTheHostOffItsDrawing()
    {
        const QRect screen(0, 0, 1280, 1024);
        // Room to the right of the window.
        QCOMPARE(besideHost({300, 200}, {0, 0, 800, 600}, {0, 50, 700, 500}, screen), QPoint(800, 50));
        // A window over the whole screen with a panel beside its drawing: over the panel.
        QCOMPARE(besideHost({300, 400}, screen, {0, 50, 900, 800}, screen), QPoint(980, 50));
        // Drawing below the panel only: below the drawing.
        QCOMPARE(besideHost({1000, 200}, screen, {0, 50, 1280, 700}, screen), QPoint(280, 750));
        // Nowhere off the drawing: its top right corner, on the screen.
        QCOMPARE(besideHost({400, 300}, screen, screen, screen), QPoint(880, 0));
        // A host on a screen left of the first one.
        QCOMPARE(
            besideHost({250, 200}, {-1280, 0, 1000, 800}, {-1280, 40, 1000, 700}, {-1280, 0, 1280, 1024}),
            QPoint(-280, 40));
    }

    void aPlaceIsKeptOnAScreenThatIsThere()
    {
        const QList<QRect> one{{0, 0, 1280, 1024}};
        const QList<QRect> two{{0, 0, 1280, 1024}, {1280, 0, 1920, 1080}};
        QCOMPARE(keptOnScreen({100, 100, 400, 300}, one), QPoint(100, 100));
        QCOMPARE(keptOnScreen({3000, 100, 400, 300}, one), QPoint(880, 100)); // its screen is gone
        QCOMPARE(keptOnScreen({-900, -50, 400, 300}, one), QPoint(0, 0));
        QCOMPARE(keptOnScreen({3000, 100, 400, 300}, two), QPoint(2800, 100));
        QCOMPARE(keptOnScreen({1200, 900, 400, 300}, two), QPoint(1280, 780)); // more on the second
        QCOMPARE(keptOnScreen({500, 500, 2000, 1500}, one), QPoint(0, 0));     // bigger than the screen
    }

    // After a draw the dialog comes back by itself, beside the host's window and off its drawing;
    // where the user moves it is where it opens, also in the next run, on the screen.
    void comesBackBesideTheHostAndOpensWhereTheUserLeftIt()
    {
        ServerThread host;
        const QRect screen = screenArea();
        const QRect window(screen.left(), screen.top(), screen.width() / 4, screen.height() / 4);
        const QRect drawing = window.adjusted(0, 20, 0, -20);
        const auto rect = [](const QRect &r) { return ScreenRect{r.x(), r.y(), r.width(), r.height()}; };
        host.server().answer(placeQuery, encodePlaceAnswer({rect(window), rect(drawing)}));
        host.server().answer(stateQuery, idleAnswer);
        {
            Fixture f;
            SymbolDialog d(fix100(), f.context);
            d.show();
            QVERIFY(QTest::qWaitForWindowExposed(&d));
            const QPoint centred = d.pos();
            d.commandButton("Command2")->click();
            QVERIFY(d.isMinimized());
            QTRY_VERIFY_WITH_TIMEOUT(!d.isMinimized(), 5000);
            QVERIFY(d.pos() != centred);
            QVERIFY(!d.frameGeometry().intersects(drawing));
            QVERIFY(screen.contains(d.frameGeometry()));
            QCOMPARE(d.focusWidget(), d.input("Combo1"));

            // The user moves it (the window system tells): it stays there after the next draw.
            const QPoint chosen = screen.topLeft() + QPoint(30, screen.height() / 2);
            d.windowHandle()->setFramePosition(chosen);
            QTRY_COMPARE(d.pos(), chosen);
            d.commandButton("Command2")->click();
            QTRY_VERIFY_WITH_TIMEOUT(!d.isMinimized(), 5000);
            QCOMPARE(d.pos(), chosen);
            d.hide();
            d.show();
            QCOMPARE(d.pos(), chosen);
        }
        Fixture f;
        SymbolDialog again(fix100(), f.context);
        QCOMPARE(again.pos(), screen.topLeft() + QPoint(30, screen.height() / 2));

        // A place on a screen that is gone comes back on the screen.
        QSettings().setValue("dialogs/fix100/place", QPoint(screen.right() + 2000, screen.bottom() + 500));
        SymbolDialog lost(fix100(), f.context);
        QVERIFY(screen.contains(lost.geometry()));
    }
};

QTEST_MAIN(TestDialogPlacement)
#include "TestDialogPlacement.moc"
