#pragma once

#include "bridge/librecad/Walls.h"
#include "host/session/HostSession.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <memory>

class Document_Interface;
class QAction;
class QLabel;
class QWidget;

namespace host {
class CommandServer;
}

namespace bridge {

// The conversation served inside LibreCAD. The server and the interpreter (the host's own) live
// until LibreCAD quits; what touches LibreCAD's document happens in plugin calls, which the
// bridge sets off itself by triggering its own action (in no menu): one call per batch of
// drawing, and a symbol's scripts (link/SymbolFrame.h) only once it has ended, so that one draw
// is one undo step in LibreCAD.
//
// A pick runs LibreCAD's own loop inside such a call. While it does, the bridge keeps that loop
// asleep until something happens, and anything that would pull LibreCAD's document away under
// it (closing the drawing or LibreCAD, switching the bridge off, the conversation withdrawing the
// pick) first cancels the pick; a close waits until the call has returned.
class Bridge : public QObject
{
    Q_OBJECT

public:
    Bridge(QAction *toggleAction, QAction *drawAction, QAction *wallsAction, QObject *parent = nullptr);
    ~Bridge() override;

    bool isOn() const { return server_ != nullptr; }
    // The menu entry: switches listening on or off.
    void toggle(QWidget *mainWindow);
    // The menu entry 壁に納める: fittings set into LibreCAD's walls, or not.
    void toggleWalls(QWidget *mainWindow);
    // The call of the bridge's own action: puts what was drawn into the document, then asks for
    // a pending pick.
    void serve(Document_Interface *doc);

private:
    void schedule();
    void call();
    // False when some of the drawing is left for a later call: a symbol still open, or what
    // follows a symbol.
    bool apply(Document_Interface *doc);
    void cancelPick();
    // A point picked in LibreCAD, for the walls round it to be there for a fitting's base point.
    void pickAt(Document_Interface *doc, cad::Point at);
    void waitForEvents();
    bool eventFilter(QObject *watched, QEvent *event) override;
    void chooseColor();
    void exitLibreCad();
    void tell(const QStringList &lines);
    void showStatus();

    host::HostSession session_;
    std::unique_ptr<host::CommandServer> server_;
    QPointer<QAction> toggleAction_;
    QPointer<QAction> drawAction_;
    QPointer<QAction> wallsAction_;
    // LibreCAD's walls near the last pick, or round the last fitting set into one.
    DocumentWalls walls_;
    QPointer<QWidget> mainWindow_;
    QPointer<QLabel> status_;
    // How long the scripts of one draw may take to come one after the other.
    static constexpr int batchMilliseconds = 150;
    QTimer batch_;
    std::size_t applied_ = 0;
    bool pickWanted_ = false;
    bool inCall_ = false;
    bool again_ = false;
    // LibreCAD's pick loop is running; the single-shot timer that puts it to sleep meanwhile.
    bool picking_ = false;
    QTimer pickSleep_;
    // Windows whose close waits for the pick to end.
    QList<QPointer<QWidget>> closing_;
};

} // namespace bridge
