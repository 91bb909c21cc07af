#pragma once

// A small host for tests: listens where a CAD host would, answers every frame with "OK" and
// keeps what it received, conversation by conversation.

#include "link/CadLink.h"
#include "link/FrameCodec.h"

#include <QEventLoop>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

#include <memory>
#include <mutex>

#include <map>
#include <string>
#include <vector>

class RecordingServer : public QObject
{
public:
    explicit RecordingServer(const std::string &service = quendra::cadService,
                             const std::string &topic = quendra::cadTopic)
    {
        path_ = QString::fromStdString(quendra::socketPath(service, topic));
        QLocalServer::removeServer(path_);
        server_.setSocketOptions(QLocalServer::UserAccessOption);
        listening_ = server_.listen(path_);
        connect(&server_, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket *s = server_.nextPendingConnection()) {
                const int id = next_++;
                std::lock_guard lock(mutex_);
                conversations_[id];
                connect(s, &QLocalSocket::readyRead, this, [this, s, id] { read(s, id); });
                connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            }
        });
    }

    bool listening() const { return listening_; }
    void stop()
    {
        server_.close();
        for (QLocalSocket *s : server_.findChildren<QLocalSocket *>())
            s->abort();
    }
    // Every script received, in arrival order, over all conversations.
    std::vector<std::string> scripts() const
    {
        std::lock_guard lock(mutex_);
        return all_;
    }
    int conversations() const
    {
        std::lock_guard lock(mutex_);
        return static_cast<int>(conversations_.size());
    }
    std::vector<std::string> conversation(int id)
    {
        std::lock_guard lock(mutex_);
        return conversations_[id].scripts;
    }
    // Answers the next frames with this reply instead of "OK" ("" for no answer at all).
    void setReply(std::string reply)
    {
        std::lock_guard lock(mutex_);
        reply_ = std::move(reply);
    }

    // Answers this payload (a query) with its own reply, whatever the other frames get.
    void answer(const std::string &payload, std::string reply)
    {
        std::lock_guard lock(mutex_);
        answers_[payload] = std::move(reply);
    }

    // Answers the next frames only after this many milliseconds.
    void setReplyDelay(int ms)
    {
        std::lock_guard lock(mutex_);
        delay_ = ms;
    }

private:
    struct Conversation
    {
        quendra::FrameDecoder decoder;
        std::vector<std::string> scripts;
    };

    void read(QLocalSocket *s, int id)
    {
        std::lock_guard lock(mutex_);
        Conversation &c = conversations_[id];
        const QByteArray bytes = s->readAll();
        c.decoder.feed(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
        std::string payload;
        while (c.decoder.next(payload) == quendra::FrameDecoder::Status::Frame) {
            c.scripts.push_back(payload);
            all_.push_back(payload);
            const auto own = answers_.find(payload);
            const std::string &reply = own != answers_.end() ? own->second : reply_;
            if (reply.empty()) continue;
            const std::string frame = quendra::encodeFrame(reply);
            if (delay_ > 0)
                QTimer::singleShot(delay_, s,
                                   [s, frame] { s->write(frame.data(), static_cast<qint64>(frame.size())); });
            else
                s->write(frame.data(), static_cast<qint64>(frame.size()));
        }
    }

    mutable std::mutex mutex_;
    QString path_;
    QLocalServer server_;
    bool listening_ = false;
    int next_ = 0;
    std::map<int, Conversation> conversations_;
    std::vector<std::string> all_;
    std::string reply_ = "OK";
    std::map<std::string, std::string> answers_;
    int delay_ = 0;
};

// The recording server on a thread of its own, so that a client in the test's thread may block
// on its answer.
class ServerThread
{
public:
    explicit ServerThread(const std::string &service = quendra::cadService,
                          const std::string &topic = quendra::cadTopic)
    {
        std::mutex ready;
        ready.lock();
        thread_.reset(QThread::create([this, service, topic, &ready] {
            server_ = std::make_unique<RecordingServer>(service, topic);
            ready.unlock();
            QEventLoop loop;
            loop.exec();
            server_.reset();
        }));
        thread_->start();
        std::lock_guard wait(ready);
    }
    ~ServerThread() { stop(); }
    RecordingServer &server() { return *server_; }
    // Ends the server and its conversations, as a host that quits.
    void stop()
    {
        if (!thread_ || thread_->isFinished()) return;
        QMetaObject::invokeMethod(
            server_.get(), [this] { server_->stop(); }, Qt::BlockingQueuedConnection);
        thread_->quit();
        thread_->wait();
    }

private:
    std::unique_ptr<QThread> thread_;
    std::unique_ptr<RecordingServer> server_;
};
