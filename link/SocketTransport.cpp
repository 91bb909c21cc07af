#include "CadLink.h"
#include "FrameCodec.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QUrl>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quendra {

namespace {

class SocketTransport final : public LinkTransport
{
public:
    explicit SocketTransport(std::chrono::milliseconds timeout) : timeout_(timeout) {}

    LinkError open(const std::string &service, const std::string &topic) override
    {
        close();
        socket_ = std::make_unique<QLocalSocket>();
        socket_->connectToServer(QString::fromStdString(socketPath(service, topic)));
        if (!socket_->waitForConnected(static_cast<int>(timeout_.count()))) {
            socket_.reset();
            return LinkError::NoHost;
        }
        return LinkError::None;
    }

    LinkError execute(const std::string &script) override
    {
        if (!isOpen())
            return LinkError::HostGone;
        const std::string frame = encodeFrame(script);
        const QDeadlineTimer deadline(timeout_);
        if (socket_->write(frame.data(), static_cast<qint64>(frame.size())) != static_cast<qint64>(frame.size()))
            return LinkError::HostGone;
        while (socket_->bytesToWrite() > 0) {
            if (!socket_->waitForBytesWritten(static_cast<int>(deadline.remainingTime())))
                return socket_->state() == QLocalSocket::ConnectedState ? LinkError::Timeout : LinkError::HostGone;
        }
        std::string reply;
        for (;;) {
            switch (decoder_.next(reply)) {
            case FrameDecoder::Status::Frame:
                return reply.rfind("OK", 0) == 0 ? LinkError::None : LinkError::Refused;
            case FrameDecoder::Status::Malformed: close(); return LinkError::HostGone;
            case FrameDecoder::Status::NeedMore: break;
            }
            if (socket_->bytesAvailable() == 0 && !socket_->waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
                if (socket_->state() != QLocalSocket::ConnectedState)
                    return LinkError::HostGone;
                if (deadline.hasExpired())
                    return LinkError::Timeout;
                continue;
            }
            const QByteArray bytes = socket_->readAll();
            decoder_.feed(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
        }
    }

    void close() override
    {
        if (socket_) {
            socket_->abort();
            socket_.reset();
        }
        decoder_ = FrameDecoder();
    }

    bool isOpen() const override { return socket_ && socket_->state() == QLocalSocket::ConnectedState; }

private:
    std::chrono::milliseconds timeout_;
    std::unique_ptr<QLocalSocket> socket_;
    FrameDecoder decoder_;
};

} // namespace

std::unique_ptr<LinkTransport> makeSocketTransport(std::chrono::milliseconds timeout)
{
    return std::make_unique<SocketTransport>(timeout);
}

#ifdef _WIN32
// Named pipes have no folders: the name carries the user (or QUENDRA_RUNTIME_DIR, to keep runs
// apart), and the host's pipe admits this user only.
std::string socketFolder()
{
    QString owner = qEnvironmentVariable("QUENDRA_RUNTIME_DIR");
    if (owner.isEmpty()) owner = qEnvironmentVariable("USERNAME");
    return "quendra-" + QUrl::toPercentEncoding(owner).toStdString();
}

std::string socketPath(const std::string &service, const std::string &topic)
{
    const QByteArray name = QUrl::toPercentEncoding(QString::fromStdString(service + "|" + topic));
    return socketFolder() + "." + name.toStdString();
}
#else
std::string socketFolder()
{
    QString dir = qEnvironmentVariable("QUENDRA_RUNTIME_DIR");
    if (dir.isEmpty()) {
        const QString xdg = qEnvironmentVariable("XDG_RUNTIME_DIR");
        dir = xdg.isEmpty() ? QStringLiteral("/tmp/quendra-%1").arg(::getuid()) : xdg + QStringLiteral("/quendra");
    }
    QDir().mkpath(dir);
    ::chmod(QFile::encodeName(dir).constData(), S_IRWXU);
    return dir.toStdString();
}

std::string socketPath(const std::string &service, const std::string &topic)
{
    const QByteArray name = QUrl::toPercentEncoding(QString::fromStdString(service + "|" + topic));
    return socketFolder() + "/" + name.toStdString();
}
#endif

} // namespace quendra
