#pragma once

#include "link/FrameCodec.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <string>

class QLocalSocket;

namespace host {

// Hands a symbol's Edit frame (link/SymbolFrame.h) to the assistant: to a running one over the
// socket it listens on, else to a new one started with the frame. Never waits: reached() tells
// how it went.
class AssistantReach : public QObject
{
    Q_OBJECT

public:
    // How long a running assistant may take to answer.
    static constexpr int answerMilliseconds = 5000;

    explicit AssistantReach(QObject *parent = nullptr);
    ~AssistantReach() override;

    // A frame asked while another is on its way replaces it.
    void ask(std::string frame);
    // The assistant's program: QUENDRA_ASSISTANT, else `quendra` beside this program.
    static QString program();

signals:
    // `failure` is empty when the form is open or the assistant is starting with it.
    void reached(const QString &failure);

private:
    void connected();
    void answerArrived();
    void noAssistant();
    void drop();
    void finish(const QString &failure);

    QLocalSocket *socket_ = nullptr;
    std::string frame_;
    quendra::FrameDecoder answers_;
    bool sent_ = false;
    QTimer timeout_;
};

} // namespace host
