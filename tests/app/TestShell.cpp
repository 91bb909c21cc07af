#include "app/ExitDialog.h"
#include "app/MainWindow.h"
#include "app/OpeningWindow.h"
#include "app/StartupDialog.h"
#include "app/VersionDialog.h"
#include "app/platform/Platform.h"
#include "dialogs/SymbolDialog.h"
#include "tests/app/AppHarness.h"
#include "tests/support/RecordingServer.h"
#include "tools/SketchFiles.h"
#include "tools/SketchPad.h"
#include "tools/TextEditor.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace quendra;
using Answer = MessageService::Answer;
using Kind = Desktop::Request::Kind;

namespace {

template <class T = QPushButton> T *child(QWidget &w, const char *name)
{
    return w.findChild<T *>(QString::fromLatin1(name));
}

void closeWithCloseBox(QWidget &w)
{
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.close();
}

const Message plainEnd{"プログラムを終了します。", Icon::None, MessageService::applicationTitle};
const Message boxEnd{"プログラムを終了します。", Icon::Exclamation, "Quendra_LT"};

bool same(const Message &a, const Message &b)
{
    return a.text == b.text && a.icon == b.icon && a.title == b.title;
}

QString writeScript(const QString &path, const QByteArray &body, bool executable)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(body);
    f.close();
    f.setPermissions(executable ? (QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)
                                : (QFile::ReadOwner | QFile::WriteOwner));
    return path;
}

} // namespace

class TestShell : public QObject
{
    Q_OBJECT

private slots:
    void startupDialog()
    {
        Shell s;
        s.app.start();
        StartupDialog &kidou = s.app.startupDialog();
        QCOMPARE(kidou.objectName(), QStringLiteral("kidou"));
        QCOMPARE(kidou.windowTitle(), QStringLiteral("Quendra_LT(起動ダイアログボックス)"));
        QCOMPARE(child<QLabel>(kidou, "Label1")->text(), QStringLiteral("Quendra_LTへようこそ！"));
        QCOMPARE(child<QRadioButton>(kidou, "Option1")->text(),
                 QStringLiteral("AutoCAD LTを同時に起動する。"));
        QCOMPARE(child<QRadioButton>(kidou, "Option2")->text(),
                 QStringLiteral("AutoCAD LTを同時に起動しない。"));
        QVERIFY(child<QRadioButton>(kidou, "Option1")->isChecked());
        QCOMPARE(child(kidou, "Command1")->text(), QStringLiteral("OK(&Y)"));
        QVERIFY(child(kidou, "Command1")->isDefault());
    }

    void enterTakesTheLaunchPathAndACancelledDialogStillOpens()
    {
        Shell s;
        s.app.start();
        QVERIFY(QTest::qWaitForWindowExposed(&s.app.startupDialog()));
        QTest::keyClick(&s.app.startupDialog(), Qt::Key_Return);
        QVERIFY(!s.app.startupDialog().isVisible());
        OpeningWindow &start = s.app.openingWindow();
        QVERIFY(start.isVisible());
        QCOMPARE(start.windowTitle(), QStringLiteral("Quendra_LT"));
        QVERIFY(s.messages.history().empty()); // the cancel is quiet
        const Desktop::Request &dialog = s.desktop.history().at(0);
        QCOMPARE(dialog.kind, Kind::Open);
        QCOMPARE(dialog.filters, platform::hostProgramFilters());
        QVERIFY(dialog.filters.contains(QStringLiteral("AutoCAD LT実行ﾌｧｲﾙ(aclt.exe)")));
        QCOMPARE(dialog.selectedFilter, platform::hostProgramFilterIndex());
        QCOMPARE(dialog.folder, QApplication::applicationDirPath());
        // A click anywhere, the prompt included, opens the main window.
        QTest::mouseClick(child<QLabel>(start, "Label2"), Qt::LeftButton);
        QVERIFY(s.app.mainWindow().isVisible());
        QVERIFY(!start.isVisible());
    }

    void launchStartsTheChosenProgram()
    {
        Shell s;
        const QString marker = s.dir.filePath(QStringLiteral("started"));
        s.desktop.queueAnswer(writeScript(s.dir.filePath(QStringLiteral("quendra-host")),
                                          "#!/bin/sh\necho up > '" + marker.toUtf8() + "'\n", true));
        s.app.start();
        child(s.app.startupDialog(), "Command1")->click();
        QTRY_VERIFY(QFile::exists(marker));
        QVERIFY(s.messages.history().empty());
        QVERIFY(s.app.openingWindow().isVisible());
    }

#ifndef _WIN32
    // LibreCAD chosen in the start-up's file dialog comes up with its bridge on, and the link's
    // messages name it from then on.
    void launchingLibreCadSwitchesItsBridgeOnAndNamesIt()
    {
        Shell s;
        const QString marker = s.dir.filePath(QStringLiteral("bridge"));
        s.desktop.queueAnswer(writeScript(s.dir.filePath(QStringLiteral("librecad")),
                                          "#!/bin/sh\necho \"$QUENDRA_BRIDGE\" > '" + marker.toUtf8() + "'\n",
                                          true));
        s.app.start();
        child(s.app.startupDialog(), "Command1")->click();
        QTRY_VERIFY(QFileInfo(marker).size() > 0);
        QFile started(marker);
        QVERIFY(started.open(QIODevice::ReadOnly));
        QCOMPARE(started.readAll(), QByteArray("on\n"));
        const std::string message = describe(LinkError::NoHost);
        chooseHost(ChosenHost::AutoCadLt);
        QCOMPARE(message,
                 std::string("LibreCADとの通信に失敗しました。LibreCADが起動し、プラグインの「Quendra_LT "
                             "連携」が入っているか確認して下さい。"));
    }
#endif

    void aFileThatCannotBeStartedGetsAMessage()
    {
        Shell s;
        const QString file = writeScript(s.dir.filePath(QStringLiteral("aclt.exe")), "not a program", false);
        s.desktop.queueAnswer(file);
        s.app.start();
        child(s.app.startupDialog(), "Command1")->click();
        QCOMPARE(s.messages.history().size(), size_t(1));
        QVERIFY(QString::fromStdString(s.messages.history()[0].message.text)
                    .contains(QStringLiteral("起動できませんでした")));
        QCOMPARE(s.messages.history()[0].message.title, std::string("Quendra_LT"));
        QVERIFY(s.app.openingWindow().isVisible());
    }

    void withoutLaunchTheMainWindowOpensAtOnce()
    {
        Shell s;
        s.app.start();
        child<QRadioButton>(s.app.startupDialog(), "Option2")->setChecked(true);
        child(s.app.startupDialog(), "Command1")->click();
        QVERIFY(s.app.mainWindow().isVisible());
        QVERIFY(!s.app.startupDialog().isVisible());
        QVERIFY(s.desktop.history().empty());
    }

    void noChoiceGetsAMessage()
    {
        Shell s;
        s.app.start();
        for (const char *name : {"Option1", "Option2"}) {
            auto *o = child<QRadioButton>(s.app.startupDialog(), name);
            o->setAutoExclusive(false);
            o->setChecked(false);
        }
        child(s.app.startupDialog(), "Command1")->click();
        QCOMPARE(s.messageTexts(), std::vector<std::string>{"起動方法を選択して下さい。"});
        QVERIFY(s.app.startupDialog().isVisible());
    }

    void closeBoxesEndTheProgram_data()
    {
        QTest::addColumn<int>("window");
        QTest::addColumn<bool>("plain");
        QTest::newRow("kidou") << 0 << false;
        QTest::newRow("start") << 1 << true;
        QTest::newRow("main window") << 2 << false;
        QTest::newRow("syuuryou") << 3 << true;
    }
    void closeBoxesEndTheProgram()
    {
        QFETCH(int, window);
        QFETCH(bool, plain);
        Shell s;
        QWidget *w = nullptr;
        switch (window) {
        case 0:
            w = &s.app.startupDialog();
            break;
        case 1:
            w = &s.app.openingWindow();
            break;
        case 2:
            w = &s.app.mainWindow();
            break;
        default:
            w = &s.app.exitDialog();
            break;
        }
        w->show();
        closeWithCloseBox(*w);
        QVERIFY(s.app.hasEnded());
        QCOMPARE(s.messages.history().size(), size_t(1));
        QVERIFY(same(s.messages.history()[0].message, plain ? plainEnd : boxEnd));
        QVERIFY(!w->isVisible());
    }

    void exitDialog()
    {
        Shell s;
        ExitDialog &d = s.app.exitDialog();
        QCOMPARE(d.objectName(), QStringLiteral("syuuryou"));
        QCOMPARE(d.windowTitle(), QStringLiteral("Quendra_LT"));
        QCOMPARE(child<QLabel>(d, "Label1")->text(), QStringLiteral("プログラムを終了します。"));
        QCOMPARE(child<QLabel>(d, "Label2")->text(),
                 QStringLiteral("AutoCAD LTも終了させるか選択して下さい。"));
        QCOMPARE(child(d, "Command1")->text(), QStringLiteral("LT共終了(&L)"));
        QCOMPARE(child(d, "Command3")->text(), QStringLiteral("終　了(&Q)"));
        QCOMPARE(child(d, "Command2")->text(), QStringLiteral("戻る(&B)"));
    }

    void enterEndsWithTheHostSendingExactlyExit()
    {
        Shell s;
        s.app.showExitDialog();
        QVERIFY(QTest::qWaitForWindowExposed(&s.app.exitDialog()));
        QTest::keyClick(&s.app.exitDialog(), Qt::Key_Return);
        QCOMPARE(s.sent(), QByteArray("EXIT "));
        QVERIFY(s.app.hasEnded());
        QVERIFY(s.messages.history().empty());
    }

    void exitReachesAHostOverTheSocket()
    {
        ServerThread host;
        Shell s([] { return makeSocketTransport(std::chrono::milliseconds(1500)); });
        child(s.app.exitDialog(), "Command1")->click();
        QTRY_COMPARE(host.server().scripts(), std::vector<std::string>{"EXIT "});
        QVERIFY(s.app.hasEnded());
    }

    void aFailedExitSendIsReported()
    {
        Shell s([] { return makeSocketTransport(std::chrono::milliseconds(300)); });
        child(s.app.exitDialog(), "Command1")->click();
        QCOMPARE(s.messageTexts(), std::vector<std::string>{describe(LinkError::NoHost)});
        QCOMPARE(s.messages.history()[0].message.title, std::string("Quendra_LT"));
        QVERIFY(s.app.hasEnded());
    }

    void escapeGoesBack()
    {
        Shell s;
        s.app.mainWindow().show();
        s.app.mainWindow().findChild<QAction *>(QStringLiteral("mnuonoff"))->trigger();
        s.app.mainWindow().findChild<QAction *>(QStringLiteral("owari"))->trigger();
        QVERIFY(!s.app.mainWindow().isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(&s.app.exitDialog()));
        QTest::keyClick(&s.app.exitDialog(), Qt::Key_Escape);
        QVERIFY(!s.app.exitDialog().isVisible());
        QVERIFY(s.app.mainWindow().isVisible());
        QVERIFY(s.app.mainWindow().editorSketchMode()); // as it was
        QVERIFY(!s.app.hasEnded());
        QCOMPARE(s.sent(), QByteArray());
    }

    void endAloneSaysSoPlainly()
    {
        Shell s;
        child(s.app.exitDialog(), "Command3")->click();
        QCOMPARE(s.messages.history().size(), size_t(1));
        QVERIFY(same(s.messages.history()[0].message, plainEnd));
        QVERIFY(s.app.hasEnded());
        QCOMPARE(s.sent(), QByteArray());
    }

    void quitPath_data()
    {
        QTest::addColumn<bool>("changed");
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<bool>("saved");
        QTest::newRow("unchanged") << false << Answer::No << false;
        QTest::newRow("changed, yes") << true << Answer::Yes << true;
        QTest::newRow("changed, no") << true << Answer::No << false;
        QTest::newRow("changed, cancel") << true << Answer::Cancel << false;
    }
    void quitPath()
    {
        QFETCH(bool, changed);
        QFETCH(Answer, answer);
        QFETCH(bool, saved);
        Shell s;
        MainWindow &main = s.app.mainWindow();
        main.show();
        if (changed)
            main.findChild<QPlainTextEdit *>(QStringLiteral("Text1"))
                ->insertPlainText(QStringLiteral("メモ"));
        const QString file = s.dir.filePath(QStringLiteral("memo.txt"));
        s.messages.queueAnswer(answer);
        s.desktop.queueAnswer(file);
        main.findChild<QAction *>(QStringLiteral("owari"))->trigger();
        QCOMPARE(s.messages.history().size(), size_t(changed ? 1 : 0));
        if (changed) {
            QCOMPARE(s.messageTexts()[0], std::string(TextEditor::promptText));
            QCOMPARE(s.messages.history()[0].buttons, MessageService::Buttons::YesNoCancel);
        }
        QCOMPARE(QFile::exists(file), saved);
        if (answer == Answer::Cancel) {
            QVERIFY(main.isVisible());
            QVERIFY(!s.app.exitDialog().isVisible());
            return;
        }
        QVERIFY(s.app.exitDialog().isVisible());
        QVERIFY(!main.isVisible());
        // Having answered, the user is not asked again on the way out.
        child(s.app.exitDialog(), "Command3")->click();
        QCOMPARE(s.messages.history().size(), size_t(changed ? 2 : 1));
        QVERIFY(s.app.hasEnded());
    }

    void everyEndAsksForAChangedText()
    {
        Shell s;
        MainWindow &main = s.app.mainWindow();
        main.show();
        main.findChild<QPlainTextEdit *>(QStringLiteral("Text1"))->insertPlainText(QStringLiteral("途中"));
        const QString file = s.dir.filePath(QStringLiteral("rescued.txt"));
        s.messages.queueAnswer(Answer::Ok);
        s.messages.queueAnswer(Answer::Yes);
        s.desktop.queueAnswer(file);
        main.close();
        QCOMPARE(s.messageTexts(),
                 (std::vector<std::string>{"プログラムを終了します。", TextEditor::promptText}));
        QFile saved(file);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), QByteArray("途中\r\n"));
        QVERIFY(s.app.hasEnded());
    }

    // The path: a changed sketch, 終了 in a form, 終　了, OK, Yes, the file dialog cancelled.
    void aCancelledSaveKeepsTheProgramAndTheSketch()
    {
        Shell s;
        MainWindow &main = s.app.mainWindow();
        main.show();
        main.findChild<QAction *>(QStringLiteral("mnusukechi"))->trigger();
        auto *pad = main.findChild<SketchPad *>();
        pad->setModified(true);
        s.app.openForm(QStringLiteral("kabe"));
        qobject_cast<SymbolDialog *>(s.app.loadedForm(QStringLiteral("kabe")))
            ->commandButton("Command3")
            ->click();
        s.messages.queueAnswer(Answer::Ok);
        s.messages.queueAnswer(Answer::Yes);
        s.desktop.queueAnswer(QString());
        s.messages.queueAnswer(Answer::Cancel);
        child(s.app.exitDialog(), "Command3")->click();
        QCOMPARE(s.messageTexts(),
                 (std::vector<std::string>{"プログラムを終了します。", SketchFiles::promptText,
                                           SketchFiles::promptText}));
        QVERIFY(!s.app.hasEnded());
        QVERIFY(s.app.exitDialog().isVisible());
        QVERIFY(pad->isModified());
        // Nor is a close box: the form's, the main window's.
        s.messages.clear();
        s.app.openForm(QStringLiteral("kabe"));
        QVERIFY(!qobject_cast<SymbolDialog *>(s.app.loadedForm(QStringLiteral("kabe")))->closeBox());
        s.app.showMainWindow();
        closeWithCloseBox(main);
        QVERIFY(main.isVisible());
        QVERIFY(!s.app.hasEnded());
        QVERIFY(pad->isModified());
    }

    void versionDialog()
    {
        Shell s;
        s.app.mainWindow().show();
        s.app.mainWindow().findChild<QAction *>(QStringLiteral("ad"))->trigger();
        VersionDialog &v = s.app.versionDialog();
        QVERIFY(v.isVisible());
        QVERIFY(!s.app.mainWindow().isVisible());
        QCOMPARE(v.objectName(), QStringLiteral("barjyon"));
        QCOMPARE(v.windowTitle(), QStringLiteral("Quendra_LT(バージョン情報)"));
        const std::vector<std::pair<const char *, QString>> labels{
            {"Label5", "Quendra_LT for AutoCAD LT"},
            {"Label6", "VER 1.04.6"},
            {"Label7", "for Windows95"},
            {"Label1", "Quendra_LT VER1.04.6 for Windows95"}};
        for (const auto &[name, text] : labels)
            QCOMPARE(child<QLabel>(v, name)->text(), text);
        QCOMPARE(child<QLabel>(v, "Label5")->font().family(), QStringLiteral("Arial Black"));
        QCOMPARE(child<QLabel>(v, "Label1")->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
        for (const char *credit : {"Label2", "Label3", "Label4"})
            QVERIFY(!child<QLabel>(v, credit)->text().isEmpty());
        QCOMPARE(child(v, "Command1")->text(), QStringLiteral("O K"));
        QVERIFY(child(v, "Command1")->isDefault());
        child(v, "Command1")->click();
        QVERIFY(s.app.mainWindow().isVisible());
        QVERIFY(!v.isVisible());
    }

    void closingTheVersionDialogLeadsToTheExitDialog()
    {
        Shell s;
        VersionDialog &v = s.app.versionDialog();
        v.show();
        closeWithCloseBox(v);
        QVERIFY(s.app.exitDialog().isVisible());
        QVERIFY(!v.isVisible());
        QVERIFY(!s.app.hasEnded());
        QVERIFY(s.messages.history().empty());
    }

    void symbolEntryOpensItsFormOnceAndHidesTheMainWindow()
    {
        Shell s;
        MainWindow &main = s.app.mainWindow();
        main.show();
        QAction *g = main.findChild<QAction *>(QStringLiteral("g"));
        QVERIFY(g->isEnabled());
        g->trigger();
        QWidget *form = s.app.loadedForm(QStringLiteral("fix100"));
        QVERIFY(form && form->isVisible());
        QCOMPARE(form->objectName(), QStringLiteral("fix100"));
        QVERIFY(!main.isVisible());
        // Left minimised after a pick or a drawing, it still comes up normal from the menu.
        form->showMinimized();
        form->hide();
        s.app.showMainWindow();
        g->trigger();
        QCOMPARE(s.app.loadedForm(QStringLiteral("fix100")), form);
        QVERIFY(form->isVisible());
        QVERIFY(!form->isMinimized());
    }
};

QTEST_MAIN(TestShell)
#include "TestShell.moc"
