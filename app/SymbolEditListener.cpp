#include "app/SymbolEditListener.h"

#include "link/Conversation.h"
#include "link/FrameCodec.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>

#include <memory>

namespace quendra {

namespace {

// A request that does not arrive whole within this is dropped.
constexpr int requestMilliseconds = 5000;

void reply(QLocalSocket *socket, const std::string &text)
{
    const std::string bytes = encodeFrame(text);
    socket->write(bytes.data(), static_cast<qint64>(bytes.size()));
    socket->disconnectFromServer();
}

} // namespace

SymbolEditListener::SymbolEditListener(Editor editor, QObject *parent)
    : QObject(parent), editor_(std::move(editor))
{
}

SymbolEditListener::~SymbolEditListener() = default;

bool SymbolEditListener::listen()
{
    if (!socketFolderProblem().empty()) return false;
    const QString path = QString::fromStdString(socketPath(symbolEditService, symbolEditTopic));
    // A socket someone answers on belongs to an assistant still running; one nobody answers was
    // left behind by an assistant that ended.
    QLocalSocket probe;
    probe.connectToServer(path);
    if (probe.waitForConnected(500)) return false;
    QLocalServer::removeServer(path);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(path)) {
        delete server_;
        server_ = nullptr;
        return false;
    }
    connect(server_, &QLocalServer::newConnection, this, &SymbolEditListener::answer);
    return true;
}

void SymbolEditListener::answer()
{
    while (QLocalSocket *socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (!socketPeerIsThisUser(socket->socketDescriptor())) {
            socket->abort();
            continue;
        }
        QTimer::singleShot(requestMilliseconds, socket, [socket] { socket->abort(); });
        auto decoder = std::make_shared<FrameDecoder>();
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, decoder] {
            const QByteArray bytes = socket->readAll();
            decoder->feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
            std::string payload;
            switch (decoder->next(payload)) {
            case FrameDecoder::Status::NeedMore:
                return;
            case FrameDecoder::Status::Malformed:
                socket->abort();
                return;
            case FrameDecoder::Status::Frame:
                break;
            }
            const auto frame = decodeSymbolFrame(payload);
            if (!frame || frame->kind != SymbolFrame::Kind::Edit) {
                reply(socket, "NG 図形の再編集の依頼として読めません。");
                return;
            }
            QPointer<QLocalSocket> guard(socket);
            const QString failure = editor_(*frame);
            if (guard) reply(socket, failure.isEmpty() ? "OK" : "NG " + failure.toStdString());
        });
    }
}

} // namespace quendra
