#include "link/CadLink.h"
#include "link/FrameCodec.h"
#include "link/SymbolFrame.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QLocalSocket>

namespace quendra {

namespace {

class SocketTransport final : public LinkTransport
{
public:
    explicit SocketTransport(std::chrono::milliseconds timeout) : timeout_(timeout) {}

    LinkError open(const std::string &service, const std::string &topic) override
    {
        close();
        // Scripts go to no host another user could have put in our place.
        if (!socketFolderProblem().empty()) return LinkError::NoHost;
        socket_ = std::make_unique<QLocalSocket>();
        socket_->connectToServer(QString::fromStdString(socketPath(service, topic)));
        if (!socket_->waitForConnected(static_cast<int>(timeout_.count())) ||
            !socketPeerIsThisUser(socket_->socketDescriptor())) {
            close();
            return LinkError::NoHost;
        }
        return LinkError::None;
    }

    LinkError execute(const std::string &script) override
    {
        if (!isOpen()) return LinkError::HostGone;
        const std::string frame = encodeFrame(script);
        // A save is answered once done, which takes a while for a large drawing.
        const QDeadlineTimer deadline(
            savesDrawing(script) ? std::max(timeout_, std::chrono::milliseconds(saveWait)) : timeout_);
        if (socket_->write(frame.data(), static_cast<qint64>(frame.size())) !=
            static_cast<qint64>(frame.size()))
            return LinkError::HostGone;
        while (socket_->bytesToWrite() > 0) {
            if (!socket_->waitForBytesWritten(static_cast<int>(deadline.remainingTime())))
                return socket_->state() == QLocalSocket::ConnectedState ? timedOut() : LinkError::HostGone;
        }
        std::string reply;
        for (;;) {
            switch (decoder_.next(reply)) {
            case FrameDecoder::Status::Frame:
                lastReply_ = reply;
                return reply.rfind("OK", 0) == 0 ? LinkError::None : LinkError::Refused;
            case FrameDecoder::Status::Malformed:
                close();
                return LinkError::HostGone;
            case FrameDecoder::Status::NeedMore:
                break;
            }
            if (socket_->bytesAvailable() == 0 &&
                !socket_->waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
                if (socket_->state() != QLocalSocket::ConnectedState) return LinkError::HostGone;
                if (deadline.hasExpired()) return timedOut();
                continue;
            }
            const QByteArray bytes = socket_->readAll();
            decoder_.feed(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
        }
    }

    std::optional<bool> hostIdle() override
    {
        if (execute(stateQuery) != LinkError::None) return std::nullopt;
        if (lastReply_ == idleAnswer) return true;
        if (lastReply_ == busyAnswer) return false;
        return std::nullopt;
    }

    bool readsSymbols() override
    {
        return execute(symbolQuery) == LinkError::None && lastReply_ == symbolAnswer;
    }

    std::optional<HostPlace> hostPlace() override
    {
        if (execute(placeQuery) != LinkError::None) return std::nullopt;
        return decodePlaceAnswer(lastReply_);
    }

    std::optional<std::string> ask(const std::string &query) override
    {
        if (execute(query) != LinkError::None) return std::nullopt;
        return lastReply_;
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
    // A reply that comes after the wait would be taken as the answer to the next execute, and
    // every later one as the answer to the one before: the conversation ends, and the next
    // execute opens a new one.
    LinkError timedOut()
    {
        close();
        return LinkError::Timeout;
    }

    std::chrono::milliseconds timeout_;
    std::unique_ptr<QLocalSocket> socket_;
    FrameDecoder decoder_;
    std::string lastReply_;
};

} // namespace

std::unique_ptr<LinkTransport> makeSocketTransport(std::chrono::milliseconds timeout)
{
    return std::make_unique<SocketTransport>(timeout);
}

} // namespace quendra
