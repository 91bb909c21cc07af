// Two clients drawing swing doors into one quendra-host at once, over the real socket: the real
// dialog and a second conversation of its own. Each door is one symbol, so no script of the one
// lands inside the other's, and one U takes the last door back whole. Read back by ezdxf.

#include "app/MainWindow.h"
#include "cad/command/Interpreter.h"
#include "dialogs/SymbolDialog.h"
#include "link/SymbolFrame.h"
#include "rules/ButtonPress.h"
#include "symbols/plan100/katabirakito100.h"
#include "tests/app/AppHarness.h"
#include "tests/support/EzdxfDump.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QThread>

#include <array>
#include <atomic>
#include <cmath>
#include <memory>

using namespace quendra;

namespace {

constexpr int doorsEach = 12;

struct Read
{
    struct Arc
    {
        double x, y, r, a, b;
    };
    std::vector<std::array<double, 4>> lines;
    std::vector<Arc> arcs;
};

Read readBack(const QString &dxf)
{
    Read out;
    const auto xy = [](const QString &p) {
        const QStringList v = p.split(',');
        return std::pair{v[0].toDouble(), v[1].toDouble()};
    };
    for (const QString &l : ezdxfDump(dxf)) {
        const QStringList parts = l.split(' ');
        if (parts.size() == 3 && parts[0] == "L") {
            const auto [x1, y1] = xy(parts[1]);
            const auto [x2, y2] = xy(parts[2]);
            out.lines.push_back({x1, y1, x2, y2});
        } else if (parts.size() == 4 && parts[0] == "A") {
            const auto [x, y] = xy(parts[1]);
            const QStringList angles = parts[3].split("..");
            out.arcs.push_back({x, y, parts[2].toDouble(), angles[0].toDouble(), angles[1].toDouble()});
        }
    }
    return out;
}

bool near(double x1, double y1, double x2, double y2)
{
    return std::hypot(x1 - x2, y1 - y2) < 1e-6;
}

// A door's swing stands on its leaf: a line as long as the radius, from the centre to one end.
bool onItsLeaf(const Read::Arc &arc, const std::vector<std::array<double, 4>> &lines)
{
    const auto end = [&arc](double degrees) {
        return std::pair{arc.x + arc.r * std::cos(degrees * M_PI / 180),
                         arc.y + arc.r * std::sin(degrees * M_PI / 180)};
    };
    for (double degrees : {arc.a, arc.b}) {
        const auto [ex, ey] = end(degrees);
        for (const auto &l : lines)
            if ((near(l[0], l[1], arc.x, arc.y) && near(l[2], l[3], ex, ey)) ||
                (near(l[2], l[3], arc.x, arc.y) && near(l[0], l[1], ex, ey)))
                return true;
    }
    return false;
}

ButtonPress door(const char *width)
{
    FormState state = katabirakito100().initialState();
    setInput(katabirakito100(), state, "Combo1", width);
    return press(katabirakito100(), state, "Command2");
}

} // namespace

class TestDoors : public QObject
{
    Q_OBJECT

private slots:
    void twoClientsDrawDoorsAtOnce()
    {
        QTemporaryDir dir;
        const QString dxf = dir.filePath("doors.dxf");
        QProcess host;
        host.setProcessChannelMode(QProcess::ForwardedChannels);
        host.start(QStringLiteral(QUENDRA_BIN_DIR "/quendra-host"), {"--headless", "--out", dxf});
        QVERIFY(host.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(QString::fromStdString(socketPath(cadService, cadTopic))),
                                 10000);

        Shell shell([] { return makeSocketTransport(std::chrono::milliseconds(5000)); });
        shell.app.showMainWindow();
        shell.app.mainWindow().findChild<QAction *>("i")->trigger();
        auto *dialog = qobject_cast<SymbolDialog *>(shell.app.loadedForm("katabirakito100"));
        QVERIFY(dialog);
        qobject_cast<QComboBox *>(dialog->input("Combo1"))->setEditText("800");

        // The other client: the frames and scripts of a 900 door, as fast as the host takes them.
        const ButtonPress wide = door("900");
        std::atomic<int> failures{0};
        std::unique_ptr<QThread> other(QThread::create([&wide, &failures] {
            CadLink link(makeSocketTransport(std::chrono::milliseconds(5000)));
            if (link.open(cadService, cadTopic) != LinkError::None || !link.hostReadsSymbols()) {
                ++failures;
                return;
            }
            for (int i = 0; i < doorsEach; ++i) {
                SymbolFrame begin{
                    SymbolFrame::Kind::Begin, "katabirakito100", "片開キ戸", false, {{"Combo1", "900"}}, {}};
                std::vector<std::string> frames{encodeSymbolFrame(begin)};
                for (const std::string &s : wide.outcome.scripts())
                    frames.push_back(s);
                frames.push_back(encodeSymbolFrame({SymbolFrame::Kind::End, {}, {}, false, {}, {}}));
                for (const std::string &f : frames)
                    if (link.execute(f) != LinkError::None) ++failures;
            }
        }));
        other->start();
        for (int i = 0; i < doorsEach; ++i) {
            dialog->commandButton("Command2")->click();
            QTest::qWait(1);
        }
        QVERIFY(other->wait(30000));
        QCOMPARE(failures.load(), 0);
        QCOMPARE(shell.messageTexts(), std::vector<std::string>{});

        CadLink last(makeSocketTransport(std::chrono::milliseconds(5000)));
        QCOMPARE(last.open(cadService, cadTopic), LinkError::None);
        QCOMPARE(last.execute("U "), LinkError::None);
        QCOMPARE(last.execute("EXIT "), LinkError::None);
        QVERIFY(host.waitForFinished(15000));

        // The lines of one door, as the interpreter draws them.
        cad::Drawing one;
        cad::Interpreter interpreter(one);
        for (const std::string &s : wide.outcome.scripts())
            interpreter.feed(s);
        const std::size_t linesPerDoor = one.size() - 1;

        const Read read = readBack(dxf);
        QCOMPARE(read.arcs.size(), std::size_t(2 * doorsEach - 1));
        QCOMPARE(read.lines.size(), (2 * doorsEach - 1) * linesPerDoor);
        for (const Read::Arc &arc : read.arcs)
            QVERIFY2(
                onItsLeaf(arc, read.lines),
                qPrintable(QStringLiteral("arc at %1,%2 r %3 has no leaf").arg(arc.x).arg(arc.y).arg(arc.r)));
    }
};

QTEST_MAIN(TestDoors)
#include "TestDoors.moc"
