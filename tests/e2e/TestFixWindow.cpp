// quendra → socket → quendra-host --headless → DXF, read back by ezdxf: the FIX window opened from
// the main window's menu, its base point picked by the host, drawn at each of the four angles; the
// form comes back by itself after each pick and each draw.

#include "app/ExitDialog.h"
#include "app/MainWindow.h"
#include "dialogs/SymbolDialog.h"
#include "tests/app/AppHarness.h"
#include "tests/support/EzdxfDump.h"

#include "link/CadLink.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <cmath>
#include <set>

using namespace quendra;

namespace {

QString line(double x1, double y1, double x2, double y2)
{
    const auto n = [](double v) { return QString::number(v == 0 ? 0.0 : v, 'g', 12); };
    const QString a = n(x1) + "," + n(y1), b = n(x2) + "," + n(y2);
    return a < b ? a + " " + b : b + " " + a;
}

// The FIX window of width W as the host should have drawn it at `angle` around (bx, by).
std::set<QString> expectedFix(int angle, double bx, double by, double W = 500)
{
    const double rows[][4] = {{0, 50, W + 100, 50},
                              {W + 100, -50, 0, -50},
                              {50, 50, 50, -50},
                              {W + 50, -50, W + 50, 50},
                              {W + 50, 0, 50, 0}};
    const double c = std::round(std::cos(angle * M_PI / 180)), s = std::round(std::sin(angle * M_PI / 180));
    std::set<QString> out;
    for (const auto &r : rows)
        out.insert(line(bx + c * r[0] - s * r[1], by + s * r[0] + c * r[1], bx + c * r[2] - s * r[3],
                        by + s * r[2] + c * r[3]));
    return out;
}

std::set<QString> linesIn(const QString &dxf)
{
    std::set<QString> out;
    for (const QString &l : ezdxfDump(dxf)) {
        const QStringList parts = l.split(' ');
        if (parts.size() != 3 || parts[0] != "L") continue;
        const QStringList a = parts[1].split(','), b = parts[2].split(',');
        out.insert(line(a[0].toDouble(), a[1].toDouble(), b[0].toDouble(), b[1].toDouble()));
    }
    return out;
}

} // namespace

class TestFixWindow : public QObject
{
    Q_OBJECT

private slots:
    void drawsAtThePickedPointAtEachAngle()
    {
        QTemporaryDir dir;
        const QString dxf = dir.filePath("plan.dxf");
        QProcess host;
        host.setProcessChannelMode(QProcess::ForwardedChannels);
        QStringList args{"--headless", "--out", dxf};
        for (int i = 0; i < 4; ++i)
            args << "--pick"
                 << "1000,2000";
        host.start(QStringLiteral(QUENDRA_BIN_DIR "/quendra-host"), args);
        QVERIFY(host.waitForStarted());
        const QString socket = QString::fromStdString(socketPath(cadService, cadTopic));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(socket), 10000);

        Shell shell([] { return makeSocketTransport(std::chrono::milliseconds(5000)); });
        shell.app.showMainWindow();
        auto *entry = shell.app.mainWindow().findChild<QAction *>("g");
        QVERIFY(entry);
        QVERIFY(entry->isEnabled());
        entry->trigger();
        auto *fix = qobject_cast<SymbolDialog *>(shell.app.loadedForm("fix100"));
        QVERIFY(fix);
        QVERIFY(fix->isVisible());
        QVERIFY(!shell.app.mainWindow().isVisible());

        for (const char *angle : {"0", "90", "180", "270"}) {
            qobject_cast<QComboBox *>(fix->input("Combo2"))->setEditText(angle);
            fix->showNormal();
            fix->commandButton("Command1")->click();
            QVERIFY(fix->isMinimized());
            // The host tells when the point is picked: the form comes back by itself, ready to draw.
            QTRY_VERIFY_WITH_TIMEOUT(!fix->isMinimized(), 5000);
            QCOMPARE(fix->focusWidget(), fix->commandButton("Command2"));
            fix->commandButton("Command2")->click();
            // And once the symbol is drawn, ready for the next base point.
            QTRY_VERIFY_WITH_TIMEOUT(!fix->isMinimized(), 5000);
        }
        QCOMPARE(shell.messageTexts(), std::vector<std::string>{});

        // LT共終了: "EXIT " ends the host, which writes its drawing.
        fix->commandButton("Command3")->click();
        auto *both = shell.app.exitDialog().findChild<QPushButton *>("Command1");
        QVERIFY(both);
        both->click();
        QVERIFY(host.waitForFinished(15000));

        std::set<QString> expected;
        for (int angle : {0, 90, 180, 270})
            expected.merge(expectedFix(angle, 1000, 2000));
        QCOMPARE(linesIn(dxf), expected);
    }

    // SYMEDIT (a double click in the window) brings the form back with the window's inputs; the
    // next draw takes the old window's place at its base point, in one undo step.
    void drawnAgainInItsPlace()
    {
        QTemporaryDir dir;
        const QString dxf = dir.filePath("plan.dxf");
        QProcess host;
        host.setProcessChannelMode(QProcess::ForwardedChannels);
        host.start(QStringLiteral(QUENDRA_BIN_DIR "/quendra-host"),
                   {"--headless", "--out", dxf, "--pick", "1000,2000"});
        QVERIFY(host.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(QString::fromStdString(socketPath(cadService, cadTopic))),
                                 10000);

        Shell shell([] { return makeSocketTransport(std::chrono::milliseconds(5000)); });
        shell.app.listenForEdits();
        shell.app.openForm("fix100");
        auto *fix = qobject_cast<SymbolDialog *>(shell.app.loadedForm("fix100"));
        auto *width = qobject_cast<QComboBox *>(fix->input("Combo1"));
        width->setEditText("1700");
        fix->commandButton("Command1")->click();
        QTRY_VERIFY_WITH_TIMEOUT(!fix->isMinimized(), 5000);
        fix->commandButton("Command2")->click();
        QTRY_VERIFY_WITH_TIMEOUT(!fix->isMinimized(), 5000);
        width->setEditText("600");
        fix->hide();

        // Another point picked meanwhile; then the window's glass line is picked for SYMEDIT.
        CadLink user(makeSocketTransport(std::chrono::milliseconds(5000)));
        QCOMPARE(user.open(cadService, cadTopic), LinkError::None);
        QCOMPARE(user.execute("ID 5000,5000 SYMEDIT 1500,2000 "), LinkError::None);
        QTRY_VERIFY_WITH_TIMEOUT(fix->isVisible() && width->currentText() == "1700", 5000);
        width->setEditText("1800");
        fix->commandButton("Command2")->click();
        QTRY_VERIFY_WITH_TIMEOUT(!fix->isMinimized(), 5000);
        QCOMPARE(shell.messageTexts(), std::vector<std::string>{});

        QCOMPARE(user.execute("SAVE "), LinkError::None);
        QCOMPARE(linesIn(dxf), expectedFix(0, 1000, 2000, 1800));
        QCOMPARE(user.execute("U "), LinkError::None);
        QCOMPARE(user.execute("EXIT "), LinkError::None);
        QVERIFY(host.waitForFinished(15000));
        QCOMPARE(linesIn(dxf), expectedFix(0, 1000, 2000, 1700));
    }
};

QTEST_MAIN(TestFixWindow)
#include "TestFixWindow.moc"
