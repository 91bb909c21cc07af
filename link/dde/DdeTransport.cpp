#include "link/dde/DdeTransport.h"

#include "link/FrameCodec.h"
#include "link/dde/WinText.h"

#include <windows.h>

#include <ddeml.h>

#include <algorithm>

namespace quendra {

namespace {

// A client receives no transactions; DDEML still wants a callback.
HDDEDATA CALLBACK ignoreTransactions(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR)
{
    return nullptr;
}

// A string handle that is freed with the scope.
class StringHandle
{
public:
    StringHandle(DWORD instance, const std::wstring &text)
        : instance_(instance), handle_(DdeCreateStringHandleW(instance, text.c_str(), CP_WINUNICODE))
    {
    }
    ~StringHandle()
    {
        if (handle_) DdeFreeStringHandle(instance_, handle_);
    }
    StringHandle(const StringHandle &) = delete;
    StringHandle &operator=(const StringHandle &) = delete;
    HSZ get() const { return handle_; }

private:
    DWORD instance_;
    HSZ handle_;
};

bool conversationInfo(HCONV conversation, CONVINFO &info)
{
    info = CONVINFO();
    info.cb = sizeof info;
    return conversation && DdeQueryConvInfo(conversation, QID_SYNC, &info) != 0;
}

class DdeTransport final : public LinkTransport
{
public:
    explicit DdeTransport(std::chrono::milliseconds timeout) : timeout_(timeout) {}
    ~DdeTransport() override;
    DdeTransport(const DdeTransport &) = delete;
    DdeTransport &operator=(const DdeTransport &) = delete;

    LinkError open(const std::string &service, const std::string &topic) override;
    LinkError execute(const std::string &script) override;
    void close() override;
    bool isOpen() const override;

private:
    bool startInstance();
    bool serverTakesUnicode() const;
    LinkError deliver(std::wstring text, std::chrono::milliseconds wait);

    std::chrono::milliseconds timeout_;
    DWORD instance_ = 0;
    HCONV conversation_ = nullptr;
};

// The link error for a failed execute, from DdeGetLastError and whether the conversation stands.
LinkError errorFor(UINT dmlError, bool connected)
{
    if (!connected) return LinkError::HostGone;
    switch (dmlError) {
    case DMLERR_EXECACKTIMEOUT:
        return LinkError::Timeout;
    case DMLERR_NO_CONV_ESTABLISHED:
    case DMLERR_POSTMSG_FAILED:
    case DMLERR_SERVER_DIED:
    case DMLERR_UNFOUND_QUEUE_ID:
        return LinkError::HostGone;
    default:
        return LinkError::Refused; // DMLERR_NOTPROCESSED, DMLERR_BUSY: the host said no
    }
}

} // namespace

DdeTransport::~DdeTransport()
{
    close();
    if (instance_) DdeUninitialize(instance_);
}

bool DdeTransport::startInstance()
{
    if (instance_) return true;
    const UINT result =
        DdeInitializeW(&instance_, ignoreTransactions, APPCMD_CLIENTONLY | CBF_SKIP_ALLNOTIFICATIONS, 0);
    if (result == DMLERR_NO_ERROR) return true;
    instance_ = 0;
    return false;
}

LinkError DdeTransport::open(const std::string &service, const std::string &topic)
{
    close();
    const auto wideService = win::fromUtf8(service);
    const auto wideTopic = win::fromUtf8(topic);
    if (!wideService || !wideTopic || !startInstance()) return LinkError::NoHost;
    const StringHandle serviceHandle(instance_, *wideService);
    const StringHandle topicHandle(instance_, *wideTopic);
    if (!serviceHandle.get() || !topicHandle.get()) return LinkError::NoHost;
    conversation_ = DdeConnect(instance_, serviceHandle.get(), topicHandle.get(), nullptr);
    return conversation_ ? LinkError::None : LinkError::NoHost;
}

LinkError DdeTransport::execute(const std::string &script)
{
    if (!isOpen()) return LinkError::HostGone;
    // DDE strings end at a NUL: one inside would cut the script short at the host.
    auto text = win::fromUtf8(script);
    if (!text || text->find(L'\0') != std::wstring::npos) return LinkError::Refused;
    if (!serverTakesUnicode() && !win::toCodePage(*text, CP_ACP)) return LinkError::Refused;
    // A save is answered once done, which takes a while for a large drawing.
    const auto wait =
        savesDrawing(script) ? std::max(timeout_, std::chrono::milliseconds(saveWait)) : timeout_;
    const LinkError error = deliver(std::move(*text), wait);
    if (error == LinkError::HostGone) close();
    return error;
}

LinkError DdeTransport::deliver(std::wstring text, std::chrono::milliseconds wait)
{
    text.push_back(L'\0');
    const auto bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    const auto waitMs = static_cast<DWORD>(std::clamp<long long>(wait.count(), 1, 0x7fffffff));
    DWORD status = 0;
    const HDDEDATA done = DdeClientTransaction(reinterpret_cast<LPBYTE>(text.data()), bytes, conversation_,
                                               nullptr, CF_UNICODETEXT, XTYP_EXECUTE, waitMs, &status);
    if (done) return LinkError::None;
    const UINT dmlError = DdeGetLastError(instance_);
    return errorFor(dmlError, isOpen());
}

void DdeTransport::close()
{
    if (!conversation_) return;
    CONVINFO info;
    const bool standing = conversationInfo(conversation_, info) && (info.wStatus & ST_CONNECTED);
    if (standing) DdeDisconnect(conversation_);
    conversation_ = nullptr;
    // A conversation the host ended cannot be disconnected, and Wine's DDEML keeps it in the
    // instance, refusing every later one on the same service and topic (a host started again
    // could never be reached): the next open starts an instance of its own.
    if (!standing && instance_) {
        DdeUninitialize(instance_);
        instance_ = 0;
    }
}

bool DdeTransport::isOpen() const
{
    CONVINFO info;
    if (!conversationInfo(conversation_, info)) return false;
    // A server that ended without saying goodbye leaves the status as it was; its window is gone.
    return (info.wStatus & ST_CONNECTED) && !(info.wStatus & ST_TERMINATED) && IsWindow(info.hwndPartner);
}

bool DdeTransport::serverTakesUnicode() const
{
    CONVINFO info;
    return conversationInfo(conversation_, info) && IsWindowUnicode(info.hwndPartner) &&
           IsWindowUnicode(info.hwnd);
}

std::unique_ptr<LinkTransport> makeDdeTransport(std::chrono::milliseconds timeout)
{
    return std::make_unique<DdeTransport>(timeout);
}

} // namespace quendra
