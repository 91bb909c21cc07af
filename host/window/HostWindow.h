#pragma once

#include "host/session/HostOptions.h"
#include "host/window/Plot.h"
#include "host/window/WindowMemory.h"

#include <QMainWindow>
#include <QRect>

#include <utility>

class QDockWidget;
class QLabel;
class QMenu;

namespace host {

class Canvas;
class CommandLine;
class HostSession;

// quendra-host's window: the canvas, the command line, the layer panel, menus and the status bar.
class HostWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit HostWindow(HostSession &session, QWidget *parent = nullptr);

    // Opens the file and runs the replays of the command line.
    void start(const HostOptions &options);
    Canvas *canvas() const { return canvas_; }
    // The window's frame and its drawing area on the screen, in device pixels (the screen's own,
    // whatever scale the program runs at), for the assistant's dialogs to stand beside.
    std::pair<QRect, QRect> placeOnScreen() const;

public slots:
    void quitWithoutAsking();
    void showConversations(int count);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    void newDrawing();
    void openFile();
    // Opens a file, offering to recover what a damaged one holds.
    void openPath(const QString &path);
    // A file's old bytes kept by a save that never ended: put back, removed or left for later.
    void offerKeptCopies();
    void openFailed(const QString &error, bool recoverable);
    // Whether a recovered drawing may be saved over the file it came from; false: ask for a name.
    bool overwriteRecovered();
    bool saveFile();
    bool saveAs();
    void exportPicture(bool svg);
    void runScript();
    void plotDrawing();
    // 建具表: the fitting schedule, written as CSV or drawn at a point by SCHEDULE.
    void showSchedule();
    void plotWanted();
    // Asks whether to save a changed drawing; false when the user cancels.
    bool saveIfWanted();
    void pickWanted();
    void colorWanted();
    void saveWanted(bool as);
    void exitWanted();
    void scriptWanted();
    void updateTitle();
    void warn(const QString &message);
    QString dialogFolder() const;
    void fillRecentMenu();
    void rememberWindow();

    HostSession &session_;
    Canvas *canvas_;
    CommandLine *commandLine_;
    QDockWidget *layers_;
    QLabel *coordinates_;
    QLabel *conversations_;
    QLabel *modes_;
    PlotSettings plotSettings_;
    WindowMemory memory_;
    QMenu *recent_ = nullptr;
    bool quitting_ = false;
    // The file last asked to open, for recovering it when it cannot be read whole.
    QString opening_;
};

} // namespace host
