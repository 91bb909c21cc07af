#include "host/session/Conversations.h"

#include "host/session/HostSession.h"
#include "link/FrameCodec.h"
#include "link/SymbolFrame.h"
#include "link/WallFrame.h"

#include <algorithm>
#include <utility>

namespace host {

Conversations::Conversations(HostSession &session) : session_(session)
{
    stallCheck_.setInterval(250);
    connect(&stallCheck_, &QTimer::timeout, this, &Conversations::checkStall);
    connect(&session_, &HostSession::saveDone, this, &Conversations::noteSave);
    connect(&session_, &HostSession::inputRefused, this, &Conversations::noteSave);
    connect(&session_, &HostSession::inputTaken, this, &Conversations::answerSaves);
}

int Conversations::begin()
{
    const int id = next_++;
    open_.insert(id);
    return id;
}

Conversations::Answer Conversations::admit(std::string_view script, QString *reason) const
{
    if (!session_.accepts(script.size(), reason)) return Answer::Refused;
    if (quendra::isSymbolFrame(script)) {
        if (quendra::decodeSymbolFrame(script)) return Answer::Now;
        *reason = QStringLiteral("図形の情報を読めません。");
        return Answer::Refused;
    }
    // Such a word inside a line of text counts as well: that execute is answered late, never
    // wrongly.
    return quendra::savesDrawing(script) ? Answer::AfterSave : Answer::Now;
}

void Conversations::queue(int conversation, std::string_view script, const QString &source)
{
    if (open_.count(conversation) > 0) sources_[conversation] = source;
    // An Escape is a key pressed now: it stops a running script at once, which would otherwise
    // run before it (forever, if the script calls itself).
    if (script.find_first_of("\x1b\x03") != std::string_view::npos && !quendra::isSymbolFrame(script))
        session_.stopScripts();
    if (conversation != orphan_) withdrawOrphan();
    if (owner_ != 0 && conversation != owner_) {
        // A save that waits is still owed its answer: what its conversation sends next must
        // wait for it (awaitingSave), and its place is settled when it is queued.
        if (open_.count(conversation) > 0 && !quendra::isSymbolFrame(script) && quendra::savesDrawing(script))
            saves_[conversation] = Save{~std::uint64_t(0), ~std::uint64_t(0), {}};
        waiting_.push_back({conversation, std::string(script), source});
        waitingBytes_ += script.size();
        return;
    }
    if (conversation == owner_) heard_.start();
    if (script == quendra::wallPickFrame) {
        session_.armWallPick(conversation);
        return;
    }
    if (quendra::isSymbolFrame(script)) {
        symbolFrame(conversation, script, source);
        return;
    }
    if (abandoned_.count(conversation) > 0) {
        session_.note(QStringLiteral("[%1] (取り消した図形の続きは描きません)").arg(source));
        return;
    }
    lastQueued_ = conversation;
    const bool open = open_.count(conversation) > 0;
    if (open && quendra::savesDrawing(script))
        saves_[conversation] = Save{session_.fed(), session_.fed() + script.size(), {}};
    // A save is answered for what it did: it never runs as more input of a command left
    // unfinished.
    session_.enqueue(script, source, conversation, quendra::savesDrawing(script));
    if (!open) cancelAfter(conversation);
}

void Conversations::end(int conversation, bool cancel)
{
    // A pick or a colour it asked for stays with the user (a client may send ID and leave before
    // the point is picked), but must not hold the other conversations: withdrawn once their
    // input waits for it.
    if (cancel && awaitedFrom(conversation)) {
        orphan_ = conversation;
        orphanSource_ = sources_[conversation];
        if (session_.interpreter().queued() > 0) withdrawOrphan();
    }
    open_.erase(conversation);
    sources_.erase(conversation);
    saves_.erase(conversation);
    abandoned_.erase(conversation);
    if (conversation == owner_) {
        // Whatever it was in the middle of goes with the symbol.
        lastQueued_ = 0;
        takeBack(QStringLiteral("%1 が終わったため、作図途中の「%2」を取り消しました。")
                     .arg(ownerSource_, ownerCaption_));
        release();
        return;
    }
    if (cancel) cancelAfter(conversation);
}

bool Conversations::awaitedFrom(int conversation) const
{
    const cad::Interpreter &interpreter = session_.interpreter();
    return (interpreter.waitingForPick() || interpreter.waitingForColor()) &&
           interpreter.origin() == conversation;
}

void Conversations::withdrawOrphan()
{
    const int orphan = std::exchange(orphan_, 0);
    if (orphan == 0 || !awaitedFrom(orphan)) return;
    session_.cancelCommand(
        QStringLiteral("%1 が終わっているため、%2 を取り消しました。")
            .arg(orphanSource_, QString::fromStdString(session_.interpreter().commandName())));
}

void Conversations::symbolFrame(int conversation, std::string_view frame, const QString &source)
{
    const auto symbol = quendra::decodeSymbolFrame(frame);
    if (!symbol) return; // refused by admit()
    const QString caption = QString::fromStdString(symbol->caption.empty() ? symbol->form : symbol->caption);
    switch (symbol->kind) {
    case quendra::SymbolFrame::Kind::Begin:
        if (owner_ == conversation)
            takeBack(QStringLiteral("%1 の「%2」は終わらないまま次の図形が始まったため、取り消しました。")
                         .arg(ownerSource_, ownerCaption_));
        abandoned_.erase(conversation);
        owner_ = conversation;
        ownerSource_ = source;
        ownerCaption_ = caption;
        lastQueued_ = conversation;
        heard_.start();
        stallCheck_.start();
        session_.note(QStringLiteral("[%1] %2").arg(source, caption));
        session_.beginSymbol(cad::Symbol{symbol->form, symbol->caption, symbol->inputs, std::nullopt},
                             symbol->basePicked, symbol->replaces);
        return;
    case quendra::SymbolFrame::Kind::End:
        abandoned_.erase(conversation);
        if (owner_ != conversation) return;
        session_.endSymbol();
        release();
        return;
    case quendra::SymbolFrame::Kind::Cancel:
        abandoned_.erase(conversation);
        if (owner_ != conversation) return;
        takeBack(QStringLiteral("%1 の「%2」は取り消されました。").arg(ownerSource_, ownerCaption_));
        release();
        return;
    case quendra::SymbolFrame::Kind::Edit:
        return; // the host's own request to the assistant: nothing for the host to do
    }
}

void Conversations::takeBack(const QString &why)
{
    session_.takeBackSymbol(why);
}

void Conversations::release()
{
    owner_ = 0;
    stallCheck_.stop();
    if (releasing_) return;
    releasing_ = true;
    // In arrival order; once a symbol begins, its own conversation's input goes on and the
    // others' waits again.
    std::size_t i = 0;
    while (i < waiting_.size()) {
        if (owner_ != 0 && waiting_[i].conversation != owner_) {
            ++i;
            continue;
        }
        Waiting w = std::move(waiting_[i]);
        waiting_.erase(waiting_.begin() + static_cast<std::ptrdiff_t>(i));
        waitingBytes_ -= w.script.size();
        queue(w.conversation, w.script, w.source);
        // A symbol of a conversation that ended while it waited: complete, it was drawn; cut
        // short, nothing more of it comes.
        const auto ownerWaits = [this](const Waiting &x) { return x.conversation == owner_; };
        if (owner_ != 0 && open_.count(owner_) == 0 &&
            std::none_of(waiting_.begin(), waiting_.end(), ownerWaits)) {
            takeBack(QStringLiteral("%1 が終わったため、作図途中の「%2」を取り消しました。")
                         .arg(ownerSource_, ownerCaption_));
            owner_ = 0;
            stallCheck_.stop();
        }
        // Once no symbol is open, what was passed over goes first.
        if (owner_ == 0) i = 0;
    }
    releasing_ = false;
}

void Conversations::checkStall()
{
    if (owner_ == 0 || !heard_.hasExpired(stallMs_)) return;
    // Its frames wait for the answer to its own save, however long that takes.
    if (awaitingSave(owner_)) {
        heard_.start();
        return;
    }
    abandoned_.insert(owner_);
    takeBack(
        QStringLiteral("%1 の「%2」は続きが届かないため、取り消しました。").arg(ownerSource_, ownerCaption_));
    release();
}

void Conversations::cancelAfter(int conversation)
{
    if (conversation != lastQueued_) return;
    lastQueued_ = 0;
    session_.enqueue("\x1b", {});
}

// A save done by the command line counts for the execute whose input it stood in (or whose
// SCRIPT it came from).
void Conversations::noteSave(const QString &failure)
{
    const std::uint64_t at = session_.interpreter().taken();
    for (auto &[conversation, save] : saves_) {
        if (at <= save.start || at > save.end) continue;
        save.tried = true;
        if (save.failure.isEmpty()) save.failure = failure;
    }
}

void Conversations::answerSaves()
{
    std::map<int, QString> done;
    // Its word taken as input of the command it ended up in ("LINE 0,0 1,1 SAVE"), nothing was
    // written: never answered as if saved.
    for (const auto &[conversation, save] : saves_)
        if (session_.carriedOut(save.end))
            done[conversation] = save.tried ? save.failure
                                            : QStringLiteral("図面は保存されませんでした(保存の指示が実行中の"
                                                             "コマンドへの入力として読まれました)。");
    // Answered after the record is settled: an answer may end its conversation at once.
    for (const auto &[conversation, failure] : done)
        saves_.erase(conversation);
    for (const auto &[conversation, failure] : done)
        emit saveAnswered(conversation, failure);
}

} // namespace host
