#include "app/Layout.h"
#include "app/MainWindow.h"
#include "app/ReadmeWindow.h"
#include "tests/app/AppHarness.h"
#include "tools/TextEditor.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDate>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>

using namespace quendra;
using Answer = MessageService::Answer;

namespace {

// An entry by name and, for a menu array, index.
QAction *entry(QWidget &window, const QString &name, int index = -1)
{
    for (QAction *a : window.findChildren<QAction *>(name))
        if (index < 0 || a->property("index").toInt() == index) return a;
    return nullptr;
}

QString parentMenu(const QAction *a)
{
    for (QObject *o : a->associatedObjects()) {
        if (auto *m = qobject_cast<QMenu *>(o); m && m->menuAction() != a) return m->objectName();
        if (qobject_cast<QMenuBar *>(o)) return QStringLiteral("bar");
    }
    return {};
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<Shell> shell_;
    MainWindow *window_ = nullptr;
    QPlainTextEdit *text1_ = nullptr;

    QAction *act(const char *name, int index = -1)
    {
        return entry(*window_, QString::fromLatin1(name), index);
    }
    void trigger(const char *name, int index = -1)
    {
        QAction *a = act(name, index);
        QVERIFY2(a && a->isEnabled(), name);
        a->trigger();
    }
    void type(const QString &s)
    {
        text1_->moveCursor(QTextCursor::End);
        text1_->insertPlainText(s);
    }
    QString text() const { return text1_->toPlainText(); }
    void select(int from, int to)
    {
        QTextCursor c = text1_->textCursor();
        c.setPosition(from);
        c.setPosition(to, QTextCursor::KeepAnchor);
        text1_->setTextCursor(c);
    }

private slots:
    void init()
    {
        shell_ = std::make_unique<Shell>();
        shell_->app.showMainWindow();
        window_ = &shell_->app.mainWindow();
        text1_ = window_->findChild<QPlainTextEdit *>(QStringLiteral("Text1"));
        QVERIFY(text1_);
        QVERIFY(QTest::qWaitForWindowExposed(window_));
        QApplication::clipboard()->clear();
    }
    void cleanup() { shell_.reset(); }

    void menuTree_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("shortcut");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<int>("checked"); // -1: no check mark
        auto row = [](const char *name, int index, const char *menu, const char *caption,
                      const char *keys = "", bool enabled = true, bool visible = true, int checked = -1) {
            QTest::addRow("%s %d", name, index)
                << QString::fromLatin1(name) << index << QString::fromLatin1(menu)
                << QString::fromUtf8(caption) << QString::fromLatin1(keys) << enabled << visible << checked;
        };
        row("fairu", -1, "bar", "ファイル(&F)");
        row("mnunew", -1, "fairu", "新規作成(&N)", "Ctrl+N");
        row("mnuopen", -1, "fairu", "ファイルを開く(&O)", "Ctrl+O");
        row("mnuclose", -1, "fairu", "ファイルを閉じる(&C)", "Ctrl+Z", false);
        row("mnuoversave", -1, "fairu", "上書き保存(&S)", "Ctrl+S", false);
        row("mnusave", -1, "fairu", "名前を付けて保存(&A)", "Ctrl+A");
        row("sepa", -1, "fairu", "");
        row("owari", -1, "fairu", "Quendra_LTの終了(&Q)", "Ctrl+Q");
        row("hensyu", -1, "bar", "編集(&E)");
        row("mnucut", -1, "hensyu", "切り取り(&T)", "Ctrl+X", false);
        row("mnucopy", -1, "hensyu", "コピー(&C)", "Ctrl+C", false);
        row("mnupaste", -1, "hensyu", "貼り付け(&P)", "Ctrl+V", false);
        row("sepa03", -1, "hensyu", "");
        row("mnusubete", -1, "hensyu", "全て選択(&A)", "Ctrl+P");
        row("mnuall", -1, "hensyu", "日付の挿入(&D)", "Ctrl+D");
        row("mnudaytime", -1, "hensyu", "日付と時刻の挿入(&T)");
        row("sepa05", -1, "hensyu", "");
        row("mnuerase", -1, "hensyu", "全消去(&S)");
        row("mnusettingitem", -1, "bar", "設定(&S)");
        row("mnufontsyurui", -1, "mnusettingitem", "フォント(&H)");
        row("mnufont", -1, "mnusettingitem", "フォントサイズ(&F)");
        row("mnufontsizesitem", 0, "mnufont", "9", "", true, true, 1);
        row("mnufontsizesitem", 1, "mnufont", "12", "", true, true, 0);
        row("mnufontsizesitem", 2, "mnufont", "15", "", true, true, 0);
        row("mnuline", -1, "mnusettingitem", "ラインカラー(&C)", "", false);
        const char *colours[] = {"黒", "赤", "青", "黄", "白"};
        for (int i = 0; i < 5; ++i)
            row("mnulinecolor", i, "mnuline", colours[i], "", true, true, i == 0);
        row("mnuback", -1, "mnusettingitem", "バックカラー(&B)", "", false);
        for (int i = 0; i < 5; ++i)
            row("mnubackcolor", i, "mnuback", colours[i], "", true, true, i == 4);
        row("a", -1, "bar", "メニュー(&M)");
        row("b", -1, "a", "建築シンボル作図(&B)");
        row("c", -1, "b", "1/100用建具(&Y)");
        row("n", -1, "b", "1/50用建具(&G)");
        row("q", -1, "b", "1/50用建具枠(&T)");
        row("sepa3", -1, "b", "");
        row("sepa07", -1, "b", "");
        row("mnutenkai", -1, "b", "展開図作図(&T)");
        row("sepa08", -1, "mnutenkai", "");
        row("mnudanmen", 0, "mnutenkai", "サッシュ断面", "", false, false);
        row("mnudanmen", 1, "mnutenkai", "木製建具断面", "", false, false);
        row("mnukukei", -1, "b", "矩形図作図(&K)", "", false);
        row("mnuarumidanmen", -1, "mnukukei", "アルミ枠断面", "", false);
        row("mnusutirudanmen", -1, "mnukukei", "スチール枠断面", "", false);
        row("mnumokudanmen", -1, "mnukukei", "木枠断面", "", false);
        row("calc", -1, "a", "簡易電卓(&D)", "", Application::formAvailable(QStringLiteral("dentaku")));
        row("sepa13", -1, "a", "");
        row("mnuonoff", -1, "a", "エディタ・スケッチ ON(&O)");
        // A hidden entry is never enabled (nor is its shortcut).
        row("sepa04", -1, "a", "", "", false, false);
        row("mnuedhit", -1, "a", "簡易エディタ(&E)", "", false, false, 1);
        row("sepa10", -1, "a", "", "", false, false);
        row("mnusukechi", -1, "a", "簡易スケッチ(&S)", "", false, false, 0);
        row("mnumnupaint", -1, "a", "スケッチメニュー(&M)", "", false, false);
        const char *tools[] = {"連続線",         "円",           "四角形",
                               "直線(二点指示)", "円塗りつぶし", "四角形塗りつぶし"};
        for (int i = 0; i < 6; ++i)
            row("mnupaint", i, "mnumnupaint", tools[i], "", true, true, i == 0);
        row("sepa11", -1, "mnumnupaint", "");
        const char *files[] = {"ファイルを開く", "ファイルを閉じる", "名前を付けて保存", "上書き保存",
                               "新規作成"};
        for (int i = 0; i < 5; ++i)
            row("mnumnufile", i, "mnumnupaint", files[i], "", i != 1 && i != 3);
        row("sepa12", -1, "mnumnupaint", "");
        row("mnulinecircle", -1, "mnumnupaint", "全消去");
        row("help", -1, "bar", "ヘルプ(&H)");
        row("mnuread", -1, "help", "Quendra_LT Readme(&R)");
        row("sepa020", -1, "help", "");
        row("ad", -1, "help", "バージョン情報(&U)");
    }
    void menuTree()
    {
        QFETCH(QString, name);
        QFETCH(int, index);
        QFETCH(int, checked);
        const QAction *a = entry(*window_, name, index);
        QVERIFY(a);
        QTEST(parentMenu(a), "menu");
        QTEST(a->text(), "caption");
        QTEST(a->shortcut().toString(), "shortcut");
        QTEST(a->isEnabled(), "enabled");
        QTEST(a->isVisible(), "visible");
        QCOMPARE(a->isCheckable() && a->isChecked(), checked == 1);
        if (checked >= 0) QVERIFY(a->isCheckable());
    }

    void symbolEntriesOpenTheirForms_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("form");
        auto row = [](const char *name, int index, const char *menu, const char *caption, const char *form) {
            QTest::addRow("%s %d", name, index)
                << QString::fromLatin1(name) << index << QString::fromLatin1(menu)
                << QString::fromUtf8(caption) << QString::fromLatin1(form);
        };
        row("d", -1, "c", "引違イ窓", "hikitigai100");
        row("e", -1, "c", "引違イ戸", "hikitigaito100");
        row("f", -1, "c", "片開キ窓", "katabiraki100");
        row("g", -1, "c", "ＦＩＸ窓", "fix100");
        row("h", -1, "c", "竪軸回転窓", "tatejiku100");
        row("i", -1, "c", "片開キ戸", "katabirakito100");
        row("j", -1, "c", "両開キ戸", "ryouhiraki100");
        row("k", -1, "c", "両折リ戸", "ryouorito100");
        row("l", -1, "c", "片折リ戸", "kataorito100");
        row("m", -1, "c", "４本引戸", "yonhonhiki100");
        row("o", -1, "n", "引違イ窓", "hikitigai50");
        row("p", -1, "n", "片開キ戸", "katabiraki50");
        row("r", -1, "q", "アルミ枠", "arumiwaku");
        row("s", -1, "q", "スチール枠", "sutiruwaku");
        row("t", -1, "q", "木枠開キ", "mokuhiraki");
        row("u", -1, "q", "木枠引戸", "mokuhikito");
        row("v", -1, "b", "通リ芯記号(&K)", "tourisin");
        row("w", -1, "b", "図面枠作図(&W)", "zumenwaku");
        row("x", -1, "b", "柱作図(&S)", "hasira");
        row("y", -1, "b", "壁作図(&A)", "kabe");
        row("z", -1, "b", "建具記号(&C)", "tategukigou");
        row("aa", -1, "b", "レベル記号(&R)", "reberu");
        row("mnuhuremu", -1, "mnutenkai", "フレーム", "tenhuremu");
        row("mnuritumen", 0, "mnutenkai", "引違イ窓立面", "tenhiki");
        row("mnuritumen", 1, "mnutenkai", "ＦＩＸ窓立面", "tenfix");
        row("mnuritumen", 2, "mnutenkai", "片開キドア立面", "tendoor");
    }
    void symbolEntriesOpenTheirForms()
    {
        QFETCH(QString, name);
        QFETCH(int, index);
        QFETCH(QString, form);
        QAction *a = entry(*window_, name, index);
        QVERIFY(a);
        QTEST(parentMenu(a), "menu");
        QTEST(a->text(), "caption");
        // Enabled exactly when its form is built: no stubs.
        QCOMPARE(a->isEnabled(), Application::formAvailable(form));
        QSignalSpy spy(window_, &MainWindow::formRequested);
        a->setEnabled(true);
        a->trigger();
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.at(0).at(0).toString(), form);
    }

    void anEntryWhoseFormIsNotBuiltStaysDisabled()
    {
        MainWindow window(shell_->app.context(), shell_->desktop,
                          [](const QString &form) { return form != QLatin1String("fix100"); });
        QVERIFY(!entry(window, QStringLiteral("g"))->isEnabled());
        QVERIFY(entry(window, QStringLiteral("d"))->isEnabled());
    }

    void modeToggle()
    {
        QAction *onoff = act("mnuonoff");
        QWidget *block = window_->findChild<QWidget *>(QStringLiteral("Label4"));
        for (int round = 0; round < 2; ++round) {
            onoff->trigger();
            QTRY_COMPARE(window_->height(), twips(MainWindow::heightOn));
            QCOMPARE(onoff->text(), QStringLiteral("エディタ・スケッチ OFF"));
            QCOMPARE(window_->windowTitle(), QStringLiteral("Quendra_LT(簡易エディタ)"));
            QVERIFY(text1_->isVisible());
            QVERIFY(!block->isVisible());
            for (const char *shown : {"sepa04", "mnuedhit", "sepa10", "mnusukechi", "mnumnupaint"})
                QVERIFY2(act(shown)->isVisible(), shown);
            QCOMPARE(text1_->height(), window_->centralWidget()->height() - twips(280));
            QCOMPARE(text1_->width(), window_->centralWidget()->width());

            onoff->trigger();
            QTRY_COMPARE(window_->height(), twips(MainWindow::heightOff));
            QCOMPARE(onoff->text(), QStringLiteral("エディタ・スケッチ ON"));
            QCOMPARE(window_->windowTitle(), QStringLiteral("Quendra_LT"));
            QVERIFY(!text1_->isVisible());
            for (const char *hidden : {"sepa04", "mnuedhit", "sepa10", "mnusukechi", "mnumnupaint"})
                QVERIFY2(!act(hidden)->isVisible(), hidden);
            // Whatever the height was before.
            window_->resize(window_->width(), 500);
        }
    }

    void textSurvivesTheModeToggle()
    {
        act("mnuonoff")->trigger();
        type(QStringLiteral("memo"));
        act("mnuonoff")->trigger();
        act("mnuonoff")->trigger();
        QCOMPARE(text(), QStringLiteral("memo"));
    }

    void maximisedWindowShowsTheInformationAndLocksTheToggle()
    {
        QWidget *version = window_->findChild<QWidget *>(QStringLiteral("Label4"));
        QCOMPARE(qobject_cast<QLabel *>(version)->text(), QStringLiteral("Quendra_LT VER 1.04.6"));
        // At the designed height the block lies below the client area.
        QVERIFY(version->y() >= window_->centralWidget()->height());
        window_->showMaximized();
        QTRY_VERIFY(!act("mnuonoff")->isEnabled());
        QTRY_VERIFY(version->y() + version->height() <= window_->centralWidget()->height());
        QVERIFY(version->isVisible());
        window_->showNormal();
        QTRY_VERIFY(act("mnuonoff")->isEnabled());
    }

    void maximisedInEditorModeSizesTheEditor()
    {
        act("mnuonoff")->trigger();
        window_->showMaximized();
        QTRY_VERIFY(!act("mnuonoff")->isEnabled());
        QTRY_COMPARE(text1_->height(), window_->centralWidget()->height() - twips(280));
        QCOMPARE(text1_->width(), window_->centralWidget()->width());
    }

    void clockShowsDateTwoBlanksAndTime()
    {
        const QDateTime when(QDate(1997, 8, 21), QTime(14, 5, 33));
        const QLocale locale = QLocale::system();
        QCOMPARE(MainWindow::clockText(when), locale.toString(when.date(), QLocale::ShortFormat) + "  " +
                                                  locale.toString(when.time(), QLocale::ShortFormat));
        auto *clock = window_->findChild<QLabel *>(QStringLiteral("Label2"));
        QTRY_COMPARE(clock->text(), MainWindow::clockText(QDateTime::currentDateTime()));
        // It keeps running while the window is hidden.
        window_->hide();
        clock->setText({});
        QTRY_VERIFY(!clock->text().isEmpty());
    }

    void clockHasRoomForEveryDateAndTime_data()
    {
        QTest::addColumn<QDateTime>("when");
        QTest::newRow("now") << QDateTime::currentDateTime();
        QTest::newRow("new year") << QDateTime(QDate(2000, 1, 1), QTime(0, 0));
        QTest::newRow("end of the year") << QDateTime(QDate(2088, 12, 28), QTime(23, 58));
        QTest::newRow("september") << QDateTime(QDate(2037, 9, 30), QTime(12, 44));
        QTest::newRow("wide digits") << QDateTime(QDate(2888, 8, 28), QTime(8, 48));
    }
    void clockHasRoomForEveryDateAndTime()
    {
        QFETCH(QDateTime, when);
        auto *clock = window_->findChild<QLabel *>(QStringLiteral("Label2"));
        // Sized once, not to the text of the moment.
        clock->setText(MainWindow::clockText(when));
        QVERIFY(clock->contentsRect().width() >= clock->fontMetrics().horizontalAdvance(clock->text()));
    }

    void cutReplacesTheSelectionByOneBlank()
    {
        type(QStringLiteral("xabcx"));
        select(1, 4);
        act("hensyu")->menu()->aboutToShow();
        trigger("mnucut");
        QCOMPARE(text(), QStringLiteral("x x"));
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("abc"));
    }

    void copyPasteAndSelectAll()
    {
        type(QStringLiteral("壁\n柱"));
        select(0, 1);
        trigger("mnucopy");
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("壁"));
        select(2, 3);
        trigger("mnupaste");
        QCOMPARE(text(), QStringLiteral("壁\n壁"));
        trigger("mnusubete");
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("壁\n壁"));
        QCOMPARE(text1_->textCursor().selectedText().size(), text().size());
    }

    void editStates_data()
    {
        QTest::addColumn<bool>("selection");
        QTest::addColumn<bool>("clipboard");
        QTest::newRow("nothing") << false << false;
        QTest::newRow("selection") << true << false;
        QTest::newRow("clipboard") << false << true;
        QTest::newRow("both") << true << true;
    }
    void editStates()
    {
        QFETCH(bool, selection);
        QFETCH(bool, clipboard);
        type(QStringLiteral("abc"));
        select(0, selection ? 2 : 0);
        if (clipboard)
            QApplication::clipboard()->setText(QStringLiteral("c"));
        else
            QApplication::clipboard()->clear();
        emit act("hensyu")->menu()->aboutToShow();
        QCOMPARE(act("mnucut")->isEnabled(), selection);
        QCOMPARE(act("mnucopy")->isEnabled(), selection);
        QCOMPARE(act("mnupaste")->isEnabled(), clipboard);
    }

    void dateLineGoesToTheStart()
    {
        type(QStringLiteral("memo"));
        text1_->moveCursor(QTextCursor::End);
        trigger("mnuall");
        const QString date = QDate::currentDate().toString(QStringLiteral("MM-dd-yyyy"));
        QCOMPARE(date.size(), 10);
        QCOMPARE(text(), date + QStringLiteral("\nmemo"));
        QVERIFY(window_->editor().isChanged());
    }

    void fontSizesAreExclusive()
    {
        QCOMPARE(text1_->font().pointSize(), 9);
        for (int i : {1, 2, 0}) {
            trigger("mnufontsizesitem", i);
            QCOMPARE(text1_->font().pointSize(), MainMenu::fontSizes[static_cast<size_t>(i)]);
            for (int j = 0; j < 3; ++j)
                QCOMPARE(act("mnufontsizesitem", j)->isChecked(), i == j);
        }
    }

    void fontListSetsTheFont()
    {
        auto *list = window_->findChild<QListWidget *>(QStringLiteral("List1"));
        QVERIFY(list && !list->isVisible());
        QVERIFY(list->count() > 0);
        trigger("mnufontsyurui");
        QVERIFY(!list->isHidden());
        QListWidgetItem *item = list->item(list->count() - 1);
        emit list->itemClicked(item);
        QVERIFY(list->isHidden());
        QCOMPARE(text1_->font().family(), item->text());
    }

    void menuShortcutsComeBeforeTheEditors()
    {
        act("mnuonoff")->trigger();
        text1_->setFocus();
        type(QStringLiteral("abc"));
        QTest::keyClick(text1_, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(shell_->desktop.history().size(), size_t(1));
        QCOMPARE(shell_->desktop.history()[0].kind, Desktop::Request::Kind::Save);
        QVERIFY(!text1_->textCursor().hasSelection());
    }

    void selectingTheEditor()
    {
        act("mnuonoff")->trigger();
        type(QStringLiteral("draft"));
        shell_->messages.queueAnswer(Answer::No);
        trigger("mnuedhit");
        QCOMPARE(shell_->messageTexts(), std::vector<std::string>{TextEditor::promptText});
        QCOMPARE(text(), QString());
        QVERIFY(act("mnuedhit")->isChecked());
        QVERIFY(!act("mnusukechi")->isChecked());
        QVERIFY(!act("mnumnupaint")->isEnabled());
        for (const char *on : {"mnunew", "mnuopen", "mnusave", "hensyu", "mnufontsyurui", "mnufont"})
            QVERIFY2(act(on)->isEnabled(), on);
        for (const char *off : {"mnuclose", "mnuoversave", "mnuline", "mnuback"})
            QVERIFY2(!act(off)->isEnabled(), off);
        QCOMPARE(window_->windowTitle(), QStringLiteral("Quendra_LT(簡易エディタ)"));
    }

    void fileEntriesFollowTheEditor()
    {
        const QString file = shell_->dir.filePath(QStringLiteral("n.txt"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("note\r\n");
        f.close();
        shell_->desktop.queueAnswer(file);
        trigger("mnuopen");
        QCOMPARE(text(), QStringLiteral("note\n"));
        auto *label3 = window_->findChild<QLabel *>(QStringLiteral("Label3"));
        QVERIFY(label3->isVisible());
        QCOMPARE(label3->text(), QDir::toNativeSeparators(file));
        // Beside the clock, never over it.
        QVERIFY(label3->x() > window_->findChild<QLabel *>(QStringLiteral("Label2"))->geometry().right());
        QVERIFY(!act("mnuopen")->isEnabled());
        QVERIFY(act("mnuclose")->isEnabled());
        QVERIFY(act("mnuoversave")->isEnabled());
        trigger("mnuclose");
        QVERIFY(!label3->isVisible());
        QVERIFY(act("mnuopen")->isEnabled());
        QVERIFY(!act("mnuclose")->isEnabled());
        trigger("mnuerase");
        QVERIFY(!act("mnuopen")->isEnabled());
        QVERIFY(act("mnuoversave")->isEnabled());
    }

    void readme()
    {
        QTemporaryDir here;
        const QString previous = QDir::currentPath();
        QDir::setCurrent(here.path());
        trigger("mnuread");
        QCOMPARE(shell_->messageTexts().size(), size_t(1)); // none here, none beside the test
        QFile f(here.filePath(QStringLiteral("readme.txt")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Quendra_LT ご利用の手引き\n");
        f.close();
        trigger("mnuread");
        QDir::setCurrent(previous);
        ReadmeWindow *readme = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *r = qobject_cast<ReadmeWindow *>(w)) readme = r;
        QVERIFY(readme && readme->isVisible());
        QCOMPARE(readme->text(), QStringLiteral("Quendra_LT ご利用の手引き\n"));
    }
};

QTEST_MAIN(TestMainWindow)
#include "TestMainWindow.moc"
