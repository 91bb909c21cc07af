#include "app/MainWindow.h"
#include "tests/app/AppHarness.h"
#include "tools/SketchFiles.h"
#include "tools/SketchPad.h"
#include "tools/TextEditor.h"

#include <QAction>
#include <QImageReader>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>

using namespace quendra;
using Answer = MessageService::Answer;

class TestWorkAreas : public QObject
{
    Q_OBJECT

    std::unique_ptr<Shell> shell_;
    MainWindow *window_ = nullptr;
    SketchPad *pad_ = nullptr;

    QAction *act(const char *name, int index = -1)
    {
        for (QAction *a : window_->findChildren<QAction *>(QString::fromLatin1(name)))
            if (index < 0 || a->property("index").toInt() == index) return a;
        return nullptr;
    }
    void trigger(const char *name, int index = -1)
    {
        QAction *a = act(name, index);
        QVERIFY2(a && a->isEnabled(), name);
        a->trigger();
    }
    void draw() { QTest::mouseClick(pad_, Qt::LeftButton, {}, QPoint(20, 20)); }
    QString path(const char *name) const { return shell_->dir.filePath(QString::fromLatin1(name)); }
    QLabel *label3() { return window_->findChild<QLabel *>(QStringLiteral("Label3")); }

private slots:
    void init()
    {
        shell_ = std::make_unique<Shell>();
        shell_->app.showMainWindow();
        window_ = &shell_->app.mainWindow();
        pad_ = window_->findChild<SketchPad *>(QStringLiteral("Picture1"));
        QVERIFY(pad_);
        QVERIFY(QTest::qWaitForWindowExposed(window_));
        trigger("mnuonoff");
    }
    void cleanup() { shell_.reset(); }

    void selectingTheSketchPad()
    {
        window_->findChild<QPlainTextEdit *>(QStringLiteral("Text1"))
            ->insertPlainText(QStringLiteral("memo"));
        shell_->messages.queueAnswer(Answer::No);
        trigger("mnusukechi");
        QCOMPARE(shell_->messageTexts(), std::vector<std::string>{TextEditor::promptText});
        QVERIFY(window_->findChild<QPlainTextEdit *>(QStringLiteral("Text1"))->toPlainText().isEmpty());
        QVERIFY(pad_->isVisible());
        QVERIFY(!window_->findChild<QWidget *>(QStringLiteral("Text1"))->isVisible());
        QVERIFY(act("mnusukechi")->isChecked());
        QVERIFY(!act("mnuedhit")->isChecked());
        for (const char *off : {"mnunew", "mnuopen", "mnuclose", "mnuoversave", "mnusave", "hensyu",
                                "mnufontsyurui", "mnufont"})
            QVERIFY2(!act(off)->isEnabled(), off);
        for (const char *on : {"mnumnupaint", "mnuline", "mnuback"})
            QVERIFY2(act(on)->isEnabled(), on);
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(act("mnulinecolor", i)->isChecked(), i == 0);
            QCOMPARE(act("mnubackcolor", i)->isChecked(), i == 4);
            QCOMPARE(act("mnumnufile", i)->isEnabled(), i != 1 && i != 3);
        }
        QCOMPARE(pad_->lineColor(), SketchPad::black);
        QCOMPARE(pad_->backColor(), SketchPad::white);
        QCOMPARE(window_->windowTitle(), QStringLiteral("Quendra_LT(簡易スケッチ)"));
        // Back to the editor: the sketch menu goes grey, the editor's entries come back.
        trigger("mnuedhit");
        QVERIFY(!act("mnumnupaint")->isEnabled());
        QVERIFY(act("mnuopen")->isEnabled());
        QVERIFY(!pad_->isVisible());
    }

    void toolsAndColoursMoveTheirCheckMarks()
    {
        trigger("mnusukechi");
        trigger("mnupaint", 5);
        trigger("mnupaint", 1);
        QCOMPARE(pad_->tool(), SketchPad::Tool::Circle);
        for (int i = 0; i < 6; ++i)
            QCOMPARE(act("mnupaint", i)->isChecked(), i == 1);
        trigger("mnulinecolor", 1);
        trigger("mnubackcolor", 3);
        QCOMPARE(pad_->lineColor(), 1);
        QCOMPARE(pad_->backColor(), 3);
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(act("mnulinecolor", i)->isChecked(), i == 1);
            QCOMPARE(act("mnubackcolor", i)->isChecked(), i == 3);
        }
    }

    void aChangedSketchIsNeverDroppedSilently()
    {
        trigger("mnusukechi");
        draw();
        QVERIFY(pad_->isModified());
        trigger("mnuedhit");
        shell_->messages.queueAnswer(Answer::Yes);
        shell_->desktop.queueAnswer(path("sketch.bmp"));
        trigger("mnusukechi");
        QCOMPARE(shell_->messageTexts(), std::vector<std::string>{SketchFiles::promptText});
        QCOMPARE(QImageReader(path("sketch.bmp")).format(), QByteArray("bmp"));
        QVERIFY(!pad_->isModified());
    }

    void bitmapFiles()
    {
        trigger("mnusukechi");
        draw();
        shell_->desktop.queueAnswer(path("a.bmp"));
        trigger("mnumnufile", 2);
        QVERIFY(label3()->isVisible());
        QCOMPARE(label3()->text(), QDir::toNativeSeparators(path("a.bmp")));
        QVERIFY(!act("mnumnufile", 3)->isEnabled()); // save-as leaves the menu as it is
        shell_->desktop.queueAnswer(path("a.bmp"));
        trigger("mnumnufile", 0);
        QVERIFY(pad_->hasBackground());
        QVERIFY(act("mnumnufile", 1)->isEnabled());
        QVERIFY(act("mnumnufile", 3)->isEnabled());
        trigger("mnumnufile", 1);
        QVERIFY(!pad_->hasBackground());
        QVERIFY(!label3()->isVisible());
        QVERIFY(!act("mnumnufile", 1)->isEnabled());
        QVERIFY(!act("mnumnufile", 3)->isEnabled());
        QCOMPARE(pad_->height(), window_->centralWidget()->height() - 19);
        QVERIFY(shell_->messages.history().empty());
    }

    void aBitmapThatCannotBeReadEndsQuietly()
    {
        trigger("mnusukechi");
        QFile junk(path("junk.bmp"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("BM not really");
        junk.close();
        shell_->desktop.queueAnswer(path("junk.bmp"));
        trigger("mnumnufile", 0);
        QVERIFY(shell_->messages.history().empty());
        QVERIFY(!pad_->hasBackground());
        QVERIFY(!act("mnumnufile", 3)->isEnabled());
    }

    void aFailedSketchSaveIsReported()
    {
        trigger("mnusukechi");
        draw();
        shell_->desktop.queueAnswer(path("no/such/folder/s.bmp"));
        trigger("mnumnufile", 2);
        QCOMPARE(shell_->messageTexts(), std::vector<std::string>{"ファイルを保存できませんでした。"});
        QCOMPARE(shell_->messages.history()[0].message.title, std::string("Quendra_LT"));
        QVERIFY(pad_->isModified());
    }

    void theEndAsksForAChangedSketch()
    {
        trigger("mnusukechi");
        draw();
        shell_->messages.queueAnswer(Answer::No);
        trigger("owari");
        QCOMPARE(shell_->messageTexts(), std::vector<std::string>{SketchFiles::promptText});
        // Declined once, not asked again on the way out.
        shell_->app.endProgram();
        QCOMPARE(shell_->messages.history().size(), size_t(1));
        QVERIFY(shell_->app.hasEnded());
    }

    void calculator()
    {
        QAction *calc = act("calc");
        QVERIFY(calc->isEnabled());
        calc->trigger();
        QWidget *dentaku = shell_->app.calculator();
        QVERIFY(dentaku && dentaku->isVisible());
        QCOMPARE(dentaku->windowTitle(), QStringLiteral("Quendra_LT(簡易電卓)"));
        QVERIFY(!window_->isVisible());
        dentaku->findChild<QAction *>(QStringLiteral("mnureturn"))->trigger();
        QVERIFY(window_->isVisible());
        QVERIFY(!dentaku->isVisible());
        calc->trigger();
        QCOMPARE(shell_->app.calculator(), dentaku);
        QVERIFY(QTest::qWaitForWindowExposed(dentaku));
        dentaku->close();
        QCOMPARE(shell_->messageTexts(), std::vector<std::string>{"プログラムを終了します。"});
        QVERIFY(shell_->app.hasEnded());
    }
};

QTEST_MAIN(TestWorkAreas)
#include "TestWorkAreas.moc"
