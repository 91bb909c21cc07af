#pragma once

#include "link/Conversation.h"
#include "link/HostPlace.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace quendra {

enum class LinkError {
    None,
    NoHost,   // nobody serves the service and topic
    HostGone, // the host went away during the conversation
    Refused,  // the host answered but would not take the string
    Timeout,  // no answer in time
};

// The CAD host the assistant was started for: AutoCAD LT's conversation (quendra-host serves it
// off Windows) or LibreCAD with its Quendra_LT bridge. Only the messages tell them apart.
enum class ChosenHost { AutoCadLt, LibreCad };
void chooseHost(ChosenHost host);
ChosenHost chosenHost();
// The host a program file starts, by its name: "librecad" is LibreCAD.
ChosenHost hostOfProgram(const std::string &path);

// A short Japanese sentence for a message box, naming the host chosen.
std::string describe(LinkError error);

// One way of delivering scripts to a CAD host.
class LinkTransport
{
public:
    virtual ~LinkTransport() = default;
    virtual LinkError open(const std::string &service, const std::string &topic) = 0;
    virtual LinkError execute(const std::string &script) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Whether the host is idle at its command prompt with nothing queued (so that a point asked
    // for by ID has been picked); nothing when the host cannot tell (DDE, the record file).
    virtual std::optional<bool> hostIdle() { return std::nullopt; }
    // Whether the host reads symbol frames (SymbolFrame.h); false when it cannot tell.
    virtual bool readsSymbols() { return false; }
    // Where the host's window stands (HostPlace.h); nothing when it cannot tell.
    virtual std::optional<HostPlace> hostPlace() { return std::nullopt; }
    // The host's answer to a question of ours (a frame of control characters, or one it said it
    // reads); nothing when it cannot be asked.
    virtual std::optional<std::string> ask(const std::string & /*query*/) { return std::nullopt; }
};

using TransportFactory = std::function<std::unique_ptr<LinkTransport>()>;

// The conversation a form owns in place of its hidden link box: one at a time, opened by service
// and topic, each execute delivered in one piece and in order.
class CadLink
{
public:
    explicit CadLink(std::unique_ptr<LinkTransport> transport);

    // Closes any earlier conversation of this link, then opens a new one.
    LinkError open(const std::string &service, const std::string &topic);
    // Sends one script. A link that is not open (or no longer) is opened again first.
    LinkError execute(const std::string &script);
    bool isOpen() const;
    // The host's state, on the open conversation only; nothing when it cannot tell.
    std::optional<bool> hostIdle();
    // Whether the host of the open conversation reads symbol frames: asked once per conversation.
    bool hostReadsSymbols();
    // Where the host's window stands, on the open conversation only; nothing when it cannot tell.
    std::optional<HostPlace> hostPlace();
    // Whether the host sets fittings into walls (WallFrame.h): asked once per conversation.
    bool hostReadsWalls();
    // After hostIdle(): the direction of the wall the last base point was set into, when the
    // host told one (a base point asked with wallPickFrame).
    std::optional<double> pickedWall() const { return pickedWall_; }
    // "service|topic" of the last open.
    std::string topic() const { return service_ + "|" + topic_; }

private:
    std::unique_ptr<LinkTransport> transport_;
    std::string service_;
    std::string topic_;
    std::optional<bool> readsSymbols_;
    std::optional<bool> readsWalls_;
    std::optional<double> pickedWall_;
};

// The transport named by QUENDRA_LINK: "socket" (the default) or "record:PATH"; on Windows also
// "dde" (the default there, see dde/DdeTransport.h).
TransportFactory transportFromEnvironment();

std::unique_ptr<LinkTransport> makeSocketTransport(std::chrono::milliseconds timeout);
std::unique_ptr<LinkTransport> makeRecordTransport(std::string path);

} // namespace quendra
