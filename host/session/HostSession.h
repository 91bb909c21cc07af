#pragma once

#include "cad/command/Interpreter.h"
#include "cad/dxf/Dxf.h"
#include "cad/dxf/DxfSource.h"
#include "cad/model/Drawing.h"
#include "host/session/AssistantReach.h"
#include "host/session/Conversations.h"

#include <QByteArrayList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>
#include <string_view>
#include <thread>
#include <vector>

namespace host {

// The drawing, its command line and its file, shared by the window, the headless mode and the
// server. Every input goes through here; afterwards the session tells what changed and what the
// program must do (a pick, a colour, a save, the end).
class HostSession : public QObject
{
    Q_OBJECT

public:
    // Queued input waiting beyond this is refused, so that a runaway client cannot eat memory.
    // Scripts waiting to run count as well.
    static constexpr std::size_t maxQueued = 256u * 1024u * 1024u;
    // Inputs of a script taken before the program gets back to its events (SIGTERM, Escape).
    static constexpr std::size_t scriptSlice = 256;

    explicit HostSession(QObject *parent = nullptr);
    ~HostSession() override;

    const cad::Drawing &drawing() const { return drawing_; }
    const cad::Interpreter &interpreter() const { return interpreter_; }

    // Whether queued input of this size would be taken now; otherwise `reason` says why not.
    bool accepts(std::size_t bytes, QString *reason) const;
    // Input of a conversation or a script, after what is already queued; `source` names it in
    // the history ("会話 1"). Input with a source is one undo step (one symbol). `origin` tells
    // who sent it (cad::Interpreter::origin()); with `fromPrompt`, it runs only from the command
    // prompt: when a command is unfinished there, it is dropped and inputRefused() says why.
    void enqueue(std::string_view utf8chars, const QString &source, int origin = 0, bool fromPrompt = false);
    // A symbol in the input, after what is already queued: see cad::Interpreter::beginSymbol.
    // `replaces` is the token of the symbol it takes the place of (symbolEdit()), or empty.
    void beginSymbol(cad::Symbol symbol, bool basePicked, const std::string &replaces = {});
    void endSymbol();
    void takeBackSymbol(const QString &why);
    // A fitting's base point next, after what is already queued: see Interpreter::armWallPick.
    void armWallPick(int conversation);
    // Fittings set into their walls (壁に納める), on by default.
    void setWallOpenings(bool on);
    // Walls that are not the drawing's own: see cad::Interpreter::setWallsElsewhere.
    void setWallsElsewhere(const cad::Drawing *walls) { interpreter_.setWallsElsewhere(walls); }
    // Characters enqueued so far: input enqueued next takes the positions after this.
    std::uint64_t fed() const { return fed_; }
    // Whether the input before position `end` has been carried out, scripts it started included.
    bool carriedOut(std::uint64_t end) const
    {
        return interpreter_.taken() >= end && !waitingForProgram_ && !interpreter_.requestPending() &&
               !scriptRunning();
    }
    // At the command prompt with nothing waiting to run: no drawing being read (input waits for
    // it), no script, no request of the program's, no input waiting for another's symbol.
    bool idle() const;
    // What the user types at the command line: served at once.
    void type(const QString &text);
    void pick(cad::Point p);
    // Objects selected in the view at the command prompt, for the next edit (noun-verb).
    void setSelection(std::vector<std::size_t> indices);
    void setPickTolerance(double tolerance) { interpreter_.setPickTolerance(tolerance); }
    void chooseColor(int colorIndex);
    // Escape: stops a running script as well.
    void cancel();
    // Stops the running script and those waiting to run, as the Escape key does, and leaves the
    // rest to the Escape in the input; false when none ran.
    bool stopScripts();
    // Ends the running command alone, saying `why` in the history: a script goes on.
    void cancelCommand(const QString &why);
    // After the program has done a save or decided not to exit.
    void resume();
    void note(const QString &line);

    // A script file as typed input, before what is queued, run a slice at a time from the event
    // loop; after a running one unless it answers that script's SCRIPT. False with a message in
    // the history when it cannot be read.
    bool runScriptFile(const QString &path);
    bool scriptRunning() const { return interpreter_.scriptRunning() || !laterScripts_.empty(); }

    QString fileName() const { return fileName_; }
    bool modified() const { return drawing_.modified(); }
    void newDrawing();
    // With `recover`, a file cut short or broken is opened as far as it can be read.
    bool open(const QString &path, QString *error, bool recover = false);
    // Opens a file as open() does, its drawing read on a thread of its own so that the window
    // stays with the user: returns once the file's bytes are in (false with `error` when they
    // cannot be read). Until the drawing is read, input waits in order and a save writes the file
    // as it was; then opened() or openFailed() tells how it went (the drawing open before is back
    // then, unchanged).
    bool openInBackground(const QString &path, QString *error);
    bool loading() const { return loading_; }
    // After a failed open: whether opening with `recover` would read part of the file.
    bool recoverable() const { return recoverable_; }
    // A recovered drawing is saved over the file it came from only after allowOverwrite().
    bool recovered() const { return recovered_; }
    void allowOverwrite() { recovered_ = false; }
    bool save(const QString &path, QString *error);
    // Layer changes of the layer panel, each an undo step (within a running command, part of
    // its step). A frozen layer is not made current nor the current one frozen: the history
    // says so and nothing changes.
    void setLayerOn(std::size_t layer, bool on);
    void setLayerFrozen(std::size_t layer, bool frozen);
    void setLayerColor(std::size_t layer, int color);
    void setCurrentLayer(std::size_t layer);
    // A new layer of that name (colour 7, on); false with the reason when the name is not one
    // a layer may have or is taken.
    bool makeLayer(const QString &name, QString *reason);
    // Undo and redo as the menu does them: a running command is ended first.
    void undo();
    void redo();

    // SYMEDIT's request as the assistant gets it: the symbol's form, inputs and a token that
    // names it in this drawing (a drawing opened later has symbols of the same ids).
    std::string symbolEdit(std::uint32_t symbol) const;
    AssistantReach &assistant() { return assistant_; }

    // The conversations of every server, which feed this session.
    Conversations &conversations() { return conversations_; }

    void setExiting(bool exiting) { exiting_ = exiting; }
    bool exiting() const { return exiting_; }

signals:
    void drawingChanged();
    void historyAdded(const QStringList &lines);
    void promptChanged(const QString &prompt);
    void pickWanted();
    void colorWanted();
    void zoomExtentsWanted();
    void selectionChanged();
    // The program saves (to fileName() or, with `as`, to a name it asks for), then calls resume().
    void saveWanted(bool as);
    // The program asks about saving and ends, or calls resume() to go on.
    void exitWanted();
    // SCRIPT without a file name: the program may ask for one and call runScriptFile(), then resume().
    void scriptWanted();
    // PLOT: the program lays the drawing out on paper, then calls resume().
    void plotWanted();
    void fileNameChanged(const QString &fileName);
    // Whether the drawing differs from its file changed (drawn, saved, opened).
    void modifiedChanged(bool modified);
    // The scripts started have all run (or were stopped, or could not be read).
    void scriptEnded();
    // A SAVE or SAVEAS of the command line has been done: `failure` is empty, or says why the
    // drawing was not saved. interpreter().taken() still tells where in the input it stood.
    void saveDone(const QString &failure);
    // Input that runs only from the command prompt was dropped: `reason` says why.
    // interpreter().taken() is then the end of that input.
    void inputRefused(const QString &reason);
    // Input was taken or the program answered: carriedOut() may have changed.
    void inputTaken();
    // The drawing openInBackground() began to read is in, or could not be read (`recoverable`:
    // opening it with `recover` would read part of it); either way, the input that waited runs.
    void opened();
    void wallOpeningsChanged(bool on);
    void openFailed(const QString &error, bool recoverable);

private:
    struct Opening;
    static Opening reading(cad::DxfReadResult read, bool recover);
    void feed(std::string_view utf8chars, const QString &source, int origin, bool fromPrompt);
    bool take(Opening opening, const QString &path, bool recover, QString *error);
    // While a drawing is read in the background: keeps `input` for when it is in, and true.
    bool held(std::function<void()> input);
    void finishLoading(std::uint64_t generation);
    // Waits for the drawing being read and takes it (before anything replaces it).
    void waitForLoading();
    void settle();
    void followCodepage();
    void step();
    bool handle(const cad::Request &request);
    void publish();
    bool readScript(const QString &path, QByteArray *bytes);
    bool dropScripts();
    void stepScript();

    cad::Drawing drawing_;
    cad::Interpreter interpreter_;
    QString fileName_;
    // The file the drawing was opened from, and how many of its entities came from it: a save
    // writes that file back with what was drawn since.
    std::shared_ptr<const cad::DxfSource> source_;
    // How many pieces showed each entity of the file when it was opened (DxfSource::edited).
    std::vector<std::uint32_t> shown_;
    bool recoverable_ = false;
    bool recovered_ = false;
    std::uint64_t fed_ = 0;
    bool saveAsked_ = false;
    QString saveFailure_;
    bool settling_ = false;
    bool again_ = false;
    bool waitingForProgram_ = false;
    bool pickAnnounced_ = false;
    bool colorAnnounced_ = false;
    bool exiting_ = false;
    bool answeringScript_ = false;
    bool scriptActive_ = false;
    QByteArrayList laterScripts_;
    std::size_t laterBytes_ = 0;
    QTimer scriptTimer_;
    std::uint64_t seenRevision_ = 0;
    std::uint64_t seenHistory_ = 0;
    QString seenPrompt_;
    bool seenModified_ = false;
    // The reading in the background: its thread, which reading it is, the bytes it reads (what
    // a save writes until it is done) and the input that waits for it.
    std::thread loader_;
    bool loading_ = false;
    std::uint64_t loadGeneration_ = 0;
    std::shared_ptr<const std::string> loadingBytes_;
    std::shared_ptr<Opening> loaded_;
    // What was open before, back when the file cannot be read.
    struct Previous;
    std::unique_ptr<Previous> previous_;
    std::vector<std::function<void()>> held_;
    std::size_t heldBytes_ = 0;
    Conversations conversations_{*this};
    AssistantReach assistant_;
    // Counts the drawings this session has held, for symbolEdit()'s tokens.
    std::uint64_t drawingNumber_ = 0;
};

} // namespace host
