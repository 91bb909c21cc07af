#include "cad/command/Interpreter.h"

#include "cad/command/Command.h"
#include "cad/command/CommandContext.h"
#include "cad/command/WallOpening.h"
#include "cad/model/InputReading.h"
#include "cad/model/Names.h"

namespace cad {

namespace {

// A longer input is refused: nothing typed or sent by a form comes near it.
constexpr std::size_t maxToken = 64 * 1024;
// Queued input already taken is dropped from the buffer in pieces of at least this size.
constexpr std::size_t compactAfter = 1 << 20;

bool isEnter(char c, bool textLine)
{
    return c == '\r' || c == '\n' || (c == ' ' && !textLine);
}

bool isOrdinary(char c, bool textLine)
{
    const auto u = static_cast<unsigned char>(c);
    return (u > 0x20 && u != 0x7f) || (c == ' ' && textLine);
}

// The shown part of a rejected input, cut at a character boundary.
std::string shortened(std::string_view s)
{
    if (s.size() <= 40) return std::string(s);
    std::size_t n = 40;
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xc0) == 0x80)
        --n;
    return std::string(s.substr(0, n)) + "…";
}

void eraseLastCharacter(std::string &s)
{
    while (!s.empty() && (static_cast<unsigned char>(s.back()) & 0xc0) == 0x80)
        s.pop_back();
    if (!s.empty()) s.pop_back();
}

} // namespace

Interpreter::Interpreter(Drawing &drawing)
    : drawing_(drawing), ctx_(std::make_unique<CommandContext>(drawing, transcript_))
{
}

Interpreter::~Interpreter() = default;

void Interpreter::feed(std::string_view utf8chars)
{
    feed(utf8chars, Sender{});
}

void Interpreter::feed(std::string_view utf8chars, std::string_view step)
{
    feed(utf8chars, Sender{std::string(step), 0, false});
}

void Interpreter::feed(std::string_view utf8chars, const Sender &sender)
{
    if (utf8chars.empty()) return;
    const auto joins = [&sender](const Piece &last) {
        return sender.step.empty() && !sender.fromPrompt && last.step.empty() &&
               last.mark == Piece::Mark::None && !last.fromPrompt && last.origin == sender.origin;
    };
    if (!pieces_.empty() && joins(pieces_.back())) {
        pieces_.back().left += utf8chars.size();
    } else {
        Piece piece;
        piece.left = utf8chars.size();
        piece.step = sender.step;
        piece.origin = sender.origin;
        piece.fromPrompt = sender.fromPrompt;
        pieces_.push_back(std::move(piece));
    }
    queue_.append(utf8chars);
    drain();
}

void Interpreter::beginSymbol(Symbol symbol, bool basePicked, std::uint32_t replaces)
{
    Piece piece;
    piece.mark = Piece::Mark::Begin;
    piece.step = symbol.caption.empty() ? symbol.form : symbol.caption;
    piece.symbol = std::move(symbol);
    piece.basePicked = basePicked;
    piece.replaces = replaces;
    mark(std::move(piece));
}

void Interpreter::endSymbol()
{
    Piece piece;
    piece.mark = Piece::Mark::End;
    mark(std::move(piece));
}

void Interpreter::takeBackSymbol(std::string why)
{
    Piece piece;
    piece.mark = Piece::Mark::TakeBack;
    piece.step = std::move(why);
    mark(std::move(piece));
}

void Interpreter::armWallPick(int tag)
{
    Piece piece;
    piece.mark = Piece::Mark::WallPick;
    piece.tag = tag;
    mark(std::move(piece));
}

std::optional<std::pair<int, std::optional<double>>> Interpreter::wallPicked() const
{
    if (!ctx_->wallPicked) return std::nullopt;
    return std::pair{ctx_->wallPicked->tag, ctx_->wallPicked->direction};
}

void Interpreter::setWallOpenings(bool on)
{
    ctx_->wallOpenings = on;
}

bool Interpreter::wallOpenings() const
{
    return ctx_->wallOpenings;
}

void Interpreter::setWallsElsewhere(const Drawing *walls)
{
    ctx_->wallsElsewhere = walls;
}

void Interpreter::mark(Piece piece)
{
    pieces_.push_back(std::move(piece));
    drain();
}

void Interpreter::marked(Piece &piece)
{
    switch (piece.mark) {
    case Piece::Mark::None:
        return;
    case Piece::Mark::Begin:
        if (piece.basePicked) piece.symbol.base = ctx_->lastPoint;
        drawing_.beginStep(piece.step);
        if (piece.replaces != 0) takePlace(piece.replaces, piece);
        drawing_.beginSymbol(std::move(piece.symbol));
        inSymbol_ = true;
        return;
    case Piece::Mark::End: {
        // The opening is cut in the symbol's own step: one undo takes both back.
        const std::uint32_t symbol = drawing_.openSymbol();
        drawing_.endSymbol();
        if (ctx_->wallOpenings && inSymbol_ && !ctx_->wallsElsewhere) setIntoWall(*ctx_, symbol);
        drawing_.endStep();
        inSymbol_ = false;
        return;
    }
    case Piece::Mark::WallPick:
        ctx_->wallPickArmed = piece.tag;
        return;
    case Piece::Mark::TakeBack:
        // What the symbol left running goes first, so that nothing of it stays.
        cancelCommand();
        drawing_.endSymbol();
        if (inSymbol_) drawing_.takeBackStep();
        inSymbol_ = false;
        transcript_.add(piece.step);
        return;
    }
}

void Interpreter::takePlace(std::uint32_t old, Piece &piece)
{
    std::vector<std::size_t> members;
    for (std::size_t i = 0; i < drawing_.size(); ++i)
        if (drawing_.symbolOf(i) == old) members.push_back(i);
    if (members.empty()) {
        transcript_.add("再編集する図形が見つからないため、新しい図形として作図します。");
        return;
    }
    const std::optional<Point> base = drawing_.symbol(old).base;
    if (!piece.basePicked && base) {
        ctx_->lastPoint = *base;
        piece.symbol.base = base;
    }
    // The old fitting's wall is whole again before the new one cuts its own opening.
    closeOpening(*ctx_, old, members);
    drawing_.erase(members);
}

void Interpreter::runScript(std::string_view utf8chars)
{
    script_.assign(utf8chars);
    scriptPos_ = 0;
}

void Interpreter::stepScript(std::size_t maxInputs)
{
    if (draining_ || !scriptReady()) return;
    draining_ = true;
    origin_ = 0;
    scriptPos_ +=
        scan(std::string_view(script_).substr(scriptPos_), queuedToken_, queuedTooLong_, true, &maxInputs);
    draining_ = false;
    if (scriptRunning()) return;
    endScript();
    drain();
}

bool Interpreter::stopScript()
{
    if (!scriptRunning()) return false;
    endScript();
    queuedToken_.clear();
    queuedTooLong_ = false;
    drain();
    return true;
}

void Interpreter::endScript()
{
    std::string().swap(script_);
    scriptPos_ = 0;
}

void Interpreter::type(std::string_view utf8chars)
{
    origin_ = 0;
    scan(utf8chars, typedToken_, typedTooLong_, false);
    drain();
}

bool Interpreter::waitingForPick() const
{
    return command_ && command_->waitsForPick();
}

bool Interpreter::waitingForColor() const
{
    return command_ && command_->waitsForColor();
}

void Interpreter::pick(Point p)
{
    if (!command_ || textLine_) return;
    submit({}, p);
    drain();
}

void Interpreter::chooseColor(int colorIndex)
{
    if (!waitingForColor()) return;
    if (colorIndex >= 0 && colorIndex <= colorByLayer) ctx_->color = colorIndex;
    endCommand();
    drain();
}

int Interpreter::color() const
{
    return ctx_->color;
}

Point Interpreter::lastPoint() const
{
    return ctx_->lastPoint;
}

const std::vector<std::size_t> &Interpreter::selection() const
{
    return ctx_->selection;
}

std::vector<std::size_t> Interpreter::chosen() const
{
    return command_ ? command_->chosen() : std::vector<std::size_t>{};
}

void Interpreter::setSelection(std::vector<std::size_t> indices)
{
    ctx_->selection = std::move(indices);
}

void Interpreter::setPickTolerance(double tolerance)
{
    if (tolerance > 0) ctx_->pickTolerance = tolerance;
}

std::string Interpreter::prompt() const
{
    return command_ ? std::string(command_->prompt()) : std::string("コマンド: ");
}

std::string Interpreter::commandName() const
{
    return command_ ? lastCommand_ : std::string();
}

std::vector<Entity> Interpreter::preview(Point cursor) const
{
    if (!command_) return {};
    std::vector<Entity> entities = command_->preview(cursor, *ctx_);
    for (Entity &e : entities)
        e.color = ctx_->color;
    return entities;
}

void Interpreter::cancel()
{
    typedToken_.clear();
    typedTooLong_ = false;
    cancelCommand();
    drain();
}

void Interpreter::cancelCommand()
{
    if (!command_) return;
    command_->cancel(*ctx_);
    transcript_.add("*キャンセル*");
    endCommand();
}

std::optional<Request> Interpreter::takeRequest()
{
    std::optional<Request> r = std::move(ctx_->pendingRequest());
    ctx_->pendingRequest().reset();
    if (r) awaitingResume_ = true;
    return r;
}

bool Interpreter::requestPending() const
{
    return ctx_->pendingRequest().has_value();
}

void Interpreter::resume()
{
    awaitingResume_ = false;
    drain();
}

bool Interpreter::held() const
{
    return waitingForPick() || waitingForColor() || awaitingResume_ || ctx_->pendingRequest().has_value();
}

void Interpreter::drain()
{
    // A running script goes first, taken in slices by stepScript().
    if (draining_ || scriptRunning()) return;
    draining_ = true;
    // Piece by piece, so that what one step runs is one group. A step held (by ID, DDCOLOR, a
    // request) stays open until the rest of it has run.
    while (!pieces_.empty() && !held()) {
        Piece &piece = pieces_.front();
        if (piece.mark != Piece::Mark::None) {
            marked(piece);
            pieces_.pop_front();
            continue;
        }
        if (refused(piece)) {
            pieces_.pop_front();
            continue;
        }
        if (!piece.step.empty() && !drawing_.stepOpen()) drawing_.beginStep(piece.step);
        origin_ = piece.origin;
        const std::size_t took =
            scan(std::string_view(queue_).substr(queuePos_, piece.left), queuedToken_, queuedTooLong_, true);
        queuePos_ += took;
        taken_ += took;
        piece.left -= took;
        if (piece.left > 0) break;
        if (!inSymbol_) drawing_.endStep();
        pieces_.pop_front();
    }
    if (queuePos_ == queue_.size()) {
        // A large script leaves no large buffer behind.
        if (queue_.capacity() > compactAfter)
            std::string().swap(queue_);
        else
            queue_.clear();
        queuePos_ = 0;
    } else if (queuePos_ >= compactAfter && queuePos_ * 2 >= queue_.size()) {
        queue_.erase(0, queuePos_);
        queuePos_ = 0;
    }
    draining_ = false;
}

bool Interpreter::refused(Piece &piece)
{
    if (!piece.fromPrompt) return false;
    piece.fromPrompt = false;
    const char first = queue_[queuePos_];
    if ((!command_ && queuedToken_.empty() && !queuedTooLong_) || first == '\x1b' || first == '\x03')
        return false;
    queuePos_ += piece.left;
    taken_ += piece.left;
    // Held until the program has told the sender, so that it knows which input was dropped.
    ctx_->request({Request::Kind::Refused, command_ ? lastCommand_ : std::string()});
    return true;
}

std::size_t Interpreter::scan(std::string_view chars, std::string &token, bool &tooLong, bool stopWhenHeld,
                              std::size_t *maxInputs)
{
    std::size_t i = 0;
    while (i < chars.size()) {
        if (stopWhenHeld && held()) break;
        if (maxInputs && *maxInputs == 0) break;
        const char c = chars[i];
        if (isEnter(c, textLine_)) {
            ++i;
            if (tooLong) {
                transcript_.add("入力が長すぎます。");
                tooLong = false;
            } else {
                submit(token);
            }
            token.clear();
            if (maxInputs) --*maxInputs;
            continue;
        }
        if (c == '\x1b' || c == '\x03') {
            ++i;
            token.clear();
            tooLong = false;
            cancelCommand();
            continue;
        }
        if (c == '\b') {
            ++i;
            eraseLastCharacter(token);
            continue;
        }
        std::size_t j = i;
        while (j < chars.size() && isOrdinary(chars[j], textLine_))
            ++j;
        if (j == i) {
            ++i; // other control characters mean nothing here
            continue;
        }
        if (token.size() + (j - i) > maxToken)
            tooLong = true;
        else
            token.append(chars.substr(i, j - i));
        i = j;
    }
    return i;
}

void Interpreter::submit(std::string_view token, std::optional<Point> picked)
{
    if (!command_) {
        transcript_.add("コマンド: ", token);
        atCommandPrompt(token);
        return;
    }
    transcript_.add(command_->prompt(), picked ? std::string_view() : token);
    if (!command_->feed(Input{token, picked}, *ctx_))
        endCommand();
    else
        updateMode();
}

void Interpreter::atCommandPrompt(std::string_view token)
{
    if (!token.empty()) {
        startCommand(token);
        return;
    }
    if (!lastCommand_.empty()) startCommand(std::string(lastCommand_));
}

void Interpreter::startCommand(std::string_view typed)
{
    const std::string upperName = upper(typed);
    std::unique_ptr<Command> command = makeCommand(upperName);
    if (!command) {
        transcript_.add("不明なコマンド \"" + shortened(typed) + "\" です。");
        return;
    }
    lastCommand_ = cad::commandName(upperName);
    if (command->draws()) drawing_.beginGroup(lastCommand_);
    command_ = std::move(command);
    if (!command_->start(*ctx_))
        endCommand();
    else
        updateMode();
}

void Interpreter::endCommand()
{
    if (command_ && command_->draws()) drawing_.endGroup();
    command_.reset();
    textLine_ = false;
}

void Interpreter::updateMode()
{
    textLine_ = command_ && command_->textLine();
}

} // namespace cad
