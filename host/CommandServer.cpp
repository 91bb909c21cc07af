#include "host/CommandServer.h"

#include "host/HostSession.h"
#include "host/PeerCredentials.h"
#include "link/Conversation.h"

#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>

namespace host {

CommandServer::CommandServer(HostSession &session, QObject *parent) : QObject(parent), session_(session) {}

CommandServer::~CommandServer()
{
    close();
}

bool CommandServer::listen(const QString &service, const QString &topic, QString *error)
{
    const QString path =
        QString::fromStdString(quendra::socketPath(service.toStdString(), topic.toStdString()));
    {
        // A socket that answers belongs to a running host; one that does not is left over.
        QLocalSocket probe;
        probe.connectToServer(path);
        if (probe.waitForConnected(500)) {
            probe.abort();
            *error =
                QStringLiteral("「%1|%2」は既に別のプログラムが受け付けています。").arg(service, topic);
            return false;
        }
    }
    QLocalServer::removeServer(path);
    auto server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    server->setMaxPendingConnections(maxConversations);
    if (!server->listen(path)) {
        *error =
            QStringLiteral("「%1|%2」を受け付けられません: %3").arg(service, topic, server->errorString());
        return false;
    }
    QLocalServer *raw = server.get();
    connect(raw, &QLocalServer::newConnection, this, [this, raw] { accept(raw); });
    servers_.push_back(std::move(server));
    return true;
}

void CommandServer::close()
{
    for (auto &server : servers_) {
        const QString path = server->fullServerName();
        server->close();
        QFile::remove(path);
    }
    servers_.clear();
    while (!conversations_.empty())
        drop(conversations_.begin()->first);
}

void CommandServer::accept(QLocalServer *server)
{
    while (QLocalSocket *socket = server->nextPendingConnection()) {
        if (!peerIsThisUser(socket->socketDescriptor()) || conversations() >= maxConversations) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        conversations_[socket].id = nextId_++;
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { read(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { drop(socket); });
        emit conversationsChanged(conversations());
    }
}

void CommandServer::read(QLocalSocket *socket)
{
    const auto it = conversations_.find(socket);
    if (it == conversations_.end()) return;
    Conversation &c = it->second;
    const QByteArray bytes = socket->readAll();
    c.decoder.feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    std::string payload;
    for (;;) {
        const auto status = c.decoder.next(payload);
        if (status == quendra::FrameDecoder::Status::NeedMore) return;
        if (status == quendra::FrameDecoder::Status::Malformed) {
            drop(socket);
            return;
        }
        // A reply that cannot be written (the client has gone) ends the conversation at once,
        // `c` with it: nothing of it is used after a reply.
        QString reason;
        if (!session_.accepts(payload.size(), &reason)) {
            reply(socket, "NG " + reason.toStdString());
            if (conversations_.find(socket) == conversations_.end())
                return;
            continue;
        }
        // The answer goes first: what the string sets off (a dialog, a long drawing) must not
        // keep the client waiting.
        const int id = c.id;
        reply(socket, "OK");
        session_.enqueue(payload, QStringLiteral("会話 %1").arg(id));
        if (conversations_.find(socket) == conversations_.end()) return; // the conversation ended meanwhile
    }
}

void CommandServer::reply(QLocalSocket *socket, const std::string &text)
{
    const std::string frame = quendra::encodeFrame(text);
    socket->write(frame.data(), static_cast<qint64>(frame.size()));
    socket->flush();
}

void CommandServer::drop(QLocalSocket *socket)
{
    if (conversations_.erase(socket) == 0) return;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
    emit conversationsChanged(conversations());
}

} // namespace host
