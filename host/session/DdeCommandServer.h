#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace quendra {
class DdeServer;
}

namespace host {

// The host's DDE side on Windows, beside its sockets: each service and topic it serves is also
// registered with DDEML, as the original CAD host does, so that the assistant's DDE transport and
// any other DDE client reach this host. Standard C++ and Win32 only. Everything runs on the thread
// that calls listen(), whose message loop must run (Qt's does).
//
// Its conversations are taken as the socket's are, through the same record (the session's
// Conversations, reached through the sink): an execute is acknowledged before it runs, or refused
// ("not processed", the reason in the history); one that saves is acknowledged once the save has
// run, "not processed" when it failed (the reason in the history), DDEML holding the
// conversation's later executes meanwhile; what an ended conversation left unfinished is
// cancelled.
class DdeCommandServer
{
public:
    enum class Answer { Refused, Now, AfterSave };

    // The host's record of conversations, shared with its other servers.
    struct Sink
    {
        // A conversation begins: its number; it ends, what it left unfinished cancelled with
        // `cancel` (not while the server closes).
        std::function<int()> begin;
        std::function<void(int conversation, bool cancel)> end;
        // How an execute is answered; for Refused, `reason` says why.
        std::function<Answer(const std::string &script, std::string *reason)> admit;
        // Queues an execute admitted. Called inside DDEML's callback: what the script sets off
        // must wait until the answer has gone (the host queues it from its event loop).
        std::function<void(int conversation, std::string script)> queue;
        // A line for the command history (refusals, failed saves).
        std::function<void(const std::string &line)> note;
        std::function<void(int conversations)> conversationsChanged;
    };

    explicit DdeCommandServer(Sink sink);
    ~DdeCommandServer();
    DdeCommandServer(const DdeCommandServer &) = delete;
    DdeCommandServer &operator=(const DdeCommandServer &) = delete;

    // Registers a service and topic; false with a Japanese message (UTF-8) when another DDE server
    // answers there already or DDEML refuses.
    bool listen(const std::string &service, const std::string &topic, std::string *error);
    int conversations() const;
    // The answer to an execute that saved, once the save has run: `failure` is empty, or says why
    // the drawing was not saved. Nothing for a conversation that is not this server's.
    void saveAnswered(int conversation, const std::string &failure);
    void close();

private:
    // Where a conversation of the record is served: its server and its number there.
    struct Place
    {
        quendra::DdeServer *server = nullptr;
        int number = 0;
    };

    void ended(int number);
    int recorded(quendra::DdeServer *server, int number);
    Answer take(quendra::DdeServer *server, int number, const std::string &script);

    Sink sink_;
    std::vector<std::unique_ptr<quendra::DdeServer>> servers_;
    std::map<int, Place> places_; // by the record's number
    std::map<int, int> recorded_; // the record's number, by the DDE server's
    int nextNumber_ = 1;          // numbers of a sink without a record
    bool closing_ = false;
};

} // namespace host
