#include "link/CadLink.h"

#include "link/FrameCodec.h"
#include "link/WallFrame.h"

namespace quendra {

namespace {

ChosenHost chosen = ChosenHost::AutoCadLt;

std::string describeLibreCad(LinkError error)
{
    const std::string check =
        "LibreCADが起動し、プラグインの「Quendra_LT 連携」が入っているか確認して下さい。";
    switch (error) {
    case LinkError::None:
        return {};
    case LinkError::NoHost:
        return "LibreCADとの通信に失敗しました。" + check;
    case LinkError::HostGone:
        return "LibreCADとの通信が切れました。" + check;
    case LinkError::Refused:
        return "LibreCADがコマンドを受け付けませんでした。";
    case LinkError::Timeout:
        return "LibreCADから応答がありません。";
    }
    return {};
}

} // namespace

void chooseHost(ChosenHost host)
{
    chosen = host;
}

ChosenHost chosenHost()
{
    return chosen;
}

ChosenHost hostOfProgram(const std::string &path)
{
    const std::size_t slash = path.find_last_of("/\\");
    std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
    for (char &c : name)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return name == "librecad" || name == "librecad.exe" ? ChosenHost::LibreCad : ChosenHost::AutoCadLt;
}

std::string describe(LinkError error)
{
    if (chosen == ChosenHost::LibreCad) return describeLibreCad(error);
    switch (error) {
    case LinkError::None:
        return {};
    case LinkError::NoHost:
#ifdef _WIN32
        return "AutoCAD LTとの通信に失敗しました。AutoCAD LTが起動しているか確認して下さい。";
#else
        // Here the CAD host is quendra-host, serving AutoCAD LT's conversation.
        return "AutoCAD LT(quendra-host)との通信に失敗しました。quendra-hostが起動しているか確認して下さい。";
#endif
    case LinkError::HostGone:
        return "AutoCAD LTとの通信が切れました。AutoCAD LTが起動しているか確認して下さい。";
    case LinkError::Refused:
        return "AutoCAD LTがコマンドを受け付けませんでした。";
    case LinkError::Timeout:
        return "AutoCAD LTから応答がありません。";
    }
    return {};
}

CadLink::CadLink(std::unique_ptr<LinkTransport> transport) : transport_(std::move(transport)) {}

LinkError CadLink::open(const std::string &service, const std::string &topic)
{
    transport_->close();
    service_ = service;
    topic_ = topic;
    readsSymbols_.reset();
    readsWalls_.reset();
    return transport_->open(service, topic);
}

LinkError CadLink::execute(const std::string &script)
{
    if (!transport_->isOpen()) {
        readsSymbols_.reset(); // another host may answer now
        readsWalls_.reset();
        if (const LinkError e = transport_->open(service_, topic_); e != LinkError::None) return e;
    }
    const LinkError e = transport_->execute(script);
    if (e == LinkError::HostGone) transport_->close();
    return e;
}

bool CadLink::isOpen() const
{
    return transport_->isOpen();
}

std::optional<bool> CadLink::hostIdle()
{
    pickedWall_.reset();
    if (!transport_->isOpen()) return std::nullopt;
    if (!readsWalls_ || !*readsWalls_) return transport_->hostIdle();
    const std::optional<std::string> answer = transport_->ask(wallStateQuery);
    if (!answer) return std::nullopt;
    if (*answer == busyAnswer) return false;
    pickedWall_ = wallDirectionOf(*answer);
    if (*answer == idleAnswer || pickedWall_) return true;
    return std::nullopt;
}

bool CadLink::hostReadsWalls()
{
    if (!transport_->isOpen()) {
        readsSymbols_.reset();
        readsWalls_.reset();
        if (transport_->open(service_, topic_) != LinkError::None) return false;
    }
    if (!readsWalls_) readsWalls_ = transport_->ask(wallQuery) == std::optional<std::string>(wallAnswer);
    return *readsWalls_;
}

std::optional<HostPlace> CadLink::hostPlace()
{
    if (!transport_->isOpen()) return std::nullopt;
    return transport_->hostPlace();
}

bool CadLink::hostReadsSymbols()
{
    if (!transport_->isOpen()) {
        readsSymbols_.reset();
        if (transport_->open(service_, topic_) != LinkError::None) return false;
    }
    if (!readsSymbols_) readsSymbols_ = transport_->readsSymbols();
    return *readsSymbols_;
}

} // namespace quendra
