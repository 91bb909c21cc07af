#include "app/MainWindow.h"

#include "app/Layout.h"
#include "app/ReadmeWindow.h"
#include "app/platform/Platform.h"
#include "dialogs/AppContext.h"
#include "dialogs/Desktop.h"
#include "tools/SketchFiles.h"
#include "tools/SketchPad.h"
#include "tools/TextEditor.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#ifndef QUENDRA_NO_SVG
#include <QSvgRenderer>
#endif
#include <QTimer>

#include <algorithm>

namespace quendra {

namespace {

const QString appTitle = QStringLiteral("Quendra_LT");
const QString editorTitle = QStringLiteral("Quendra_LT(簡易エディタ)");
const QString sketchTitle = QStringLiteral("Quendra_LT(簡易スケッチ)");

// The top of the work areas and what they leave free of the client height.
constexpr int workTop = 300;
constexpr int workMargin = 280;

QLabel *label(QWidget *parent, const char *name, const QString &text, QPoint at)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->move(at);
    l->adjustSize();
    return l;
}

// The digit that takes the most room in `metrics`' font.
QChar widestDigit(const QFontMetrics &metrics)
{
    QChar widest = QLatin1Char('0');
    for (char d = '1'; d <= '9'; ++d)
        if (metrics.horizontalAdvance(QLatin1Char(d)) > metrics.horizontalAdvance(widest))
            widest = QLatin1Char(d);
    return widest;
}

// The clock text that takes the most room: every month, a week of two-digit days (for formats
// that name the month or the weekday), a morning and an afternoon time, every digit at its widest.
QString widestClockText(const QFontMetrics &metrics)
{
    const QChar digit = widestDigit(metrics);
    QString widest;
    for (int month = 1; month <= 12; ++month)
        for (int day = 22; day <= 28; ++day)
            for (int hour : {11, 23}) {
                QString text = MainWindow::clockText(QDateTime(QDate(2000, month, day), QTime(hour, 59)));
                for (QChar &c : text)
                    if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) c = digit;
                if (metrics.horizontalAdvance(text) > metrics.horizontalAdvance(widest)) widest = text;
            }
    return widest;
}

QPixmap programIcon(int size)
{
#ifdef QUENDRA_NO_SVG
    return QPixmap(QStringLiteral(":/quendra.png"))
        .scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
#else
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QSvgRenderer svg(QStringLiteral(":/quendra.svg"));
    QPainter painter(&pixmap);
    svg.render(&painter);
    return pixmap;
#endif
}

// The selected text with line ends as the clipboard of plain text expects them.
QString plainSelection(const QTextCursor &cursor)
{
    QString s = cursor.selectedText();
    s.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return s;
}

QString withLineFeeds(QString s)
{
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

bool isMaximised(Qt::WindowStates state)
{
    return state & (Qt::WindowMaximized | Qt::WindowFullScreen);
}

QString findReadme()
{
    const QString beside = QApplication::applicationDirPath();
    for (const QString &folder :
         {QDir::currentPath(), beside, beside + QStringLiteral("/../share/quendra")}) {
        const QFileInfo file(QDir(folder), QStringLiteral("readme.txt"));
        if (file.isFile()) return file.absoluteFilePath();
    }
    return {};
}

} // namespace

MainWindow::MainWindow(AppContext &context, Desktop &desktop, const Availability &available, QWidget *parent)
    : QMainWindow(parent), context_(context), desktop_(desktop), menu_(*menuBar())
{
    setObjectName(QStringLiteral("Quendra_LT"));
    setWindowTitle(appTitle);
    setWindowIcon(QIcon(programIcon(64)));
    buildClientArea();
    buildInformationBlock();
    buildSketchPad();
    editor_ = std::make_unique<TextEditor>(*text1_->document(), context_.messages, desktop_,
                                           platform::newTextEncoding(), this);
    connect(editor_.get(), &TextEditor::stateChanged, this, &MainWindow::applyEditorState);
    connectMenu();
    connectEditMenu();
    connectSettings();
    for (const MainMenu::FormEntry &f : menu_.forms) {
        f.action->setEnabled(available(f.form));
        connect(f.action, &QAction::triggered, this, [this, form = f.form] { emit formRequested(form); });
    }
    menu_.calc->setEnabled(available(QStringLiteral("dentaku")));

    resize(twips(5775), twips(heightOff));
    centreOnScreen(*this);
    tick();
    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    connect(timer1_, &QTimer::timeout, this, &MainWindow::tick);
    timer1_->start(100);
    // The main window sends nothing itself; a host that is not there yet is reported by the
    // dialogs that send.
    link_ = std::make_unique<CadLink>(context_.transports());
    link_->open(cadService, cadTopic);
}

MainWindow::~MainWindow() = default;

void MainWindow::buildClientArea()
{
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);
    client->installEventFilter(this);

    label(client, "Label1", QStringLiteral("現在の日時"), {twips(120), twips(60)});
    // Sized once for the longest text it can show, so no date or time is cut off and the label
    // does not change width as the minutes go by.
    clock_ = label(client, "Label2", {}, {twips(1140), twips(30)});
    clock_->setText(widestClockText(clock_->fontMetrics()));
    clock_->adjustSize();
    clock_->setFixedSize(clock_->size());
    // The file name starts where the designed form puts it, or past the clock where the clock's
    // text is wider than the design allowed for: never over the clock.
    const int fileLeft = std::max(twips(2760), clock_->geometry().right() + twips(120));
    fileLabel_ = label(client, "Label3", {}, {fileLeft, twips(30)});
    fileLabel_->hide();

    text1_ = new QPlainTextEdit(client);
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setGeometry(twipRect(0, workTop, 5775, 3375));
    text1_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text1_->setFont(gothicFont(MainMenu::fontSizes[0]));
    text1_->installEventFilter(this);
    text1_->hide();

    list1_ = new QListWidget(client);
    list1_->setObjectName(QStringLiteral("List1"));
    list1_->setGeometry(twipRect(0, workTop, 2400, 3375));
    list1_->addItems(QFontDatabase::families());
    list1_->hide();
    connect(list1_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { chooseFont(item->text()); });
}

void MainWindow::buildInformationBlock()
{
    QWidget *client = centralWidget();
    auto *picture2 = new QLabel(client);
    picture2->setObjectName(QStringLiteral("Picture2"));
    picture2->setGeometry(twipRect(360, 3780, 540, 540));
    picture2->setPixmap(programIcon(twips(540)));
    QLabel *version =
        label(client, "Label4", QStringLiteral("Quendra_LT VER 1.04.6"), {twips(1080), twips(3960)});
    QLabel *about = label(client, "Label5", QStringLiteral("AutoCAD LT for Windows95対応建築設計支援ツール"),
                          {twips(1080), twips(4380)});
    QLabel *notice = label(
        client, "Label6",
        QStringLiteral("特に必要の無い限りエディタ・スケッチ選択時以外ウィンドウを最大化しないで下さい。"),
        {twips(1080), twips(4800)});
    for (QLabel *l : {version, about, notice}) {
        l->setFont(gothicFont(10));
        l->adjustSize();
    }
    informationBlock_ = {picture2, version, about, notice};
}

void MainWindow::buildSketchPad()
{
    pad_ = new SketchPad(centralWidget());
    pad_->setObjectName(QStringLiteral("Picture1"));
    pad_->setGeometry(twipRect(0, workTop, 5775, 3375));
    pad_->hide();
    sketch_ = std::make_unique<SketchFiles>(*pad_, context_.messages, desktop_, this);
    connect(sketch_.get(), &SketchFiles::stateChanged, this, &MainWindow::applySketchState);
    for (int i = 0; i < SketchPad::toolCount; ++i)
        connect(menu_.mnupaint[i], &QAction::triggered, this, [this, i] {
            pad_->setTool(static_cast<SketchPad::Tool>(i));
            MainMenu::check(menu_.mnupaint, static_cast<size_t>(i));
        });
    for (int i = 0; i < SketchPad::colorCount; ++i) {
        connect(menu_.mnulinecolor[i], &QAction::triggered, this, [this, i] {
            pad_->setLineColor(i);
            MainMenu::check(menu_.mnulinecolor, static_cast<size_t>(i));
        });
        connect(menu_.mnubackcolor[i], &QAction::triggered, this, [this, i] {
            pad_->setBackColor(i);
            MainMenu::check(menu_.mnubackcolor, static_cast<size_t>(i));
        });
    }
    connect(menu_.mnulinecircle, &QAction::triggered, pad_, &SketchPad::clearAll);
    connect(menu_.mnumnufile[0], &QAction::triggered, sketch_.get(), &SketchFiles::open);
    connect(menu_.mnumnufile[1], &QAction::triggered, this, [this] {
        sketch_->close();
        fitSketchPad();
    });
    connect(menu_.mnumnufile[2], &QAction::triggered, sketch_.get(), &SketchFiles::saveAs);
    connect(menu_.mnumnufile[3], &QAction::triggered, sketch_.get(), &SketchFiles::overwrite);
    connect(menu_.mnumnufile[4], &QAction::triggered, this, [this] {
        sketch_->newSketch();
        fitSketchPad();
    });
}

void MainWindow::fitSketchPad()
{
    pad_->resize(centralWidget()->width(), centralWidget()->height() - twips(workMargin));
}

void MainWindow::applySketchState()
{
    const SketchFiles::FileMenu m = sketch_->fileMenu();
    const std::array<bool, 5> states{m.open, m.close, m.saveAs, m.overwrite, m.newFile};
    for (size_t i = 0; i < states.size(); ++i)
        menu_.mnumnufile[i]->setEnabled(states[i]);
    if (menu_.mnusukechi->isChecked()) showFileLabel(sketch_->currentFile(), sketch_->fileLabelVisible());
}

void MainWindow::connectMenu()
{
    connect(menu_.mnunew, &QAction::triggered, editor_.get(), &TextEditor::newText);
    connect(menu_.mnuopen, &QAction::triggered, editor_.get(), &TextEditor::open);
    connect(menu_.mnuclose, &QAction::triggered, editor_.get(), &TextEditor::newText);
    connect(menu_.mnuoversave, &QAction::triggered, editor_.get(), &TextEditor::overwrite);
    connect(menu_.mnusave, &QAction::triggered, editor_.get(), &TextEditor::saveAs);
    connect(menu_.owari, &QAction::triggered, this, &MainWindow::quit);
    connect(menu_.calc, &QAction::triggered, this, &MainWindow::calculatorRequested);
    connect(menu_.mnuonoff, &QAction::triggered, this, &MainWindow::toggleMode);
    connect(menu_.mnuedhit, &QAction::triggered, this, &MainWindow::selectEditor);
    connect(menu_.mnusukechi, &QAction::triggered, this, &MainWindow::selectSketch);
    connect(menu_.mnuread, &QAction::triggered, this, &MainWindow::showReadme);
    connect(menu_.ad, &QAction::triggered, this, &MainWindow::versionRequested);
}

void MainWindow::connectEditMenu()
{
    connect(menu_.hensyu, &QMenu::aboutToShow, this, &MainWindow::updateEditStates);
    // Kept current between openings too, so that the shortcuts act as the menu would.
    connect(text1_, &QPlainTextEdit::selectionChanged, this, &MainWindow::updateEditStates);
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &MainWindow::updateEditStates);
    connect(menu_.mnucut, &QAction::triggered, this, &MainWindow::cut);
    connect(menu_.mnucopy, &QAction::triggered, this, &MainWindow::copy);
    connect(menu_.mnupaste, &QAction::triggered, this, &MainWindow::paste);
    connect(menu_.mnusubete, &QAction::triggered, this, &MainWindow::selectAllAndCopy);
    connect(menu_.mnuall, &QAction::triggered, this, &MainWindow::insertDateLine);
    connect(menu_.mnudaytime, &QAction::triggered, this, &MainWindow::insertDateTime);
    connect(menu_.mnuerase, &QAction::triggered, editor_.get(), &TextEditor::eraseAll);
    updateEditStates();
}

void MainWindow::connectSettings()
{
    connect(menu_.mnufontsyurui, &QAction::triggered, this, [this] {
        list1_->show();
        list1_->raise();
    });
    for (int i = 0; i < 3; ++i)
        connect(menu_.mnufontsizesitem[i], &QAction::triggered, this, [this, i] { chooseFontSize(i); });
}

bool MainWindow::editorSketchMode() const
{
    return menu_.mnuedhit->isVisible();
}

void MainWindow::toggleMode()
{
    const bool on = !editorSketchMode();
    const bool editorChosen = menu_.mnuedhit->isChecked();
    for (QWidget *w : informationBlock_)
        w->setVisible(!on);
    for (QAction *a :
         {menu_.sepa04, menu_.mnuedhit, menu_.sepa10, menu_.mnusukechi, menu_.mnumnupaint->menuAction()})
        a->setVisible(on);
    menu_.mnuonoff->setText(QString::fromUtf8(on ? MainMenu::modeOnCaption : MainMenu::modeOffCaption));
    if (!on) setWindowTitle(appTitle);
    resize(width(), twips(on ? heightOn : heightOff));
    QWidget *area = editorChosen ? static_cast<QWidget *>(text1_) : pad_;
    area->setVisible(on);
    if (on) setWindowTitle(editorChosen ? editorTitle : sketchTitle);
}

void MainWindow::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) layoutWorkAreas();
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == centralWidget() && event->type() == QEvent::Resize) layoutWorkAreas();
    // The menu's shortcuts (Ctrl+A saves, Ctrl+Z closes the file) come before the text box's own.
    if (watched == text1_ && event->type() == QEvent::ShortcutOverride) {
        const QKeySequence keys(static_cast<QKeyEvent *>(event)->keyCombination());
        for (const QAction *a : menuBar()->findChildren<QAction *>())
            if (a->isEnabled() && !a->shortcut().isEmpty() && a->shortcut() == keys) {
                event->ignore();
                return true;
            }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::layoutWorkAreas()
{
    const Qt::WindowStates state = windowState() & ~Qt::WindowActive;
    const QSize client = centralWidget()->size();
    if (state & Qt::WindowMinimized) {
        sizeWorkAreas(client.width(), client.height());
        return;
    }
    if (editorSketchMode()) {
        if (isMaximised(state)) {
            menu_.mnuonoff->setEnabled(false);
        } else {
            centreOnScreen(*this);
            menu_.mnuonoff->setEnabled(true);
        }
        sizeWorkAreas(client.width(), client.height() - twips(workMargin));
        return;
    }
    if (isMaximised(state)) {
        menu_.mnuonoff->setEnabled(false);
        sizeWorkAreas(client.width(), client.height() - twips(workMargin));
    } else if (state == Qt::WindowNoState) {
        menu_.mnuonoff->setEnabled(true);
    } else {
        sizeWorkAreas(client.width(), client.height());
    }
}

void MainWindow::sizeWorkAreas(int width, int height)
{
    for (QWidget *area : {static_cast<QWidget *>(text1_), static_cast<QWidget *>(pad_)})
        area->resize(width, std::max(0, height));
}

void MainWindow::selectEditor()
{
    if (!editor_->selectEditor()) {
        keepWorkAreaChecks();
        return;
    }
    menu_.mnuedhit->setChecked(true);
    menu_.mnusukechi->setChecked(false);
    menu_.mnumnupaint->menuAction()->setEnabled(false);
    for (QAction *a : {menu_.hensyu->menuAction(), menu_.mnufontsyurui, menu_.mnufont->menuAction()})
        a->setEnabled(true);
    for (QAction *a : {menu_.mnuline->menuAction(), menu_.mnuback->menuAction()})
        a->setEnabled(false);
    fileLabel_->hide();
    pad_->hide();
    text1_->show();
    setWindowTitle(editorTitle);
}

// A work-area switch the user cancelled at the save prompt: the checks show the area still in use.
void MainWindow::keepWorkAreaChecks()
{
    const bool sketch = pad_->isVisibleTo(this);
    menu_.mnusukechi->setChecked(sketch);
    menu_.mnuedhit->setChecked(!sketch);
}

void MainWindow::selectSketch()
{
    if (!editor_->selectSketch()) {
        keepWorkAreaChecks();
        return;
    }
    text1_->hide();
    list1_->hide();
    menu_.mnusukechi->setChecked(true);
    menu_.mnuedhit->setChecked(false);
    menu_.mnumnupaint->menuAction()->setEnabled(true);
    for (QAction *a : {menu_.hensyu->menuAction(), menu_.mnufontsyurui, menu_.mnufont->menuAction()})
        a->setEnabled(false);
    for (QAction *a : {menu_.mnuline->menuAction(), menu_.mnuback->menuAction()})
        a->setEnabled(true);
    fileLabel_->hide();
    pad_->show();
    if (!sketch_->select()) {
        keepWorkAreaChecks();
        return;
    }
    MainMenu::check(menu_.mnulinecolor, 0);
    MainMenu::check(menu_.mnubackcolor, 4);
    setWindowTitle(sketchTitle);
}

void MainWindow::applyEditorState()
{
    const TextEditor::FileMenu m = editor_->fileMenu();
    menu_.mnunew->setEnabled(m.newFile);
    menu_.mnuopen->setEnabled(m.open);
    menu_.mnuclose->setEnabled(m.close);
    menu_.mnuoversave->setEnabled(m.overwrite);
    menu_.mnusave->setEnabled(m.saveAs);
    if (menu_.mnuedhit->isChecked()) showFileLabel(editor_->currentFile(), editor_->fileLabelVisible());
}

void MainWindow::showFileLabel(const QString &path, bool visible)
{
    fileLabel_->setText(QDir::toNativeSeparators(path));
    fileLabel_->adjustSize();
    fileLabel_->setVisible(visible);
}

void MainWindow::updateEditStates()
{
    const bool selection = text1_->textCursor().hasSelection();
    menu_.mnucut->setEnabled(selection);
    menu_.mnucopy->setEnabled(selection);
    const QMimeData *data = QApplication::clipboard()->mimeData();
    menu_.mnupaste->setEnabled(data && data->hasText());
}

void MainWindow::quit()
{
    if (!editor_->askToSave() || !sketch_->askToSave()) return;
    context_.navigator.showExitDialog();
    hide();
}

bool MainWindow::confirmEnd()
{
    return editor_->confirmEnd() && sketch_->confirmEnd();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    context_.messages.show(this, QString::fromUtf8(endMessage));
    // A save the user cancelled keeps the program, and this window, as they were.
    event->setAccepted(context_.navigator.endProgram());
}

void MainWindow::showReadme()
{
    const QString path = findReadme();
    if (path.isEmpty()) {
        context_.messages.show(this, QStringLiteral("readme.txtが見つかりません。"));
        return;
    }
    if (desktop_.showTextFile(path)) return;
    if (!readme_) readme_ = std::make_unique<ReadmeWindow>();
    if (!readme_->load(path)) {
        context_.messages.show(this, QStringLiteral("readme.txtを開けませんでした。"));
        return;
    }
    readme_->show();
    readme_->raise();
}

QString MainWindow::clockText(const QDateTime &when)
{
    const QLocale locale = QLocale::system();
    return locale.toString(when.date(), QLocale::ShortFormat) + QStringLiteral("  ") +
           locale.toString(when.time(), QLocale::ShortFormat);
}

void MainWindow::tick()
{
    clock_->setText(clockText(QDateTime::currentDateTime()));
}

void MainWindow::cut()
{
    QTextCursor cursor = text1_->textCursor();
    QClipboard *clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setText(plainSelection(cursor));
    cursor.insertText(QStringLiteral(" "));
    text1_->setTextCursor(cursor);
}

void MainWindow::copy()
{
    QClipboard *clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setText(plainSelection(text1_->textCursor()));
}

void MainWindow::paste()
{
    QTextCursor cursor = text1_->textCursor();
    cursor.insertText(withLineFeeds(QApplication::clipboard()->text()));
    text1_->setTextCursor(cursor);
}

void MainWindow::selectAllAndCopy()
{
    QApplication::clipboard()->clear();
    text1_->selectAll();
    QApplication::clipboard()->setText(plainSelection(text1_->textCursor()));
}

void MainWindow::insertDateLine()
{
    QTextCursor start(text1_->document());
    start.insertText(QDate::currentDate().toString(QStringLiteral("MM-dd-yyyy")) + QLatin1Char('\n'));
}

void MainWindow::insertDateTime()
{
    QTextCursor cursor = text1_->textCursor();
    cursor.insertText(QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat));
    text1_->setTextCursor(cursor);
}

void MainWindow::chooseFont(const QString &family)
{
    list1_->hide();
    QFont font = text1_->font();
    font.setFamily(family);
    text1_->setFont(font);
}

void MainWindow::chooseFontSize(int index)
{
    QFont font = text1_->font();
    font.setPointSize(MainMenu::fontSizes[static_cast<size_t>(index)]);
    text1_->setFont(font);
    MainMenu::check(menu_.mnufontsizesitem, static_cast<size_t>(index));
}

} // namespace quendra
