#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <string_view>

namespace host {

class HostSession;

// What every server of the host does alike with the executes of its conversations: the sockets
// (CommandServer) and, on Windows, DDE (DdeCommandServer). One record for all of them, held by
// the session (HostSession::conversations()), since their input goes into one queue:
// - conversations are numbered across the servers;
// - an execute is refused with the reason (the queue is full), answered before it runs, or, when
//   it saves the drawing (SAVE, QSAVE, SAVEAS), once it has been carried out, a script it started
//   included: saveAnswered() tells, with the reason when a save failed; the conversation's later
//   executes wait behind it;
// - such an execute runs only from the command prompt: one that finds a command unfinished is
//   dropped and answered with the reason, never taken as more input of it;
// - an execute with an Escape stops a running script at once, as the Escape key does;
// - when a conversation ends, what it left unfinished (LINE 0,0 1,1 2, and gone) is cancelled, so
//   that the next conversation's scripts are not taken into it: an Escape follows its input, when
//   that input was the last queued (input another conversation queued since is that one's to
//   finish); a pick or a colour its input waits for is left to the user until another
//   conversation's input comes, and then withdrawn;
// - a symbol (link/SymbolFrame.h) is whole: from its begin to its end only its conversation's
//   input is queued, the others' waits in order; one whose conversation ends, cancels it or falls
//   silent for a while is taken back whole, and the history says so.
class Conversations : public QObject
{
    Q_OBJECT

public:
    enum class Answer { Refused, Now, AfterSave };

    // A symbol whose conversation sends nothing for this long is taken back.
    static constexpr int symbolStallMilliseconds = 10000;

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
    // Bytes of input waiting for another conversation's symbol to end.
    std::size_t waitingBytes() const { return waitingBytes_; }
    // For tests: a shorter silence before a symbol is taken back.
    void setSymbolStall(int ms) { stallMs_ = ms; }

signals:
    // An execute of `conversation` that saves has been carried out: `failure` is empty, or says
    // why the drawing was not saved (or the execute not run).
    void saveAnswered(int conversation, const QString &failure);

private:
    // An execute that saves, between its positions in the session's input.
    struct Save
    {
        std::uint64_t start = 0;
        std::uint64_t end = 0;
        QString failure;
        bool tried = false; // a save (or its refusal) came of it
    };

    void noteSave(const QString &failure);
    void answerSaves();
    void cancelAfter(int conversation);
    void symbolFrame(int conversation, std::string_view frame, const QString &source);
    void takeBack(const QString &why);
    // The symbol has ended: what waited for it is queued, up to the next symbol's begin.
    void release();
    void checkStall();
    // Whether a pick or a colour is waited for that the conversation's input asked for.
    bool awaitedFrom(int conversation) const;
    void withdrawOrphan();

    // Input that waits for another conversation's symbol.
    struct Waiting
    {
        int conversation = 0;
        std::string script;
        QString source;
    };

    HostSession &session_;
    std::set<int> open_;
    std::map<int, QString> sources_; // how the history names each open one
    // The ended conversation whose pick or colour may still be waited for, and its name.
    int orphan_ = 0;
    QString orphanSource_;
    std::map<int, Save> saves_;
    int next_ = 1;
    int lastQueued_ = 0; // the conversation whose input was queued last
    // The conversation whose symbol is open (0: none), its name in the history and caption.
    int owner_ = 0;
    QString ownerSource_;
    QString ownerCaption_;
    QElapsedTimer heard_; // since the owner was last heard from
    QTimer stallCheck_;
    int stallMs_ = symbolStallMilliseconds;
    std::deque<Waiting> waiting_;
    std::size_t waitingBytes_ = 0;
    bool releasing_ = false;
    // Conversations whose symbol was taken back: the rest of it is not drawn.
    std::set<int> abandoned_;
};

} // namespace host
