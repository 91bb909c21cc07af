#include "host/DdeCommandServer.h"

#include "link/dde/DdeServer.h"
#include "link/dde/DdeTransport.h"

#include <chrono>

namespace host {

using namespace std::chrono_literals;

DdeCommandServer::DdeCommandServer(Sink sink) : sink_(std::move(sink)) {}

DdeCommandServer::~DdeCommandServer()
{
    close();
}

bool DdeCommandServer::listen(const std::string &service, const std::string &topic, std::string *error)
{
    const std::string name = "「" + service + "|" + topic + "」";
    // DDEML lets two servers register one name and a client then reaches whichever answers first:
    // refuse, as the socket does, rather than share the assistant's scripts with another host.
    if (quendra::makeDdeTransport(1s)->open(service, topic) == quendra::LinkError::None) {
        *error = name + "は既に別のプログラムが DDE で受け付けています。";
        return false;
    }
    quendra::DdeServer::Options options;
    options.threading = quendra::DdeServer::Threading::CallerThread;
    options.conversationsChanged = [this](int) {
        if (sink_.conversationsChanged) sink_.conversationsChanged(conversations());
    };
    auto server = std::make_unique<quendra::DdeServer>(
        service, topic, [this](const std::string &script) { return take(script); }, options);
    std::string reason;
    if (!server->start(&reason)) {
        *error = name + "を DDE で受け付けられません: " + reason;
        return false;
    }
    servers_.push_back(std::move(server));
    return true;
}

bool DdeCommandServer::take(const std::string &script)
{
    std::string reason;
    if (!sink_.accepts(script.size(), &reason)) {
        // A DDE client hears only "not processed"; the reason goes to the history.
        if (sink_.note) sink_.note("DDE の実行を受け付けませんでした: " + reason);
        return false;
    }
    sink_.enqueue(script);
    return true;
}

int DdeCommandServer::conversations() const
{
    int count = 0;
    for (const auto &server : servers_)
        count += server->conversationCount();
    return count;
}

void DdeCommandServer::close()
{
    // Ending a conversation calls back into conversations(): the list is empty by then.
    auto ending = std::move(servers_);
    servers_.clear();
    ending.clear();
}

} // namespace host
