#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <map>
#include <set>
#include <string_view>

namespace host {

class HostSession;

// What every server of the host does alike with the executes of its conversations: the sockets
// (CommandServer) and, on Windows, DDE (DdeCommandServer). One record for all of them, held by
// the session (HostSession::conversations()), since their input goes into one queue:
// - conversations are numbered across the servers;
// - an execute is refused with the reason (the queue is full), answered before it runs, or, when
//   it saves the drawing (SAVE, QSAVE, SAVEAS), once the save has run: saveAnswered() tells,
//   with the reason when it failed; the conversation's later executes wait behind it;
// - when a conversation ends, what it left unfinished (LINE 0,0 1,1 2, and gone) is cancelled, so
//   that the next conversation's scripts are not taken into it: an Escape follows its input, when
//   that input was the last queued (input another conversation queued since is that one's to
//   finish).
class Conversations : public QObject
{
    Q_OBJECT

public:
    enum class Answer { Refused, Now, AfterSave };

    explicit Conversations(HostSession &session);

    // A conversation begins: its number.
    int begin();
    // How an execute is to be answered; for Refused, `reason` says why. One not refused is then
    // queued by queue(), after its answer when that is Now.
    Answer admit(std::string_view script, QString *reason) const;
    // Queues an execute admitted, named by `source` in the history ("会話 1"). One queued after its
    // conversation ended (a server that answers first and queues later) is cancelled after it.
    void queue(int conversation, std::string_view script, const QString &source);
    // Whether the conversation waits for the answer to a save.
    bool awaitingSave(int conversation) const { return saves_.count(conversation) > 0; }
    // The conversation has ended: a save it waited for is no longer answered; with `cancel` (not
    // while the host closes), what it left unfinished is cancelled.
    void end(int conversation, bool cancel = true);

signals:
    // An execute of `conversation` that saves has been carried out: `failure` is empty, or says
    // why the drawing was not saved.
    void saveAnswered(int conversation, const QString &failure);

private:
    // An execute that saves, between its positions in the session's input.
    struct Save
    {
        std::uint64_t start = 0;
        std::uint64_t end = 0;
        QString failure;
    };

    void noteSave(const QString &failure);
    void answerSaves();
    void cancelAfter(int conversation);

    HostSession &session_;
    std::set<int> open_;
    std::map<int, Save> saves_;
    int next_ = 1;
    int lastQueued_ = 0; // the conversation whose input was queued last
};

} // namespace host
