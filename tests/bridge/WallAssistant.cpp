// The assistant's side of librecad_wall_window.sh: the real 1/100 sliding window form over the
// socket of the LibreCAD bridge. Its base point is typed at LibreCAD's prompt inside the wall;
// the form must come back with the wall's angle in its angle box by itself, and draw.

#include "dialogs/SymbolDialog.h"
#include "tests/app/AppHarness.h"

#include <QComboBox>
#include <QProcess>
#include <QPushButton>
#include <QTest>

using namespace quendra;

class WallAssistant : public QObject
{
    Q_OBJECT

private slots:
    void windowPickedOnTheWall()
    {
        Shell shell([] { return makeSocketTransport(std::chrono::milliseconds(5000)); });
        const QString form = QStringLiteral("hikitigai100");
        shell.app.openForm(form);
        auto *window = qobject_cast<SymbolDialog *>(shell.app.loadedForm(form));
        QVERIFY(window);
        // W1700 as the form starts; an angle across the wall, which the pick must put right.
        auto *angle = qobject_cast<QComboBox *>(window->input("Combo2"));
        angle->setEditText("180");
        window->showNormal();
        window->commandButton("Command1")->click();
        // LibreCAD asks for the point on its command line.
        QTest::qWait(2000);
        QCOMPARE(QProcess::execute("xdotool", {"type", "--delay", "50", "3000,-30"}), 0);
        QCOMPARE(QProcess::execute("xdotool", {"key", "Return"}), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!window->isMinimized(), 15000);
        QCOMPARE(angle->currentText(), QStringLiteral("0"));
        window->commandButton("Command2")->click();
        QTest::qWait(2000);
        QCOMPARE(shell.messageTexts(), std::vector<std::string>{});
    }
};

QTEST_MAIN(WallAssistant)
#include "WallAssistant.moc"
