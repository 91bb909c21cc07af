#pragma once

#include "dialogs/AppContext.h"
#include "link/SymbolFrame.h"

#include <QObject>
#include <QString>

#include <map>
#include <memory>
#include <vector>

class QWidget;

namespace quendra {

class Desktop;
class ExitDialog;
class MainWindow;
class OpeningWindow;
class StartupDialog;
class SymbolEditListener;
class VersionDialog;

// Owns every window of the assistant: each is created on first use and afterwards only hidden and
// shown, so that it keeps its inputs and its link. Decides where a window goes next.
class Application : public QObject, public Navigator
{
    Q_OBJECT

public:
    Application(MessageService &messages, TransportFactory transports, Desktop &desktop);
    ~Application() override;

    // Shows the start-up dialog kidou.
    void start();
    // Listens for a host's requests to draw a symbol again (SymbolEditListener).
    void listenForEdits();
    // The form that drew a symbol, with the symbol's inputs, ready to draw it again in its place
    // (an Edit frame); what the program shows first when a host started it so. Empty, or why not.
    QString editSymbol(const SymbolFrame &frame);

    void showMainWindow() override;
    void showExitDialog() override;
    // Offers to save a changed text or sketch first, then hides every window and leaves the event
    // loop; false, with nothing changed, when the user cancelled the save question.
    bool endProgram() override;
    bool hasEnded() const { return ended_; }

    // Whether the main window can open a form: a built symbol form, or the calculator.
    static bool formAvailable(const QString &name);
    // A symbol form, loaded on first use, shown; the main window is hidden.
    void openForm(const QString &name);
    // The form if it has been loaded.
    QWidget *loadedForm(const QString &name) const;
    // The calculator dentaku if it has been loaded.
    QWidget *calculator() const;

    StartupDialog &startupDialog();
    OpeningWindow &openingWindow();
    MainWindow &mainWindow();
    ExitDialog &exitDialog();
    VersionDialog &versionDialog();
    AppContext &context() { return context_; }

signals:
    void programEnded();

private:
    void launchHost();
    void showVersion();
    void openCalculator();
    std::vector<QWidget *> windows() const;

    AppContext context_;
    Desktop &desktop_;
    std::unique_ptr<StartupDialog> kidou_;
    std::unique_ptr<OpeningWindow> start_;
    std::unique_ptr<MainWindow> main_;
    std::unique_ptr<ExitDialog> syuuryou_;
    std::unique_ptr<VersionDialog> barjyon_;
    std::map<QString, std::unique_ptr<QWidget>> forms_;
    std::unique_ptr<QWidget> dentaku_;
    std::unique_ptr<SymbolEditListener> edits_;
    bool ended_ = false;
};

} // namespace quendra
