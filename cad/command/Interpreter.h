#pragma once

#include "cad/command/Request.h"
#include "cad/command/Transcript.h"
#include "cad/model/Drawing.h"
#include "cad/model/Entity.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cad {

class Command;
class CommandContext;

// The command line of the CAD host. Characters arrive as if typed: a blank, CR or LF is Enter,
// except in a line of DTEXT text, where only CR or LF ends the line. Enter at the empty command
// prompt repeats the last command.
//
// Input comes two ways. feed() is the queue of scripts (conversations, script files): it is taken
// in order, and held while ID waits for a pick, while DDCOLOR waits for a colour and while a
// request (EXIT, SAVE, SCRIPT, ZOOM) waits for the program. type() is the user at the keyboard:
// served at once, and it may answer the held prompt.
class Interpreter
{
public:
    explicit Interpreter(Drawing &drawing);
    ~Interpreter();
    Interpreter(const Interpreter &) = delete;
    Interpreter &operator=(const Interpreter &) = delete;

    void feed(std::string_view utf8chars);
    // Queued input that is one undo step named `step` (one execute of a conversation: a whole
    // symbol), however many commands it runs; an empty name leaves each command its own step.
    void feed(std::string_view utf8chars, std::string_view step);
    // How one piece of queued input is taken: its undo step as above; who sent it (origin(),
    // 0 for nobody in particular); and whether it runs only from the command prompt. Such a
    // piece that finds a command unfinished (or an input half sent) is dropped whole, and a
    // Refused request names that command, so that it is never taken as more input of it; one
    // that begins with an Escape ends the command itself.
    struct Sender
    {
        std::string step;
        int origin = 0;
        bool fromPrompt = false;
    };
    void feed(std::string_view utf8chars, const Sender &sender);
    // Who sent the queued input taken last (0: nobody in particular); typed input and scripts
    // make it 0. While a pick or a colour is waited for, it tells whose input asked for it.
    int origin() const { return origin_; }
    void type(std::string_view utf8chars);
    // A symbol in the queue: what is fed between beginSymbol and endSymbol is one undo step
    // named by its caption, and what it draws one object of the drawing. With `basePicked`, the
    // last point when it begins is its base point. takeBackSymbol ends one cut short: what it
    // drew is taken back, never to be redone, and the transcript says `why`. A symbol that
    // `replaces` another (drawn again from its form) takes its place in the same step: the old
    // one goes, and unless another base point was picked the new one is drawn from its base.
    void beginSymbol(Symbol symbol, bool basePicked, std::uint32_t replaces = 0);
    void endSymbol();
    void takeBackSymbol(std::string why);
    bool symbolOpen() const { return inSymbol_; }
    // In the queue: the next ID is a fitting's base point, snapped to a wall (`tag` says whose).
    void armWallPick(int tag);
    // What the last such pick found (CommandContext::WallPicked).
    std::optional<std::pair<int, std::optional<double>>> wallPicked() const;
    // Fittings set into their walls (on by default).
    void setWallOpenings(bool on);
    bool wallOpenings() const;
    // See CommandContext::wallsElsewhere; null for the drawing's own walls.
    void setWallsElsewhere(const Drawing *walls);

    bool waitingForPick() const;
    // A point picked in a view: answers any point prompt; ignored at the command prompt.
    void pick(Point p);
    bool waitingForColor() const;
    // Answers DDCOLOR: 1 to 255, 0 (ByBlock) or 256 (ByLayer); anything else keeps the colour.
    void chooseColor(int colorIndex);
    int color() const;

    Point lastPoint() const;
    // Objects selected in a view before a command (noun-verb); the next edit takes them.
    const std::vector<std::size_t> &selection() const;
    // What the running command has selected so far (ERASE's objects before Enter...).
    std::vector<std::size_t> chosen() const;
    void setSelection(std::vector<std::size_t> indices);
    // How near a pick must come to an entity to select it, in drawing units.
    void setPickTolerance(double tolerance);
    const std::vector<std::string> &transcript() const { return transcript_.lines(); }
    // Lines ever written to the transcript; transcript() keeps only the latest ones.
    std::uint64_t transcriptCount() const { return transcript_.count(); }
    std::string prompt() const;
    // Adds a line of the program's own to the transcript (a message, what a conversation sent).
    void note(std::string line) { transcript_.add(std::move(line)); }
    // Escape: ends the running command (what it drew stays) and drops a half-typed input.
    void cancel();

    // Whether a blank is text at the current prompt (a line of DTEXT, a file name).
    bool readsTextLine() const { return textLine_; }
    // The running command's name, empty at the command prompt.
    std::string commandName() const;
    // What the running command would add if the cursor were its next point (rubber band).
    std::vector<Entity> preview(Point cursor) const;

    // A request for the program; input stays held until resume().
    std::optional<Request> takeRequest();
    bool requestPending() const;
    void resume();
    // Characters of queued and scripted input not yet taken.
    std::size_t queued() const { return queue_.size() - queuePos_ + script_.size() - scriptPos_; }
    // Characters of fed input taken so far, from the first feed(): what came before a position
    // has been carried out once this passes it and nothing is held.
    std::uint64_t taken() const { return taken_; }

    // A script file's contents, taken before the queue but only through stepScript(), so that
    // the program gets back between slices of a script that may never end. A running script is
    // replaced, as SCRIPT inside a script does in CAD programs.
    void runScript(std::string_view utf8chars);
    bool scriptRunning() const { return scriptPos_ < script_.size(); }
    // Whether stepScript() would take something now.
    bool scriptReady() const { return scriptRunning() && !held(); }
    // Takes at most `maxInputs` inputs (Enters) of the running script; once it has run dry, the
    // queue goes on.
    void stepScript(std::size_t maxInputs);
    // Drops what is left of the running script; false when none was running.
    bool stopScript();

private:
    bool held() const;
    void drain();
    void endScript();
    void submit(std::string_view token, std::optional<Point> picked = std::nullopt);
    void atCommandPrompt(std::string_view token);
    void startCommand(std::string_view typed);
    void endCommand();
    void cancelCommand();
    void updateMode();
    // Consumes characters into `token`, submitting at each Enter; returns how many it took.
    std::size_t scan(std::string_view chars, std::string &token, bool &tooLong, bool stopWhenHeld,
                     std::size_t *maxInputs = nullptr);

    Drawing &drawing_;
    Transcript transcript_;
    std::unique_ptr<CommandContext> ctx_;
    std::unique_ptr<Command> command_;
    std::string lastCommand_;
    std::string queue_;
    std::size_t queuePos_ = 0;
    // The queue in the pieces it was fed in, each with its step name (empty for none).
    struct Piece
    {
        enum class Mark : std::uint8_t { None, Begin, End, TakeBack, WallPick };
        std::size_t left = 0;
        std::string step; // for TakeBack, what the transcript says
        Mark mark = Mark::None;
        Symbol symbol; // Begin
        bool basePicked = false;
        std::uint32_t replaces = 0; // Begin
        int origin = 0;
        bool fromPrompt = false; // until its first character is taken
        int tag = 0;             // WallPick
    };
    // Whether a piece that runs only from the command prompt finds something unfinished; then
    // it is dropped.
    bool refused(Piece &piece);
    void mark(Piece piece);
    // Acts on a piece that marks a symbol's begin or end.
    void marked(Piece &piece);
    void takePlace(std::uint32_t old, Piece &piece);
    std::deque<Piece> pieces_;
    std::uint64_t taken_ = 0;
    std::string script_;
    std::size_t scriptPos_ = 0;
    std::string queuedToken_;
    bool queuedTooLong_ = false;
    std::string typedToken_;
    bool typedTooLong_ = false;
    bool textLine_ = false;
    bool draining_ = false;
    bool awaitingResume_ = false;
    bool inSymbol_ = false;
    int origin_ = 0;
};

} // namespace cad
