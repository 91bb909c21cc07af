#include "host/session/Conversations.h"

#include "host/session/HostSession.h"
#include "link/FrameCodec.h"

namespace host {

Conversations::Conversations(HostSession &session) : session_(session)
{
    connect(&session_, &HostSession::saveDone, this, &Conversations::noteSave);
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
    // Such a word inside a line of text counts as well: that execute is answered late, never
    // wrongly.
    return quendra::savesDrawing(script) ? Answer::AfterSave : Answer::Now;
}

void Conversations::queue(int conversation, std::string_view script, const QString &source)
{
    lastQueued_ = conversation;
    const bool open = open_.count(conversation) > 0;
    if (open && quendra::savesDrawing(script))
        saves_[conversation] = Save{session_.fed(), session_.fed() + script.size(), {}};
    session_.enqueue(script, source);
    if (!open) cancelAfter(conversation);
}

void Conversations::end(int conversation, bool cancel)
{
    open_.erase(conversation);
    saves_.erase(conversation);
    if (cancel) cancelAfter(conversation);
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
    for (auto &[conversation, save] : saves_)
        if (at > save.start && at <= save.end && save.failure.isEmpty()) save.failure = failure;
}

void Conversations::answerSaves()
{
    std::map<int, QString> done;
    for (const auto &[conversation, save] : saves_)
        if (session_.carriedOut(save.end)) done[conversation] = save.failure;
    // Answered after the record is settled: an answer may end its conversation at once.
    for (const auto &[conversation, failure] : done)
        saves_.erase(conversation);
    for (const auto &[conversation, failure] : done)
        emit saveAnswered(conversation, failure);
}

} // namespace host
