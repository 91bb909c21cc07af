#pragma once

#include "link/FrameCodec.h"
#include "link/HostPlace.h"

#include <QElapsedTimer>
#include <QObject>
#include <QRect>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QLocalServer;
class QLocalSocket;

namespace host {

class HostSession;

// Serves the conversations of the assistant: one local socket per service and topic, any number
// of conversations on each. Every frame is one execute, taken as the session's Conversations take
// every server's: answered "OK" before its string runs, or "NG <reason>"; a frame that saves the
// drawing (SAVE, QSAVE, SAVEAS) once it has been carried out, "NG <reason>" when a save failed
// or it found a command unfinished, the conversation's later frames waiting behind it; what an
// ended conversation left unfinished is cancelled. A frame that is too long or not UTF-8 ends
// that conversation only. The state query (FrameCodec.h), the symbol query (SymbolFrame.h) and
// the place query (HostPlace.h) are answered, never queued.
class CommandServer : public QObject
{
    Q_OBJECT

public:
    // A client that comes beyond this takes the place of the conversation that has waited
    // longest, idle or in the middle of a frame.
    static constexpr int maxConversations = 64;
    // Bytes of unfinished frames held over all conversations; the one that goes beyond is ended.
    static constexpr std::size_t maxHeldBytes = 256u * 1024u * 1024u;
    // A frame not finished this long after its first byte ends its conversation: a client never
    // takes longer on a local socket.
    static constexpr int stallMilliseconds = 10000;

    explicit CommandServer(HostSession &session, QObject *parent = nullptr);
    ~CommandServer() override;

    // Listens for a service and topic; false with a Japanese message when it cannot (another
    // host already serves it, or the folder cannot be used).
    bool listen(const QString &service, const QString &topic, QString *error);
    int conversations() const { return static_cast<int>(conversations_.size()); }
    // Where the window stands, for the place query: its frame and its drawing area, in device
    // pixels. Without a teller (headless) or when it tells nothing, the host cannot tell.
    struct WindowPlace
    {
        QRect window;
        QRect drawing;
    };
    using PlaceTeller = std::function<std::optional<WindowPlace>()>;
    void setPlaceTeller(PlaceTeller teller) { placeTeller_ = std::move(teller); }
    void close();
    // For tests: smaller bounds than the constants above.
    void setBounds(std::size_t heldBytes, int stallMs)
    {
        heldLimit_ = heldBytes;
        stallMs_ = stallMs;
    }

signals:
    void conversationsChanged(int count);

private:
    struct Conversation
    {
        int id = 0; // its number in the session's Conversations
        quendra::FrameDecoder decoder;
        // On the server's clock (ns): when it was last heard from, and when the frame held in
        // part began (-1: none).
        qint64 heard = 0;
        qint64 frameStarted = -1;
    };

    void accept(QLocalServer *server);
    bool makeRoom();
    void read(QLocalSocket *socket);
    void reply(QLocalSocket *socket, const std::string &text);
    std::string placeAnswer() const;
    void drop(QLocalSocket *socket);
    std::size_t heldBytes() const;
    std::string stateAnswer(int conversation, bool withWall) const;
    void dropStalled();
    void answerSave(int id, const QString &failure);
    QLocalSocket *conversation(int id) const;

    HostSession &session_;
    std::vector<std::unique_ptr<QLocalServer>> servers_;
    std::map<QLocalSocket *, Conversation> conversations_;
    QElapsedTimer clock_;
    bool closing_ = false;
    std::size_t heldLimit_ = maxHeldBytes;
    int stallMs_ = stallMilliseconds;
    QTimer stallCheck_;
    PlaceTeller placeTeller_;
};

} // namespace host
