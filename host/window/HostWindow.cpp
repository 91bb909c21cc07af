#include "host/window/HostWindow.h"

#include "cad/model/Schedule.h"
#include "cad/render/ColorDialog.h"
#include "host/session/FileSave.h"
#include "host/session/HostSession.h"
#include "host/session/ScheduleCsv.h"
#include "host/window/Canvas.h"
#include "host/window/CommandLine.h"
#include "host/window/Export.h"
#include "host/window/LayerPanel.h"
#include "host/window/PlotDialog.h"
#include "host/window/ScheduleDialog.h"
#include "host/window/SnapDialog.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QToolButton>

namespace host {

namespace {

const QString title = QStringLiteral("quendra-host");
const QString dxfFilter = QStringLiteral("DXF ファイル (*.dxf)");

// Qt keeps a screen's top left where the device has it and scales what lies beyond it.
QRect toDevicePixels(const QRect &r, const QScreen *screen)
{
    if (!screen) return r;
    const QPoint origin = screen->geometry().topLeft();
    const qreal ratio = screen->devicePixelRatio();
    return {origin + (r.topLeft() - origin) * ratio, (QSizeF(r.size()) * ratio).toSize()};
}

} // namespace

HostWindow::HostWindow(HostSession &session, QWidget *parent)
    : QMainWindow(parent), session_(session), canvas_(new Canvas(session, this)),
      commandLine_(new CommandLine(session, this)), coordinates_(new QLabel(this)),
      conversations_(new QLabel(this)), modes_(new QLabel(this))
{
    auto *split = new QSplitter(Qt::Vertical, this);
    split->addWidget(canvas_);
    split->addWidget(commandLine_);
    split->setStretchFactor(0, 1);
    split->setSizes({560, 140});
    setCentralWidget(split);
    layers_ = new QDockWidget(QStringLiteral("画層"), this);
    layers_->setObjectName(QStringLiteral("layers"));
    layers_->setWidget(new LayerPanel(session_, layers_));
    addDockWidget(Qt::RightDockWidgetArea, layers_);
    statusBar()->addWidget(coordinates_, 1);
    statusBar()->addPermanentWidget(conversations_);
    showConversations(0);
    buildMenus();
    // Within the screen it opens on, frame and panel included.
    QSize size(1300, 760);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 0.95);
    resize(size);
    // Where the user left it last time (Qt keeps a restored window on the screens there are now).
    restoreGeometry(memory_.geometry());
    restoreState(memory_.state());
    commandLine_->input()->setFocus();

    connect(canvas_, &Canvas::cursorMoved, this, [this](double x, double y) {
        coordinates_->setText(QStringLiteral("%1, %2").arg(x, 0, 'f', 4).arg(y, 0, 'f', 4));
    });
    statusBar()->addPermanentWidget(modes_);
    modes_->setText(canvas_->modeText());
    connect(canvas_, &Canvas::modesChanged, this, [this] { modes_->setText(canvas_->modeText()); });
    connect(commandLine_, &CommandLine::snapOverrideTyped, canvas_, &Canvas::setSnapOverride);
    connect(commandLine_, &CommandLine::midBetweenTyped, canvas_, &Canvas::startMidBetween);
    connect(commandLine_, &CommandLine::cycleTyped, canvas_, &Canvas::cycleSelection);
    commandLine_->takesLine = [this](const QString &line) { return canvas_->takeTypedPoint(line); };
    canvas_->setRunningSnaps(memory_.runningSnaps());
    // Queued: a dialog must never open inside the handling of a conversation's frame.
    connect(&session_, &HostSession::pickWanted, this, &HostWindow::pickWanted, Qt::QueuedConnection);
    connect(&session_, &HostSession::colorWanted, this, &HostWindow::colorWanted, Qt::QueuedConnection);
    connect(&session_, &HostSession::saveWanted, this, &HostWindow::saveWanted, Qt::QueuedConnection);
    connect(&session_, &HostSession::exitWanted, this, &HostWindow::exitWanted, Qt::QueuedConnection);
    connect(&session_, &HostSession::scriptWanted, this, &HostWindow::scriptWanted, Qt::QueuedConnection);
    connect(&session_, &HostSession::plotWanted, this, &HostWindow::plotWanted, Qt::QueuedConnection);
    connect(&session_, &HostSession::fileNameChanged, this, &HostWindow::updateTitle);
    connect(&session_, &HostSession::fileNameChanged, this,
            [this](const QString &file) { memory_.addRecent(file); });
    connect(&session_, &HostSession::opened, canvas_, &Canvas::zoomExtents);
    // At once, so that input waiting for the drawing goes to the one recovered.
    connect(&session_, &HostSession::openFailed, this, &HostWindow::openFailed);
    connect(&session_, &HostSession::drawingChanged, this, &HostWindow::updateTitle);
    connect(&session_, &HostSession::modifiedChanged, this, &HostWindow::updateTitle);
    updateTitle();
}

void HostWindow::buildMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    file->addAction(QStringLiteral("新規作成(&N)"), QKeySequence::New, this, &HostWindow::newDrawing);
    file->addAction(QStringLiteral("開く(&O)..."), QKeySequence::Open, this, &HostWindow::openFile);
    recent_ = file->addMenu(QStringLiteral("最近使ったファイル(&J)"));
    recent_->setObjectName(QStringLiteral("recentFiles"));
    connect(recent_, &QMenu::aboutToShow, this, &HostWindow::fillRecentMenu);
    fillRecentMenu();
    file->addAction(QStringLiteral("上書き保存(&S)"), QKeySequence::Save, this, &HostWindow::saveFile);
    file->addAction(QStringLiteral("名前を付けて保存(&A)..."), QKeySequence::SaveAs, this,
                    &HostWindow::saveAs);
    file->addSeparator();
#ifndef QUENDRA_NO_SVG
    file->addAction(QStringLiteral("SVG に書き出し(&G)..."), this, [this] { exportPicture(true); });
#endif
    file->addAction(QStringLiteral("PNG に書き出し(&P)..."), this, [this] { exportPicture(false); });
    file->addSeparator();
    file->addAction(QStringLiteral("印刷(&L)..."), QKeySequence::Print, this, &HostWindow::plotDrawing);
    file->addSeparator();
    file->addAction(QStringLiteral("スクリプト実行(&R)..."), this, &HostWindow::runScript);
    file->addAction(QStringLiteral("建具表(&T)..."), this, &HostWindow::showSchedule);
    file->addSeparator();
    file->addAction(QStringLiteral("終了(&X)"), QKeySequence::Quit, this, &QWidget::close);

    QMenu *edit = menuBar()->addMenu(QStringLiteral("編集(&E)"));
    edit->addAction(QStringLiteral("元に戻す(&U)"), QKeySequence::Undo, &session_, &HostSession::undo);
    edit->addAction(QStringLiteral("やり直し(&R)"), QKeySequence(Qt::CTRL | Qt::Key_Y), &session_,
                    &HostSession::redo);

    QMenu *view = menuBar()->addMenu(QStringLiteral("表示(&V)"));
    view->addAction(QStringLiteral("図形範囲ズーム(&E)"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E),
                    canvas_, &Canvas::zoomExtents);
    view->addAction(QStringLiteral("拡大(&I)"), QKeySequence::ZoomIn, this, [this] { canvas_->zoomBy(2); });
    view->addAction(QStringLiteral("縮小(&O)"), QKeySequence::ZoomOut, this,
                    [this] { canvas_->zoomBy(0.5); });
    view->addSeparator();
    QAction *grid = view->addAction(QStringLiteral("グリッド表示(&G)"), canvas_, &Canvas::setGridVisible);
    grid->setCheckable(true);
    grid->setShortcut(QKeySequence(Qt::Key_F7));
    QAction *snap =
        view->addAction(QStringLiteral("オブジェクト スナップ(&S)"), canvas_, &Canvas::setSnapEnabled);
    snap->setCheckable(true);
    snap->setChecked(canvas_->snapEnabled());
    snap->setShortcut(QKeySequence(Qt::Key_F3));
    view->addAction(QStringLiteral("オブジェクト スナップ設定(&D)..."), this, [this] {
        SnapDialog dialog(canvas_->runningSnaps(), this);
        if (dialog.exec() != QDialog::Accepted) return;
        canvas_->setRunningSnaps(dialog.modes());
        memory_.rememberRunningSnaps(dialog.modes());
    });
    QAction *gridSnap =
        view->addAction(QStringLiteral("グリッド スナップ(&N)"), canvas_, &Canvas::setGridSnap);
    gridSnap->setCheckable(true);
    gridSnap->setShortcut(QKeySequence(Qt::Key_F9));
    QAction *ortho = view->addAction(QStringLiteral("直交モード(&R)"), canvas_, &Canvas::setOrtho);
    ortho->setCheckable(true);
    ortho->setShortcut(QKeySequence(Qt::Key_F8));
    QAction *polar = view->addAction(QStringLiteral("極トラッキング(&T)"), canvas_, &Canvas::setPolar);
    polar->setCheckable(true);
    polar->setShortcut(QKeySequence(Qt::Key_F10));
    // Each turns the other off; the menu shows what the canvas holds.
    connect(canvas_, &Canvas::modesChanged, this, [this, ortho, polar] {
        ortho->setChecked(canvas_->ortho());
        polar->setChecked(canvas_->polar());
    });
    view->addSeparator();
    // The assistant's windows and doors cut their walls' lines where they stand.
    QAction *walls =
        view->addAction(QStringLiteral("壁に納める(&W)"), &session_, &HostSession::setWallOpenings);
    walls->setObjectName(QStringLiteral("wallOpenings"));
    walls->setCheckable(true);
    walls->setChecked(session_.interpreter().wallOpenings());
    connect(&session_, &HostSession::wallOpeningsChanged, walls, &QAction::setChecked);
    // The same switch in the status bar, where the modes are.
    auto *wallButton = new QToolButton(this);
    wallButton->setObjectName(QStringLiteral("wallOpeningsButton"));
    wallButton->setText(QStringLiteral("壁に納める"));
    wallButton->setCheckable(true);
    wallButton->setAutoRaise(true);
    wallButton->setChecked(walls->isChecked());
    connect(wallButton, &QToolButton::clicked, &session_, &HostSession::setWallOpenings);
    connect(&session_, &HostSession::wallOpeningsChanged, wallButton, &QToolButton::setChecked);
    statusBar()->addPermanentWidget(wallButton);
    view->addSeparator();
    QAction *panel = layers_->toggleViewAction();
    panel->setText(QStringLiteral("画層パネル(&L)"));
    view->addAction(panel);
    edit->addAction(QStringLiteral("図形の再編集(&M)"), this,
                    [this] { session_.type(QStringLiteral("SYMEDIT\r")); });
    QAction *all = edit->addAction(QStringLiteral("すべて選択(&A)"), canvas_, &Canvas::selectAll);
    all->setShortcut(QKeySequence::SelectAll);
    view->addAction(QStringLiteral("グリッド間隔(&P)..."), this, [this] {
        bool ok = false;
        const double spacing =
            QInputDialog::getDouble(this, QStringLiteral("グリッド間隔"), QStringLiteral("グリッド間隔:"),
                                    canvas_->gridSpacing(), 0.001, 1e9, 3, &ok);
        if (ok) canvas_->setGridSpacing(spacing);
    });
    view->addAction(QStringLiteral("極トラッキング角度(&A)..."), this, [this] {
        bool ok = false;
        const double degrees = QInputDialog::getDouble(this, QStringLiteral("極トラッキング角度"),
                                                       QStringLiteral("角度の増分 (度):"),
                                                       canvas_->polarAngle(), 1, 180, 2, &ok);
        if (ok) canvas_->setPolarAngle(degrees);
    });
}

void HostWindow::start(const HostOptions &options)
{
    session_.setWallOpenings(options.wallOpenings);
    offerKeptCopies();
    if (!options.open.isEmpty()) openPath(options.open);
    for (const QString &file : options.replays)
        session_.runScriptFile(file);
}

void HostWindow::quitWithoutAsking()
{
    rememberWindow();
    quitting_ = true;
    session_.setExiting(true);
    QApplication::quit();
}

void HostWindow::showConversations(int count)
{
    conversations_->setText(QStringLiteral("会話: %1").arg(count));
}

void HostWindow::closeEvent(QCloseEvent *event)
{
    if (quitting_ || saveIfWanted()) {
        rememberWindow();
        quitting_ = true;
        session_.setExiting(true);
        event->accept();
        return;
    }
    event->ignore();
}

void HostWindow::newDrawing()
{
    if (saveIfWanted()) session_.newDrawing();
}

void HostWindow::openFile()
{
    if (!saveIfWanted()) return;
    const QString path =
        QFileDialog::getOpenFileName(this, QStringLiteral("DXF ファイルを開く"), dialogFolder(),
                                     dxfFilter + QStringLiteral(";;すべてのファイル (*)"));
    if (!path.isEmpty()) openPath(path);
}

// The drawing is read in the background; opened() shows it whole, openFailed() comes here.
void HostWindow::openPath(const QString &path)
{
    QString error;
    opening_ = path;
    if (!session_.openInBackground(path, &error)) warn(error);
}

void HostWindow::openFailed(const QString &error, bool recoverable)
{
    const QString path = opening_;
    if (!recoverable) {
        memory_.removeRecent(path);
        warn(error);
        return;
    }
    const auto answer =
        QMessageBox::warning(this, title, error + QStringLiteral("\n読み込める部分だけを復元して開きますか?"),
                             QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes) return;
    QString failure;
    if (session_.open(path, &failure, true))
        canvas_->zoomExtents();
    else
        warn(failure);
}

void HostWindow::offerKeptCopies()
{
    for (const KeptCopy &kept : keptCopies()) {
        QMessageBox box(QMessageBox::Warning, title,
                        keptCopyNotice(kept) + QStringLiteral("\n控えで元に戻しますか?"),
                        QMessageBox::NoButton, this);
        QPushButton *back = box.addButton(QStringLiteral("元に戻す"), QMessageBox::AcceptRole);
        QPushButton *drop = box.addButton(QStringLiteral("控えを削除"), QMessageBox::DestructiveRole);
        box.addButton(QStringLiteral("後で"), QMessageBox::RejectRole);
        box.exec();
        if (box.clickedButton() == back) {
            const QString error = putBack(kept);
            if (!error.isEmpty()) warn(error);
        } else if (box.clickedButton() == drop) {
            removeKept(kept);
        }
    }
}

bool HostWindow::overwriteRecovered()
{
    if (!session_.recovered()) return true;
    const auto answer = QMessageBox::question(
        this, title,
        QStringLiteral("この図面は壊れたファイルから復元したものです。元のファイルに上書きしますか?\n"
                       "「いいえ」で別の名前を付けて保存します。"),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes) return false;
    session_.allowOverwrite();
    return true;
}

bool HostWindow::saveFile()
{
    if (session_.fileName().isEmpty() || !overwriteRecovered()) return saveAs();
    QString error;
    if (session_.save(session_.fileName(), &error)) return true;
    warn(error);
    return false;
}

bool HostWindow::saveAs()
{
    QString path =
        QFileDialog::getSaveFileName(this, QStringLiteral("名前を付けて保存"), dialogFolder(), dxfFilter);
    if (path.isEmpty()) return false;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".dxf");
    QString error;
    if (session_.save(path, &error)) return true;
    warn(error);
    return false;
}

void HostWindow::exportPicture(bool svg)
{
    const QString filter = svg ? QStringLiteral("SVG 画像 (*.svg)") : QStringLiteral("PNG 画像 (*.png)");
    const QString suffix = svg ? QStringLiteral("svg") : QStringLiteral("png");
    QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("書き出し"), suggestedExportPath(session_.fileName(), dialogFolder(), suffix),
        filter);
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QLatin1Char('.') + suffix;
    memory_.rememberFolderOf(path);
    const QString error = svg ? exportSvg(session_.drawing(), path) : exportPng(session_.drawing(), path);
    if (!error.isEmpty()) warn(error);
}

void HostWindow::plotDrawing()
{
    PlotDialog dialog(session_.drawing(), canvas_->visibleBox(), plotSettings_, this);
    dialog.suggestPdf(suggestedExportPath(session_.fileName(), dialogFolder(), QStringLiteral("pdf")));
    dialog.exec();
    plotSettings_ = dialog.settings();
    if (dialog.result() == QDialog::Accepted) memory_.rememberFolderOf(dialog.pdf());
}

void HostWindow::plotWanted()
{
    plotDrawing();
    session_.resume();
}

void HostWindow::showSchedule()
{
    ScheduleDialog dialog(cad::fittingSchedule(session_.drawing()), this);
    dialog.exec();
    if (dialog.choice() == ScheduleDialog::Choice::Draw) {
        // As a menu macro does: a command running is cancelled first.
        if (!session_.interpreter().commandName().empty()) session_.cancel();
        session_.type(QStringLiteral("SCHEDULE\r"));
        return;
    }
    if (dialog.choice() != ScheduleDialog::Choice::Csv) return;
    QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("建具表の書き出し"),
        suggestedExportPath(session_.fileName(), dialogFolder(), QStringLiteral("csv")),
        QStringLiteral("CSV ファイル (*.csv)"));
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".csv");
    memory_.rememberFolderOf(path);
    const QString error = writeScheduleCsv(session_.drawing(), path);
    if (!error.isEmpty()) warn(error);
}

void HostWindow::runScript()
{
    const QString path =
        QFileDialog::getOpenFileName(this, QStringLiteral("スクリプト実行"), dialogFolder(),
                                     QStringLiteral("スクリプト (*.scr);;すべてのファイル (*)"));
    if (path.isEmpty()) return;
    memory_.rememberFolderOf(path);
    session_.runScriptFile(path);
}

bool HostWindow::saveIfWanted()
{
    if (!session_.modified()) return true;
    QMessageBox box(QMessageBox::Question, title,
                    QStringLiteral("図面は変更されています。変更を保存しますか?"), QMessageBox::NoButton,
                    this);
    QPushButton *yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
    box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.exec();
    if (box.clickedButton() == yes) return saveFile();
    return box.clickedButton() == no;
}

void HostWindow::pickWanted()
{
    if (!session_.interpreter().waitingForPick()) return;
    // The assistant minimises itself and waits: the host comes forward for the pick.
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
    commandLine_->input()->setFocus();
}

void HostWindow::colorWanted()
{
    if (!session_.interpreter().waitingForColor()) return;
    raise();
    activateWindow();
    cad::ColorDialog dialog(session_.interpreter().color(), this);
    // Withdrawn meanwhile (its conversation ended, or answered at the command line): it closes.
    connect(&session_, &HostSession::inputTaken, &dialog, [this, &dialog] {
        if (!session_.interpreter().waitingForColor()) dialog.reject();
    });
    const bool chosen = dialog.exec() == QDialog::Accepted;
    if (!session_.interpreter().waitingForColor()) return; // answered at the command line meanwhile
    session_.chooseColor(chosen ? dialog.colorIndex() : session_.interpreter().color());
}

void HostWindow::saveWanted(bool as)
{
    if (as)
        saveAs();
    else
        saveFile();
    session_.resume();
}

void HostWindow::exitWanted()
{
    raise();
    activateWindow();
    if (!saveIfWanted()) {
        session_.note(QStringLiteral("終了を取り消しました。"));
        session_.resume();
        return;
    }
    quitWithoutAsking();
}

void HostWindow::scriptWanted()
{
    const QString path =
        QFileDialog::getOpenFileName(this, QStringLiteral("スクリプト ファイルを選択"), dialogFolder(),
                                     QStringLiteral("スクリプト (*.scr);;すべてのファイル (*)"));
    if (!path.isEmpty()) session_.runScriptFile(path);
    session_.resume();
}

void HostWindow::updateTitle()
{
    const QString name =
        session_.fileName().isEmpty() ? QStringLiteral("無題") : QFileInfo(session_.fileName()).fileName();
    const QString recovered = session_.recovered() ? QStringLiteral(" (復元)") : QString();
    setWindowTitle(QStringLiteral("%1%2[*] - %3").arg(name, recovered, title));
    setWindowModified(session_.modified());
}

void HostWindow::warn(const QString &message)
{
    QMessageBox::warning(this, title, message);
}

// The drawing's folder; without a file, the folder a file dialog was last in; else the current
// folder, on Windows the user's documents (the current folder is then the program's own).
QString HostWindow::dialogFolder() const
{
    if (!session_.fileName().isEmpty()) return QFileInfo(session_.fileName()).absolutePath();
    if (!memory_.lastFolder().isEmpty() && QFileInfo(memory_.lastFolder()).isDir())
        return memory_.lastFolder();
#ifdef _WIN32
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
#else
    return QDir::currentPath();
#endif
}

void HostWindow::fillRecentMenu()
{
    recent_->clear();
    const QStringList files = memory_.recentFiles();
    for (int i = 0; i < files.size(); ++i) {
        const QString &file = files[i];
        // Numbered as access keys, 1 to 8.
        QAction *open =
            recent_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(file)));
        connect(open, &QAction::triggered, this, [this, file] {
            if (saveIfWanted()) openPath(file);
        });
    }
    recent_->setEnabled(!files.isEmpty());
}

void HostWindow::rememberWindow()
{
    memory_.rememberWindow(saveGeometry(), saveState());
}

std::pair<QRect, QRect> HostWindow::placeOnScreen() const
{
    if (!isVisible() || isMinimized()) return {};
    const QRect drawing(canvas_->mapToGlobal(QPoint(0, 0)), canvas_->size());
    return {toDevicePixels(frameGeometry(), screen()), toDevicePixels(drawing, screen())};
}

} // namespace host
