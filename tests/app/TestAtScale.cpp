// Every window of the assistant on a 1280x1024 screen at twice the scale: on the screen whole,
// and nothing in it squeezed (a number box keeps room for five digits).

#include "app/ExitDialog.h"
#include "app/MainWindow.h"
#include "app/OpeningWindow.h"
#include "app/StartupDialog.h"
#include "app/VersionDialog.h"
#include "symbols/Forms.h"
#include "tests/app/AppHarness.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryFile>
#include <QTest>

using namespace quendra;

namespace {

// The width `w` needs to show itself: a number box five digits with its frame (and arrow), a
// button its caption, a label or an option its text; 0 for what shows no text of its own.
int needed(QWidget *w)
{
    const QFontMetrics fm = w->fontMetrics();
    const int digits = fm.horizontalAdvance(QStringLiteral("00000"));
    if (qobject_cast<QLineEdit *>(w) && !qobject_cast<QComboBox *>(w->parentWidget())) return digits + 8;
    if (qobject_cast<QComboBox *>(w)) return digits + 8 + fm.height();
    if (auto *push = qobject_cast<QPushButton *>(w))
        return fm.horizontalAdvance(QString(push->text()).remove(QLatin1Char('&'))) + 4;
    if (qobject_cast<QAbstractButton *>(w) || qobject_cast<QLabel *>(w)) return w->minimumSizeHint().width();
    return 0;
}

// What in `window` is narrower or lower than it needs to show itself.
QStringList squeezed(QWidget &window)
{
    QStringList found;
    for (QWidget *w : window.findChildren<QWidget *>()) {
        if (!w->isVisibleTo(&window)) continue;
        const int width = needed(w);
        if (width == 0) continue;
        if (w->width() < width || w->height() < w->fontMetrics().height())
            found << QStringLiteral("%1 %2 %3x%4 (%5)")
                         .arg(w->metaObject()->className(), w->objectName())
                         .arg(w->width())
                         .arg(w->height())
                         .arg(width);
    }
    return found;
}

void checkOnScreen(QWidget &window)
{
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QRect screen = window.screen()->availableGeometry();
    QVERIFY2(screen.contains(window.frameGeometry()), qPrintable(window.objectName()));
    const QStringList narrow = squeezed(window);
    QVERIFY2(narrow.isEmpty(), qPrintable(window.objectName() + ": " + narrow.join(", ")));
}

} // namespace

class TestAtScale : public QObject
{
    Q_OBJECT

private slots:
    void theScreenIsHalfAsLargeInItsOwnPixels()
    {
        QCOMPARE(QGuiApplication::primaryScreen()->geometry().size(), QSize(640, 512));
    }

    void everySymbolFormFitsTheScreen()
    {
        Shell shell;
        for (const FormDefinition *form : allForms()) {
            const QString name = QString::fromStdString(form->name);
            shell.app.openForm(name);
            QWidget *w = shell.app.loadedForm(name);
            QVERIFY2(w, qPrintable(name));
            checkOnScreen(*w);
            w->hide();
        }
    }

    void theShellsWindowsFitTheScreen()
    {
        Shell shell;
        checkOnScreen(shell.app.startupDialog());
        checkOnScreen(shell.app.openingWindow());
        checkOnScreen(shell.app.exitDialog());
        checkOnScreen(shell.app.versionDialog());
        MainWindow &main = shell.app.mainWindow();
        checkOnScreen(main);
        main.menu().calc->trigger();
        QVERIFY(shell.app.calculator());
        checkOnScreen(*shell.app.calculator());
        main.menu().mnuonoff->trigger(); // the editor and the sketch pad
        checkOnScreen(main);
    }
};

int main(int argc, char **argv)
{
    // A screen of 1280x1024 device pixels, shown at twice the scale.
    QTemporaryFile config(QDir::tempPath() + QStringLiteral("/screen-XXXXXX.json"));
    if (!config.open()) return 2;
    config.write(R"({"screens": [{"name": "big", "x": 0, "y": 0, "width": 1280, "height": 1024,
                     "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    config.flush();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toLocal8Bit());
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestAtScale test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestAtScale.moc"
