#pragma once

#include <functional>
#include <memory>
#include <string>

namespace quendra {

// A DDEML server for one service and topic that hands every executed string, as UTF-8, to a
// handler, one at a time and in the order they arrive from all conversations together. An execute
// is answered when the handler returns: true (Answer::Taken) acknowledges it, false
// (Answer::NotProcessed) tells the client it was not processed. A handler that takes the
// conversation's number may answer later (Answer::Later): DDEML then holds the conversation, its
// later transactions waiting, until answer() is called for it.
class DdeServer
{
public:
    // Text: an ANSI server (the default) takes every execute in the ANSI code page, as the original
    // CAD host does, DDEML converting what a Unicode client sends. A Unicode server keeps characters
    // outside that code page on Windows, but Wine's DDEML garbles non-Latin text passed from a
    // Unicode client to a Unicode server.
    enum class Charset { Ansi, Unicode };
    // Where the handler runs. OwnThread: a thread of the server's own with its own message loop,
    // whatever the owner's thread does. CallerThread: the thread that calls start(), whose message
    // loop (a Qt event loop on Windows, for one) must run; start() and stop() then belong to it.
    // One thread may serve several services and topics.
    enum class Threading { OwnThread, CallerThread };
    struct Options
    {
        Charset charset = Charset::Ansi;
        Threading threading = Threading::OwnThread;
        // Told the number of open conversations whenever one opens or ends, on the serving thread.
        std::function<void(int conversations)> conversationsChanged;
        // Told when a conversation begins and when it ends, by its number (unique in the process),
        // on the serving thread.
        std::function<void(int conversation)> conversationBegan;
        std::function<void(int conversation)> conversationEnded;
    };
    enum class Answer { Taken, NotProcessed, Later };
    using Handler = std::function<bool(const std::string &script)>;
    using ConversationHandler = std::function<Answer(int conversation, const std::string &script)>;

    DdeServer(std::string service, std::string topic, Handler handler);
    DdeServer(std::string service, std::string topic, Handler handler, Options options);
    DdeServer(std::string service, std::string topic, ConversationHandler handler, Options options);
    ~DdeServer();
    DdeServer(const DdeServer &) = delete;
    DdeServer &operator=(const DdeServer &) = delete;

    // Registers the service; returns once clients can connect, or false (with the reason) when it
    // could not be registered.
    bool start(std::string *error = nullptr);
    // Ends every conversation and withdraws the service. With its own thread it waits for a
    // handler that is running, so the handler must never wait for the thread that calls stop().
    void stop();
    bool isRunning() const;
    // Conversations open now.
    int conversationCount() const;
    // Answers the execute the handler left for later in a conversation (nothing when it has ended
    // meanwhile); its later transactions go on. On the serving thread, or with its own thread from
    // any.
    void answer(int conversation, bool taken);

    struct Session; // the DDEML instance and, with its own thread, that thread

private:
    std::unique_ptr<Session> session_;
};

} // namespace quendra
