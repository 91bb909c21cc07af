#pragma once

#include <functional>
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
class DdeCommandServer
{
public:
    // Where executes go, in arrival order from all conversations together.
    struct Sink
    {
        // Whether a script of this many bytes is taken now; otherwise `reason` says why not.
        std::function<bool(std::size_t bytes, std::string *reason)> accepts;
        std::function<void(std::string script)> enqueue;
        // A line for the command history (refusals).
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
    void close();

private:
    bool take(const std::string &script);

    Sink sink_;
    std::vector<std::unique_ptr<quendra::DdeServer>> servers_;
};

} // namespace host
