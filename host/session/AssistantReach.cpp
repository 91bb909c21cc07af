#include "host/session/AssistantReach.h"

#include "link/Conversation.h"
#include "link/FrameCodec.h"
#include "link/SymbolFrame.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>

namespace host {

AssistantReach::AssistantReach(QObject *parent) : QObject(parent)
{
    timeout_.setSingleShot(true);
    timeout_.setInterval(answerMilliseconds);
    connect(&timeout_, &QTimer::timeout, this, [this] {
        finish(QStringLiteral("Quendra_LT が応答しません。Quendra_LT の画面を確かめて下さい。"));
    });
}

AssistantReach::~AssistantReach() = default;

QString AssistantReach::program()
{
    const QString chosen = qEnvironmentVariable("QUENDRA_ASSISTANT");
    if (!chosen.isEmpty()) return chosen;
#ifdef Q_OS_WIN
    const QString name = QStringLiteral("quendra.exe");
#else
    const QString name = QStringLiteral("quendra");
#endif
    return QDir(QCoreApplication::applicationDirPath()).filePath(name);
}

void AssistantReach::ask(std::string frame)
{
    drop();
    frame_ = std::move(frame);
    answers_ = {};
    sent_ = false;
    // Nobody else's program gets the request (the folder is this user's alone).
    if (!quendra::socketFolderProblem().empty()) {
        noAssistant();
        return;
    }
    socket_ = new QLocalSocket(this);
    connect(socket_, &QLocalSocket::connected, this, &AssistantReach::connected);
    connect(socket_, &QLocalSocket::readyRead, this, &AssistantReach::answerArrived);
    connect(socket_, &QLocalSocket::errorOccurred, this, [this] {
        if (sent_)
            finish(QStringLiteral("Quendra_LT との通信が途中で切れました。"));
        else
            noAssistant();
    });
    timeout_.start();
    socket_->connectToServer(
        QString::fromStdString(quendra::socketPath(quendra::symbolEditService, quendra::symbolEditTopic)));
}

void AssistantReach::connected()
{
    if (!quendra::socketPeerIsThisUser(socket_->socketDescriptor())) {
        finish(QStringLiteral("Quendra_LT の待ち受けが別のユーザーのものです。"));
        return;
    }
    const std::string bytes = quendra::encodeFrame(frame_);
    sent_ = true;
    socket_->write(bytes.data(), static_cast<qint64>(bytes.size()));
}

void AssistantReach::answerArrived()
{
    const QByteArray bytes = socket_->readAll();
    answers_.feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    std::string answer;
    if (answers_.next(answer) != quendra::FrameDecoder::Status::Frame) return;
    if (answer.rfind("OK", 0) == 0)
        finish({});
    else
        finish(QStringLiteral("Quendra_LT が開けませんでした: %1")
                   .arg(QString::fromStdString(answer.rfind("NG ", 0) == 0 ? answer.substr(3) : answer)));
}

// No assistant listens: one is started with the frame, and finds this host as any would.
void AssistantReach::noAssistant()
{
    const QString path = program();
    if (!QFileInfo(path).isExecutable()) {
        finish(QStringLiteral("Quendra_LT (%1) が見つかりません。").arg(QDir::toNativeSeparators(path)));
        return;
    }
    const QByteArray hex = QByteArray::fromStdString(frame_).toHex();
    if (!QProcess::startDetached(
            path, {QString::fromLatin1(quendra::symbolEditOption), QString::fromLatin1(hex)})) {
        finish(
            QStringLiteral("Quendra_LT (%1) を起動できませんでした。").arg(QDir::toNativeSeparators(path)));
        return;
    }
    finish({});
}

void AssistantReach::drop()
{
    timeout_.stop();
    if (!socket_) return;
    socket_->disconnect(this);
    socket_->abort();
    socket_->deleteLater();
    socket_ = nullptr;
}

void AssistantReach::finish(const QString &failure)
{
    drop();
    emit reached(failure);
}

} // namespace host
