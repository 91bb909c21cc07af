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

namespace {

// Idle: at the command prompt with nothing queued, so that a point asked for by ID was picked.
bool idle(const cad::Interpreter &interpreter)
{
    return interpreter.queued() == 0 && interpreter.commandName().empty() && !interpreter.requestPending();
}

} // namespace

CommandServer::CommandServer(HostSession &session, QObject *parent) : QObject(parent), session_(session)
{
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
        c.heard = ++heardCount_;
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { read(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { drop(socket); });
        emit conversationsChanged(conversations());
    }
}

// Ends the conversation heard from longest ago that holds nothing (no frame half received, no
// answer owed), so that idle connections left open cannot lock a good client out; false when
// every one is busy.
bool CommandServer::makeRoom()
{
    QLocalSocket *idlest = nullptr;
    std::uint64_t earliest = heardCount_ + 1;
    for (const auto &[socket, c] : conversations_) {
        if (c.decoder.buffered() > 0 || session_.conversations().awaitingSave(c.id) || c.heard >= earliest)
            continue;
        earliest = c.heard;
        idlest = socket;
    }
    if (!idlest) return false;
    drop(idlest);
    return true;
}

void CommandServer::read(QLocalSocket *socket)
{
    const auto it = conversations_.find(socket);
    if (it == conversations_.end()) return;
    Conversation &c = it->second;
    c.heard = ++heardCount_;
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
                c.frameStarted.invalidate();
                return;
            }
            if (!c.frameStarted.isValid()) c.frameStarted.start();
            if (!stallCheck_.isActive()) stallCheck_.start();
            if (heldBytes() > heldLimit_) drop(socket);
            return;
        }
        c.frameStarted.invalidate();
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
    const cad::Interpreter &interpreter = session_.interpreter();
    if (!idle(interpreter)) return quendra::busyAnswer;
    const auto picked = interpreter.wallPicked();
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
    for (const auto &[socket, c] : conversations_) {
        if (!c.frameStarted.isValid()) continue;
        if (c.frameStarted.hasExpired(stallMs_))
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
