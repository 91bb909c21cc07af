#pragma once

#include <functional>
#include <memory>
#include <string>

namespace quendra {

// A DDEML server for one service and topic that hands every executed string, as UTF-8, to a
// handler, one at a time and in the order they arrive from all conversations together.
//
// It serves on a thread of its own with its own message loop, whatever the owner's thread is
// doing; the handler runs on that thread. An execute is answered when the handler returns: true
// acknowledges it, false tells the client it was not processed.
//
// Text: with Charset::Ansi (the default) the server is an ANSI DDEML instance and takes every
// execute in the ANSI code page, as the original CAD host does; DDEML converts what a Unicode
// client sends. Charset::Unicode keeps characters outside that code page on Windows, but Wine's
// DDEML garbles non-Latin text passed from a Unicode client to a Unicode server.
class DdeServer
{
public:
    enum class Charset { Ansi, Unicode };
    using Handler = std::function<bool(const std::string &script)>;

    DdeServer(std::string service, std::string topic, Handler handler, Charset charset = Charset::Ansi);
    ~DdeServer();
    DdeServer(const DdeServer &) = delete;
    DdeServer &operator=(const DdeServer &) = delete;

    // Registers the service; returns once clients can connect, or false (with the reason) when it
    // could not be registered.
    bool start(std::string *error = nullptr);
    // Ends every conversation and withdraws the service; waits for a handler that is running.
    void stop();
    bool isRunning() const;
    // Conversations open now.
    int conversationCount() const;

    struct Session; // the serving thread and its DDEML instance

private:
    std::unique_ptr<Session> session_;
};

} // namespace quendra
