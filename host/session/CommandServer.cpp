#include "host/session/CommandServer.h"

#include "host/session/HostSession.h"
#include "host/session/PeerCredentials.h"
#include "link/Conversation.h"
#include "link/SymbolFrame.h"
#include "link/WallFrame.h"

#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>

#include <algorithm>

namespace host {

CommandServer::CommandServer(HostSession &session, QObject *parent) : QObject(parent), session_(session)
{
    clock_.start();
    stallCheck_.setInterval(250);
    connect(&stallCheck_, &QTimer::timeout, this, &CommandServer::dropStalled);
    connect(&session_.conversations(), &Conversations::saveAnswered, this, &CommandServer::answerSave);
}

CommandServer::~CommandServer()
{
    close();
}

bool CommandServer::listen(const QString &service, const QString &topic, QString *error)
{
    if (const std::string problem = quendra::socketFolderProblem(); !problem.empty()) {
        *error = QString::fromStdString(problem);
        return false;
    }
    const QString path =
        QString::fromStdString(quendra::socketPath(service.toStdString(), topic.toStdString()));
    {
        // A socket that answers belongs to a running host; one that does not is left over.
        QLocalSocket probe;
        probe.connectToServer(path);
        if (probe.waitForConnected(500)) {
            probe.abort();
            *error = QStringLiteral("「%1|%2」は既に別のプログラムが受け付けています。").arg(service, topic);
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
    closing_ = true;
    for (auto &server : servers_) {
        const QString path = server->fullServerName();
        server->close();
        QFile::remove(path);
    }
    servers_.clear();
    while (!conversations_.empty())
        drop(conversations_.begin()->first);
    closing_ = false;
}

void CommandServer::accept(QLocalServer *server)
{
    while (QLocalSocket *socket = server->nextPendingConnection()) {
        if (!peerIsThisUser(socket->socketDescriptor()) ||
            (conversations() >= maxConversations && !makeRoom())) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        Conversation &c = conversations_[socket];
        c.id = session_.conversations().begin();
        c.heard = clock_.nsecsElapsed();
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { read(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { drop(socket); });
        emit conversationsChanged(conversations());
    }
}

// Ends the conversation that has kept its place longest for nothing: idle since it was last
// heard from, or holding a frame unfinished since its first byte (a client that trickles its
// frames), so that neither kind can lock a good client out. One owed a save's answer goes only
// when every one is; false when there is none.
bool CommandServer::makeRoom()
{
    QLocalSocket *oldest = nullptr;
    qint64 since = 0;
    bool owed = true;
    for (const auto &[socket, c] : conversations_) {
        const bool owes = session_.conversations().awaitingSave(c.id);
        const qint64 waited = c.frameStarted >= 0 ? c.frameStarted : c.heard;
        if (oldest && ((owes && !owed) || (owes == owed && waited >= since))) continue;
        oldest = socket;
        since = waited;
        owed = owes;
    }
    if (!oldest) return false;
    drop(oldest);
    return true;
}

void CommandServer::read(QLocalSocket *socket)
{
    const auto it = conversations_.find(socket);
    if (it == conversations_.end()) return;
    Conversation &c = it->second;
    c.heard = clock_.nsecsElapsed();
    const QByteArray bytes = socket->readAll();
    c.decoder.feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    std::string payload;
    for (;;) {
        if (session_.conversations().awaitingSave(c.id)) {
            // The answers keep their order: what came after a save waits for its answer.
            if (heldBytes() > heldLimit_) drop(socket);
            return;
        }
        const auto status = c.decoder.next(payload);
        if (status == quendra::FrameDecoder::Status::NeedMore) {
            if (c.decoder.buffered() == 0) {
                c.frameStarted = -1;
                return;
            }
            if (c.frameStarted < 0) c.frameStarted = c.heard;
            if (!stallCheck_.isActive()) stallCheck_.start();
            if (heldBytes() > heldLimit_) drop(socket);
            return;
        }
        c.frameStarted = -1;
        if (status == quendra::FrameDecoder::Status::Malformed) {
            drop(socket);
            return;
        }
        // A reply that cannot be written (the client has gone) ends the conversation at once,
        // `c` with it: nothing of it is used after a reply.
        if (payload == quendra::stateQuery || payload == quendra::symbolQuery ||
            payload == quendra::placeQuery || payload == quendra::wallQuery ||
            payload == quendra::wallStateQuery) {
            if (payload == quendra::symbolQuery)
                reply(socket, quendra::symbolAnswer);
            else if (payload == quendra::placeQuery)
                reply(socket, placeAnswer());
            else if (payload == quendra::wallQuery)
                reply(socket, quendra::wallAnswer);
            else
                // Idle only once a point asked for by ID was picked: the assistant then brings
                // its dialog back.
                reply(socket, stateAnswer(c.id, payload == quendra::wallStateQuery));
            if (conversations_.find(socket) == conversations_.end()) return;
            continue;
        }
        QString reason;
        const Conversations::Answer answer = session_.conversations().admit(payload, &reason);
        if (answer == Conversations::Answer::Refused) {
            reply(socket, "NG " + reason.toStdString());
            if (conversations_.find(socket) == conversations_.end()) return;
            continue;
        }
        // The answer goes first: what the string sets off (a dialog, a long drawing) must not
        // keep the client waiting. A save is answered once done, so that a failed one is not "OK".
        const int id = c.id;
        if (answer == Conversations::Answer::Now) reply(socket, "OK");
        session_.conversations().queue(id, payload, QStringLiteral("会話 %1").arg(id));
        if (conversations_.find(socket) == conversations_.end()) return; // the conversation ended meanwhile
    }
}

std::string CommandServer::placeAnswer() const
{
    const std::optional<WindowPlace> place = placeTeller_ ? placeTeller_() : std::nullopt;
    if (!place || place->window.isEmpty() || place->drawing.isEmpty()) return "OK";
    const auto rect = [](const QRect &r) { return quendra::ScreenRect{r.x(), r.y(), r.width(), r.height()}; };
    return quendra::encodePlaceAnswer({rect(place->window), rect(place->drawing)});
}

// Idle or busy; asked with the wall state query, the wall this conversation's last fitting's
// base point was set into.
std::string CommandServer::stateAnswer(int conversation, bool withWall) const
{
    if (!session_.idle()) return quendra::busyAnswer;
    const auto picked = session_.interpreter().wallPicked();
    if (!withWall || !picked || picked->first != conversation || !picked->second) return quendra::idleAnswer;
    return quendra::idleAnswerWithWall(*picked->second);
}

std::size_t CommandServer::heldBytes() const
{
    std::size_t held = 0;
    for (const auto &[socket, c] : conversations_)
        held += c.decoder.buffered();
    return held;
}

void CommandServer::dropStalled()
{
    std::vector<QLocalSocket *> stalled;
    bool waiting = false;
    const qint64 now = clock_.nsecsElapsed();
    for (const auto &[socket, c] : conversations_) {
        if (c.frameStarted < 0) continue;
        if (now - c.frameStarted > qint64(stallMs_) * 1000000)
            stalled.push_back(socket);
        else
            waiting = true;
    }
    for (QLocalSocket *socket : stalled)
        drop(socket);
    if (!waiting) stallCheck_.stop();
}

void CommandServer::answerSave(int id, const QString &failure)
{
    QLocalSocket *socket = conversation(id);
    if (!socket) return; // another server's conversation
    reply(socket, failure.isEmpty() ? std::string("OK") : "NG " + failure.toStdString());
    // Frames that came meanwhile are read from the event loop, never inside the session's work.
    QMetaObject::invokeMethod(
        this,
        [this, id] {
            if (QLocalSocket *next = conversation(id)) read(next);
        },
        Qt::QueuedConnection);
}

QLocalSocket *CommandServer::conversation(int id) const
{
    const auto it = std::find_if(conversations_.begin(), conversations_.end(),
                                 [id](const auto &entry) { return entry.second.id == id; });
    return it == conversations_.end() ? nullptr : it->first;
}

void CommandServer::reply(QLocalSocket *socket, const std::string &text)
{
    const std::string frame = quendra::encodeFrame(text);
    socket->write(frame.data(), static_cast<qint64>(frame.size()));
    socket->flush();
}

void CommandServer::drop(QLocalSocket *socket)
{
    const auto it = conversations_.find(socket);
    if (it == conversations_.end()) return;
    const int id = it->second.id;
    conversations_.erase(it);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
    // What it left unfinished is cancelled, unless the host is closing.
    session_.conversations().end(id, !closing_);
    emit conversationsChanged(conversations());
}

} // namespace host
