#include "host/session/DdeCommandServer.h"

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
    // Conversations begin only once the server is listed (its messages come from the event loop).
    const std::size_t index = servers_.size();
    const auto serverAt = [this, index] { return index < servers_.size() ? servers_[index].get() : nullptr; };
    quendra::DdeServer::Options options;
    options.threading = quendra::DdeServer::Threading::CallerThread;
    options.conversationsChanged = [this](int) {
        if (sink_.conversationsChanged) sink_.conversationsChanged(conversations());
    };
    options.conversationBegan = [this, serverAt](int number) { recorded(serverAt(), number); };
    options.conversationEnded = [this](int number) { ended(number); };
    auto server = std::make_unique<quendra::DdeServer>(
        service, topic,
        quendra::DdeServer::ConversationHandler([this, serverAt](int number, const std::string &script) {
            switch (take(serverAt(), number, script)) {
            case Answer::Now:
                return quendra::DdeServer::Answer::Taken;
            case Answer::AfterSave:
                return quendra::DdeServer::Answer::Later;
            case Answer::Refused:
                break;
            }
            return quendra::DdeServer::Answer::NotProcessed;
        }),
        options);
    std::string reason;
    if (!server->start(&reason)) {
        *error = name + "を DDE で受け付けられません: " + reason;
        return false;
    }
    servers_.push_back(std::move(server));
    return true;
}

// The record's number of a conversation of `server`, given when it began.
int DdeCommandServer::recorded(quendra::DdeServer *server, int number)
{
    if (const auto known = recorded_.find(number); known != recorded_.end()) return known->second;
    const int id = sink_.begin ? sink_.begin() : nextNumber_++;
    recorded_[number] = id;
    places_[id] = Place{server, number};
    return id;
}

void DdeCommandServer::ended(int number)
{
    const auto known = recorded_.find(number);
    if (known == recorded_.end()) return;
    const int id = known->second;
    recorded_.erase(known);
    places_.erase(id);
    if (sink_.end) sink_.end(id, !closing_);
}

DdeCommandServer::Answer DdeCommandServer::take(quendra::DdeServer *server, int number,
                                                const std::string &script)
{
    const int id = recorded(server, number);
    std::string reason;
    const Answer answer = sink_.admit ? sink_.admit(script, &reason) : Answer::Refused;
    if (answer == Answer::Refused) {
        // A DDE client hears only "not processed"; the reason goes to the history.
        if (sink_.note) sink_.note("DDE の実行を受け付けませんでした: " + reason);
        return answer;
    }
    sink_.queue(id, script);
    return answer;
}

void DdeCommandServer::saveAnswered(int conversation, const std::string &failure)
{
    const auto place = places_.find(conversation);
    if (place == places_.end() || !place->second.server) return;
    if (!failure.empty() && sink_.note) sink_.note("DDE で頼まれた保存ができませんでした: " + failure);
    place->second.server->answer(place->second.number, failure.empty());
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
    // Ending a conversation calls back into conversations() and ended(): the list is empty by
    // then, and nothing a conversation left is cancelled while the host closes.
    closing_ = true;
    auto ending = std::move(servers_);
    servers_.clear();
    ending.clear();
    for (const auto &[id, place] : places_)
        if (sink_.end) sink_.end(id, false);
    places_.clear();
    recorded_.clear();
    closing_ = false;
}

} // namespace host
