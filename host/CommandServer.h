#pragma once

#include "link/FrameCodec.h"

#include <QObject>
#include <QString>

#include <map>
#include <memory>
#include <vector>

class QLocalServer;
class QLocalSocket;

namespace host {

class HostSession;

// Serves the conversations of the assistant: one local socket per service and topic, any number
// of conversations on each. Every frame is one execute; it is answered "OK" once its string is in
// the session's queue, or "NG <reason>". A frame that is too long or not UTF-8 ends that
// conversation only.
class CommandServer : public QObject
{
    Q_OBJECT

public:
    static constexpr int maxConversations = 64;

    explicit CommandServer(HostSession &session, QObject *parent = nullptr);
    ~CommandServer() override;

    // Listens for a service and topic; false with a Japanese message when it cannot (another
    // host already serves it, or the folder cannot be used).
    bool listen(const QString &service, const QString &topic, QString *error);
    int conversations() const { return static_cast<int>(conversations_.size()); }
    void close();

signals:
    void conversationsChanged(int count);

private:
    struct Conversation
    {
        int id = 0;
        quendra::FrameDecoder decoder;
    };

    void accept(QLocalServer *server);
    void read(QLocalSocket *socket);
    void reply(QLocalSocket *socket, const std::string &text);
    void drop(QLocalSocket *socket);

    HostSession &session_;
    std::vector<std::unique_ptr<QLocalServer>> servers_;
    std::map<QLocalSocket *, Conversation> conversations_;
    int nextId_ = 1;
    int lastFed_ = 0; // the conversation whose input was queued last
    bool closing_ = false;
};

} // namespace host
