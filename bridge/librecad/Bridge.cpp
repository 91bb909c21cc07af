#include "bridge/librecad/Bridge.h"

#include "bridge/librecad/Put.h"
#include "bridge/librecad/Walls.h"
#include "cad/render/ColorDialog.h"
#include "host/session/CommandServer.h"
#include "link/Conversation.h"

#include "document_interface.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointF>
#include <QStatusBar>
#include <QTimer>

#include <utility>

namespace bridge {

namespace {

const QString title = QStringLiteral("Quendra_LT");

} // namespace

Bridge::Bridge(QAction *toggleAction, QAction *drawAction, QAction *wallsAction, QObject *parent)
    : QObject(parent), toggleAction_(toggleAction), drawAction_(drawAction), wallsAction_(wallsAction)
{
    batch_.setSingleShot(true);
    pickSleep_.setSingleShot(true);
    connect(&pickSleep_, &QTimer::timeout, this, &Bridge::waitForEvents);
    // A pick the conversation withdrew (its conversation ended, another's input came) ends in
    // LibreCAD too.
    connect(&session_, &host::HostSession::promptChanged, this, [this] {
        if (picking_ && !session_.interpreter().waitingForPick()) cancelPick();
    });
    // The walls are LibreCAD's: a fitting's base point snaps to those read round the pick, and
    // the opening is cut in LibreCAD as the symbol reaches it.
    session_.setWallsElsewhere(&walls_.drawing());
    connect(&batch_, &QTimer::timeout, this, &Bridge::call);
    connect(&session_, &host::HostSession::drawingChanged, this, &Bridge::schedule);
    connect(&session_, &host::HostSession::pickWanted, this, [this] {
        pickWanted_ = true;
        schedule();
    });
    connect(&session_, &host::HostSession::colorWanted, this,
            [this] { QTimer::singleShot(0, this, &Bridge::chooseColor); });
    connect(&session_, &host::HostSession::exitWanted, this,
            [this] { QTimer::singleShot(0, this, &Bridge::exitLibreCad); });
    // Saving and script files are LibreCAD's own business here.
    connect(&session_, &host::HostSession::saveWanted, this, [this] {
        session_.note(QStringLiteral("保存は LibreCAD のメニューから行って下さい。"));
        session_.resume();
    });
    connect(&session_, &host::HostSession::scriptWanted, &session_, &host::HostSession::resume);
    connect(&session_, &host::HostSession::historyAdded, this, &Bridge::tell);
}

Bridge::~Bridge() = default;

void Bridge::toggle(QWidget *mainWindow)
{
    mainWindow_ = mainWindow;
    if (server_) {
        cancelPick();
        server_.reset();
        tell({QStringLiteral("Quendra_LT 連携を終了しました。")});
        showStatus();
        return;
    }
    auto server = std::make_unique<host::CommandServer>(session_);
    QString error;
    if (!server->listen(QString::fromUtf8(quendra::cadService), QString::fromUtf8(quendra::cadTopic),
                        &error)) {
        tell({error});
        showStatus();
        QMessageBox::warning(mainWindow, title, error);
        return;
    }
    connect(server.get(), &host::CommandServer::conversationsChanged, this, &Bridge::showStatus);
    server_ = std::move(server);
    tell({QStringLiteral("Quendra_LT 連携: 「%1|%2」を受け付けています。")
              .arg(QString::fromUtf8(quendra::cadService), QString::fromUtf8(quendra::cadTopic))});
    showStatus();
}

void Bridge::serve(Document_Interface *doc)
{
    if (inCall_) return;
    inCall_ = true;
    bool whole = apply(doc);
    if (pickWanted_ && session_.interpreter().waitingForPick()) {
        pickWanted_ = false;
        QPointF p;
        const QString prompt = QString::fromStdString(session_.interpreter().prompt());
        picking_ = true;
        qApp->installEventFilter(this);
        pickSleep_.start(0);
        const bool picked = doc->getPoint(&p, prompt);
        pickSleep_.stop();
        qApp->removeEventFilter(this);
        picking_ = false;
        if (session_.interpreter().waitingForPick()) {
            if (picked && isOn())
                pickAt(doc, cad::Point{p.x(), p.y()});
            else
                session_.cancel();
        }
        whole = apply(doc);
    }
    pickWanted_ = pickWanted_ && session_.interpreter().waitingForPick();
    inCall_ = false;
    // What was closed during the pick closes now, LibreCAD's loop having let go of the drawing.
    const QList<QPointer<QWidget>> closing = std::exchange(closing_, {});
    for (const QPointer<QWidget> &w : closing)
        if (w) QTimer::singleShot(0, w.data(), &QWidget::close);
    if (again_ || !whole) {
        again_ = false;
        schedule();
    }
}

void Bridge::pickAt(Document_Interface *doc, cad::Point at)
{
    const cad::Interpreter &interpreter = session_.interpreter();
    if (!interpreter.wallOpenings()) {
        session_.pick(at);
        return;
    }
    cad::Box near;
    near.add(at);
    walls_.read(doc, near);
    // A fitting's pick (its wall not found yet) that finds no wall: LibreCAD hands no block's
    // lines over, so a wall in a block reference is never found.
    const auto armed = interpreter.wallPicked();
    const bool fitting = armed && !armed->second && armed->first == interpreter.origin();
    session_.pick(at);
    const auto found = interpreter.wallPicked();
    if (fitting && walls_.hasBlocks() && (!found || !found->second))
        session_.note(QStringLiteral("壁が見つかりません。ブロックの中の線は LibreCAD から読めないため、"
                                     "ブロックの中の壁には納められません。"));
}

// LibreCAD's pick loop asks for events without waiting for them: this timer, due at once and
// started afresh each time, waits for the next event inside it, so that the loop sleeps.
void Bridge::waitForEvents()
{
    if (!picking_) return;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (picking_) pickSleep_.start(0);
}

// Ends LibreCAD's pick as its Escape does: its actions killed, its loop let go.
void Bridge::cancelPick()
{
    if (!picking_) return;
    QWidget *window = mainWindow_ ? mainWindow_->window() : nullptr;
    if (window && QMetaObject::invokeMethod(window, "slotKillAllActions")) return;
    QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : window;
    if (!target) return;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
}

// During a pick, closing LibreCAD or a drawing would delete the view LibreCAD's loop still
// reads: the pick is cancelled first and the close done once the loop has returned.
bool Bridge::eventFilter(QObject *watched, QEvent *event)
{
    if (picking_ && event->type() == QEvent::Close && watched->isWidgetType()) {
        auto *w = static_cast<QWidget *>(watched);
        const QWidget *main = mainWindow_ ? mainWindow_->window() : nullptr;
        if (w == main || w->inherits("QMdiSubWindow")) {
            event->ignore();
            closing_.append(w);
            cancelPick();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

// Sets off a plugin call once the scripts stop coming for a moment, so that the several scripts
// of one draw are one call; a pick is asked for at once. Calls never nest (a pick runs one).
void Bridge::schedule()
{
    if (inCall_) {
        again_ = true;
        return;
    }
    batch_.start(pickWanted_ ? 0 : batchMilliseconds);
}

void Bridge::call()
{
    if (inCall_) {
        again_ = true;
        return;
    }
    if (!drawAction_) return;
    if (drawAction_->isEnabled())
        drawAction_->trigger();
    else
        tell({QStringLiteral("図面が開かれていないため作図できません。図面を開いて下さい。")});
}

// One call, one undo step in LibreCAD: a symbol's pieces go alone, once it has ended; what comes
// after it waits for the next call.
bool Bridge::apply(Document_Interface *doc)
{
    const cad::Drawing &drawing = session_.drawing();
    if (applied_ > drawing.size()) applied_ = drawing.size();
    const std::size_t first = applied_;
    std::size_t end = first;
    bool whole = true;
    for (; end < drawing.size(); ++end) {
        const std::uint32_t symbol = drawing.symbolOf(end);
        if ((symbol != 0 && symbol == drawing.openSymbol()) ||
            (end > first && symbol != drawing.symbolOf(first))) {
            whole = false;
            break;
        }
    }
    // A fitting goes into its wall in the same call, so that one undo takes both back; the
    // walls are read before the fitting's own lines are there to be taken for one.
    if (end > first && session_.interpreter().wallOpenings())
        for (const std::string &line : walls_.setIntoWall(doc, drawing, drawing.symbolOf(first)))
            session_.note(QString::fromStdString(line));
    for (; applied_ < end; ++applied_)
        for (const Placement &p : placementsOf(drawing.at(applied_)))
            put(doc, p);
    return whole;
}

void Bridge::toggleWalls(QWidget *mainWindow)
{
    if (!mainWindow_) mainWindow_ = mainWindow;
    const bool on = !session_.interpreter().wallOpenings();
    session_.setWallOpenings(on);
    tell({on ? QStringLiteral("壁に納める: オン (建具を壁の中心線に合わせ、壁の線を切ります)。")
             : QStringLiteral("壁に納める: オフ (建具は壁の線を切らずに作図します)。")});
    showStatus();
}

void Bridge::chooseColor()
{
    if (!session_.interpreter().waitingForColor()) return;
    cad::ColorDialog dialog(session_.interpreter().color(), mainWindow_);
    if (dialog.exec() == QDialog::Accepted)
        session_.chooseColor(dialog.colorIndex());
    else
        session_.cancel();
}

// EXIT: LibreCAD closes as its own quit does, asking about unsaved drawings; if the user stays,
// the queue goes on.
void Bridge::exitLibreCad()
{
    QWidget *window = mainWindow_ ? mainWindow_->window() : nullptr;
    if (window && window->close()) return;
    session_.resume();
}

// Lines for LibreCAD's command history.
void Bridge::tell(const QStringList &lines)
{
    if (!mainWindow_) return;
    for (QWidget *w : mainWindow_->findChildren<QWidget *>()) {
        if (!w->inherits("QG_CommandWidget")) continue;
        for (const QString &line : lines)
            QMetaObject::invokeMethod(w, "appendHistory", Q_ARG(QString, line));
        return;
    }
}

void Bridge::showStatus()
{
    if (toggleAction_) {
        toggleAction_->setCheckable(true);
        toggleAction_->setChecked(isOn());
    }
    if (wallsAction_) {
        wallsAction_->setCheckable(true);
        wallsAction_->setChecked(session_.interpreter().wallOpenings());
    }
    auto *window = qobject_cast<QMainWindow *>(mainWindow_.data());
    if (!window) return;
    if (!isOn()) {
        delete status_;
        return;
    }
    if (!status_) {
        status_ = new QLabel(window);
        window->statusBar()->addPermanentWidget(status_);
    }
    status_->setText(
        QStringLiteral("Quendra_LT 連携中 (会話 %1)%2")
            .arg(server_->conversations())
            .arg(session_.interpreter().wallOpenings() ? QStringLiteral("・壁に納める") : QString()));
}

} // namespace bridge
