#include "bridge/librecad/Bridge.h"

#include "bridge/librecad/Placement.h"
#include "cad/model/Angle.h"
#include "cad/render/ColorDialog.h"
#include "cad/render/Render.h"
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

// LibreCAD's colours: -1 ByLayer, -2 ByBlock, else 24-bit RGB; black is its white-on-dark 7.
int libreCadColor(int index)
{
    if (index == cad::colorByLayer) return -1;
    if (index == 0) return -2;
    if (index == 7) return 0;
    return static_cast<int>(cad::colorOf(index, cad::RenderStyle{}).rgb() & 0xffffff);
}

QPointF at(cad::Point p)
{
    return QPointF(p.x, p.y);
}

// With LibreCAD's current pen (ByLayer unless the user chose otherwise).
void putPlain(Document_Interface *doc, const Placement &p)
{
    QPointF a = at(p.points.front());
    switch (p.kind) {
    case Placement::Kind::Line: {
        QPointF b = at(p.points[1]);
        doc->addLine(&a, &b);
        break;
    }
    case Placement::Kind::Circle:
        doc->addCircle(&a, p.radius);
        break;
    case Placement::Kind::Arc:
        doc->addArc(&a, p.radius, p.startAngle, p.endAngle);
        break;
    case Placement::Kind::Ellipse: {
        QPointF axis = at(p.points[1]);
        doc->addEllipse(&a, &axis, p.ratio, 0, 0); // both angles 0: the whole ellipse
        break;
    }
    case Placement::Kind::Text:
        // LibreCAD 2.2 takes the vertical alignment as its own number (baseline, bottom, middle,
        // top): VAlignBottom is its middle.
        doc->addText(QString::fromStdString(p.text), QString::fromUtf8(textFont), &a, p.height, p.rotation,
                     DPI::HAlignCenter, DPI::VAlignBottom);
        break;
    case Placement::Kind::Polyline: {
        std::vector<Plug_VertexData> vertices;
        for (const cad::Point &v : p.points)
            vertices.emplace_back(at(v), 0.0);
        doc->addPolyline(vertices, p.closed);
        break;
    }
    }
}

// In a colour of its own: the entity is made and coloured before it is added, as LibreCAD's undo
// takes a change after adding for a second change and would bring the uncoloured one back.
void putColored(Document_Interface *doc, const Placement &p, int color)
{
    const cad::Point a = p.points.front();
    QHash<int, QVariant> data{{DPI::COLOR, color}, {DPI::STARTX, a.x}, {DPI::STARTY, a.y}};
    Plug_Entity *e = nullptr;
    switch (p.kind) {
    case Placement::Kind::Line:
        e = doc->newEntity(DPI::LINE);
        data.insert(DPI::ENDX, p.points[1].x);
        data.insert(DPI::ENDY, p.points[1].y);
        break;
    case Placement::Kind::Circle:
    case Placement::Kind::Arc:
        e = doc->newEntity(p.kind == Placement::Kind::Arc ? DPI::ARC : DPI::CIRCLE);
        data.insert(DPI::RADIUS, p.radius);
        data.insert(DPI::STARTANGLE, p.startAngle * cad::radiansPerDegree);
        data.insert(DPI::ENDANGLE, p.endAngle * cad::radiansPerDegree);
        break;
    case Placement::Kind::Ellipse:
        e = doc->newEntity(DPI::ELLIPSE);
        data.insert(DPI::ENDX, p.points[1].x);
        data.insert(DPI::ENDY, p.points[1].y);
        data.insert(DPI::HEIGHT, p.ratio);
        break;
    case Placement::Kind::Polyline: {
        if (p.points.size() < 2) return;
        e = doc->newEntity(DPI::POLYLINE);
        QList<Plug_VertexData> vertices;
        for (const cad::Point &v : p.points)
            vertices.append(Plug_VertexData(at(v), 0.0));
        if (e) e->updatePolylineData(&vertices);
        data.insert(DPI::CLOSEPOLY, p.closed ? 1 : 0);
        break;
    }
    case Placement::Kind::Text:
        // The interface makes no text with an alignment but through addText, which takes the
        // current pen.
        putPlain(doc, p);
        return;
    }
    if (!e) return;
    e->updateData(&data);
    // Not deleted: the wrapper would take the entity, which the document owns now, with it.
    doc->addEntity(e);
}

void put(Document_Interface *doc, const Placement &p)
{
    const int color = libreCadColor(p.color);
    if (color == -1)
        putPlain(doc, p);
    else
        putColored(doc, p, color);
}

} // namespace

Bridge::Bridge(QAction *toggleAction, QAction *drawAction, QObject *parent)
    : QObject(parent), toggleAction_(toggleAction), drawAction_(drawAction)
{
    batch_.setSingleShot(true);
    pickSleep_.setSingleShot(true);
    connect(&pickSleep_, &QTimer::timeout, this, &Bridge::waitForEvents);
    // A pick the conversation withdrew (its conversation ended, another's input came) ends in
    // LibreCAD too.
    connect(&session_, &host::HostSession::promptChanged, this, [this] {
        if (picking_ && !session_.interpreter().waitingForPick()) cancelPick();
    });
    // The walls are LibreCAD's, and only what the session adds reaches it: nothing is cut here.
    session_.setWallOpenings(false);
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
                session_.pick(cad::Point{p.x(), p.y()});
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
    for (; applied_ < drawing.size(); ++applied_) {
        const std::uint32_t symbol = drawing.symbolOf(applied_);
        if (symbol != 0 && symbol == drawing.openSymbol()) return false;
        if (applied_ > first && symbol != drawing.symbolOf(first)) return false;
        for (const Placement &p : placementsOf(drawing.at(applied_)))
            put(doc, p);
    }
    return true;
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
    status_->setText(QStringLiteral("Quendra_LT 連携中 (会話 %1)").arg(server_->conversations()));
}

} // namespace bridge
