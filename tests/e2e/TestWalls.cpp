// quendra → socket → quendra-host --headless, a plan made by ezdxf: a sliding window picked on a
// wall takes the wall's angle by itself and cuts the wall's faces, one U and ERASE make the walls
// whole again. The host's DXF is read back by ezdxf.

#include "app/MainWindow.h"
#include "dialogs/SymbolDialog.h"
#include "tests/app/AppHarness.h"
#include "tests/support/EzdxfDump.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <set>

using namespace quendra;

namespace {

// A 150-thick level wall of two LINEs, an upright one of two LWPOLYLINEs, and a level one in a
// block reference.
bool makePlan(const QString &path)
{
    QProcess python;
    python.start("/usr/bin/python3", {"-c",
                                      "import sys, ezdxf\n"
                                      "d = ezdxf.new('R2018')\n"
                                      "m = d.modelspace()\n"
                                      "m.add_line((0, 75), (10000, 75))\n"
                                      "m.add_line((0, -75), (10000, -75))\n"
                                      "m.add_lwpolyline([(12000, 0), (12000, 6000)])\n"
                                      "m.add_lwpolyline([(12150, 0), (12150, 6000)])\n"
                                      "b = d.blocks.new('WALL')\n"
                                      "b.add_line((0, 75), (6000, 75))\n"
                                      "b.add_line((0, -75), (6000, -75))\n"
                                      "m.add_blockref('WALL', (0, 5000))\n"
                                      "d.saveas(sys.argv[1])\n",
                                      path});
    return python.waitForFinished(60000) && python.exitCode() == 0;
}

// The lines and polylines of a DXF as ezdxf reads them, a line's ends in the order of their text.
std::set<QString> entitiesIn(const QString &dxf)
{
    std::set<QString> out;
    for (const QString &l : ezdxfDump(dxf)) {
        QStringList parts = l.split(' ');
        if (parts.size() == 3 && parts[0] == "L" && parts[2] < parts[1]) parts.swapItemsAt(1, 2);
        if (parts[0] == "L" || parts[0] == "P") out.insert(parts.join(' '));
    }
    return out;
}

} // namespace

class TestWalls : public QObject
{
    Q_OBJECT

private slots:
    void windowsAreSetIntoWalls()
    {
        QTemporaryDir dir;
        const QString plan = dir.filePath("plan.dxf"), out = dir.filePath("out.dxf");
        QVERIFY(makePlan(plan));
        QProcess host;
        host.setProcessChannelMode(QProcess::ForwardedChannels);
        host.start(QStringLiteral(QUENDRA_BIN_DIR "/quendra-host"),
                   {"--headless", plan, "--out", out, "--pick", "3000,-30", "--pick", "3000,4970", "--pick",
                    "12140,1000"});
        QVERIFY(host.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(QString::fromStdString(socketPath(cadService, cadTopic))),
                                 10000);

        Shell shell([] { return makeSocketTransport(std::chrono::milliseconds(5000)); });
        shell.app.showMainWindow();
        shell.app.mainWindow().findChild<QAction *>("d")->trigger();
        auto *window = qobject_cast<SymbolDialog *>(shell.app.loadedForm("hikitigai100"));
        QVERIFY(window);
        auto *angle = qobject_cast<QComboBox *>(window->input("Combo2"));
        qobject_cast<QComboBox *>(window->input("Combo1"))->setEditText("1700");
        // Picked on each wall, the window lies along it without an angle typed.
        for (const char *expected : {"0", "0", "90"}) {
            angle->setEditText("180");
            window->showNormal();
            window->commandButton("Command1")->click();
            QTRY_VERIFY_WITH_TIMEOUT(!window->isMinimized(), 5000);
            QCOMPARE(angle->currentText(), QString(expected));
            window->commandButton("Command2")->click();
        }
        QCOMPARE(shell.messageTexts(), std::vector<std::string>{});

        CadLink link(makeSocketTransport(std::chrono::milliseconds(5000)));
        QCOMPARE(link.open(cadService, cadTopic), LinkError::None);
        QCOMPARE(link.execute("QSAVE "), LinkError::None);
        const std::set<QString> cut = entitiesIn(out);
        for (const char *piece :
             {"L 0,75 3000,75", "L 10000,75 4800,75", "L 0,-75 3000,-75", "L 10000,-75 4800,-75",
              "L 3000,-75 3000,75", "L 4800,-75 4800,75", "P 12000,0 12000,1000", "P 12000,2800 12000,6000",
              "P 12150,0 12150,1000", "P 12150,2800 12150,6000", "L 12000,1000 12150,1000",
              "L 12000,2800 12150,2800"})
            QVERIFY2(cut.count(piece) == 1, piece);
        QVERIFY(cut.count("L 0,75 10000,75") == 0);
        // A wall in a block stays whole: the window is drawn, no jamb lines.
        QVERIFY(cut.count("L 3000,4925 3000,5075") == 0 && cut.count("L 3050,4950 3050,5050") == 1);

        // One U takes the upright window and its opening back; ERASE of the level one closes
        // its opening.
        QCOMPARE(link.execute("U "), LinkError::None);
        QCOMPARE(link.execute("ERASE 3900,0 \r"), LinkError::None);
        QCOMPARE(link.execute("EXIT "), LinkError::None);
        QVERIFY(host.waitForFinished(15000));
        // The walls whole again; the window in the block wall stays.
        const std::set<QString> whole = entitiesIn(out);
        for (const char *face : {"L 0,-75 10000,-75", "L 0,75 10000,75", "P 12000,0 12000,6000",
                                 "P 12150,0 12150,6000", "L 3050,4950 3050,5050"})
            QVERIFY2(whole.count(face) == 1, face);
        for (const char *gone : {"L 3000,-75 3000,75", "L 0,75 3000,75", "P 12000,0 12000,1000",
                                 "L 12000,1000 12150,1000", "L 3050,-50 3050,50"})
            QVERIFY2(whole.count(gone) == 0, gone);
    }
};

QTEST_MAIN(TestWalls)
#include "TestWalls.moc"
