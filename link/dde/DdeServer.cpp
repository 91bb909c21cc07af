#include "link/dde/DdeServer.h"

#include "link/dde/WinText.h"

#include <windows.h>

#include <ddeml.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <optional>
#include <vector>

namespace quendra {

struct DdeServer::Session
{
    std::string service;
    std::string topic;
    ConversationHandler handler;
    Options options;

    bool running = false;
    HANDLE thread = nullptr;
    DWORD threadId = 0;
    HANDLE ready = nullptr;
    bool registered = false; // written by the thread before `ready`
    std::string failure;
    std::atomic<int> conversations{0};

    // Owned by the serving thread.
    DWORD instance = 0;
    HSZ serviceHandle = nullptr;
    HSZ topicHandle = nullptr;
    // The number of each conversation, and the conversations whose execute waits for answer():
    // its answer once given.
    std::map<HCONV, int> numbers;
    std::map<HCONV, std::optional<bool>> later;
};

namespace {

using Session = DdeServer::Session;

// DDEML calls back on the thread that made the instance and passes no context: the sessions a
// thread serves, found by service and topic, and its conversations, found by their handle.
thread_local std::vector<Session *> serving;
thread_local std::map<HCONV, Session *> conversing;
std::atomic<int> lastNumber{0};

// answer() of a server with its own thread, posted to that thread: the number in wParam, whether
// taken in lParam.
constexpr UINT answerMessage = WM_APP + 0x51;

HDDEDATA answer(UINT_PTR value)
{
    return reinterpret_cast<HDDEDATA>(value);
}

Session *servingFor(HSZ topic, HSZ service)
{
    if (!topic || !service) return nullptr;
    for (Session *session : serving)
        if (DdeCmpStringHandles(topic, session->topicHandle) == 0 &&
            DdeCmpStringHandles(service, session->serviceHandle) == 0)
            return session;
    return nullptr;
}

Session *conversationOf(HCONV conversation)
{
    const auto found = conversing.find(conversation);
    return found == conversing.end() ? nullptr : found->second;
}

void countConversations(Session &session, int change)
{
    session.conversations += change;
    if (session.options.conversationsChanged) session.options.conversationsChanged(session.conversations);
}

std::string readScript(const Session &session, HDDEDATA data)
{
    const DWORD size = DdeGetData(data, nullptr, 0, 0);
    std::vector<char> bytes(size);
    if (size > 0) DdeGetData(data, reinterpret_cast<LPBYTE>(bytes.data()), size, 0);
    if (session.options.charset == DdeServer::Charset::Ansi) {
        const std::string_view ansi = win::untilNul(std::string_view(bytes.data(), bytes.size()));
        return win::toUtf8(win::fromCodePage(ansi, CP_ACP));
    }
    std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
    std::copy_n(bytes.data(), text.size() * sizeof(wchar_t), reinterpret_cast<char *>(text.data()));
    return win::toUtf8(win::untilNul(text));
}

HDDEDATA onExecute(Session *session, HCONV conversation, HDDEDATA data)
{
    if (!session) return answer(DDE_FNOTPROCESSED);
    // An execute left for later comes again once answered (DdeEnableCallback).
    if (const auto waiting = session->later.find(conversation); waiting != session->later.end()) {
        if (!waiting->second) return CBR_BLOCK;
        const bool taken = *waiting->second;
        session->later.erase(waiting);
        return answer(taken ? DDE_FACK : DDE_FNOTPROCESSED);
    }
    DdeServer::Answer given = DdeServer::Answer::NotProcessed;
    try {
        given = session->handler(session->numbers[conversation], readScript(*session, data));
    } catch (...) {
        given = DdeServer::Answer::NotProcessed; // nothing may unwind through DDEML
    }
    if (given == DdeServer::Answer::Later) {
        session->later[conversation] = std::nullopt;
        return CBR_BLOCK;
    }
    return answer(given == DdeServer::Answer::Taken ? DDE_FACK : DDE_FNOTPROCESSED);
}

// Gives the answer of an execute left for later and lets DDEML deliver it again, with the
// conversation's transactions that waited behind it.
void complete(Session &session, int number, bool taken)
{
    for (const auto &[conversation, n] : session.numbers) {
        if (n != number) continue;
        const auto waiting = session.later.find(conversation);
        if (waiting == session.later.end() || waiting->second) return;
        waiting->second = taken;
        DdeEnableCallback(session.instance, conversation, EC_ENABLEALL);
        return;
    }
}

HDDEDATA CALLBACK callback(UINT type, UINT, HCONV conversation, HSZ topic, HSZ service, HDDEDATA data,
                           ULONG_PTR, ULONG_PTR)
{
    switch (type) {
    case XTYP_CONNECT:
        return answer(servingFor(topic, service) ? TRUE : FALSE);
    case XTYP_CONNECT_CONFIRM:
        if (Session *session = servingFor(topic, service)) {
            conversing[conversation] = session;
            const int number = ++lastNumber;
            session->numbers[conversation] = number;
            if (session->options.conversationBegan) session->options.conversationBegan(number);
            countConversations(*session, +1);
        }
        return nullptr;
    case XTYP_DISCONNECT:
        if (Session *session = conversationOf(conversation)) {
            conversing.erase(conversation);
            const int number = session->numbers[conversation];
            session->numbers.erase(conversation);
            session->later.erase(conversation);
            if (session->options.conversationEnded) session->options.conversationEnded(number);
            countConversations(*session, -1);
        }
        return nullptr;
    case XTYP_EXECUTE:
        return onExecute(conversationOf(conversation), conversation, data);
    default:
        return nullptr;
    }
}

bool registerService(Session &session)
{
    const auto service = win::fromUtf8(session.service);
    const auto topic = win::fromUtf8(session.topic);
    if (!service || !topic) {
        session.failure = "the service or topic is not UTF-8";
        return false;
    }
    const UINT flags = APPCLASS_STANDARD | CBF_FAIL_ADVISES | CBF_FAIL_POKES | CBF_FAIL_REQUESTS |
                       CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS;
    const bool ansi = session.options.charset == DdeServer::Charset::Ansi;
    const UINT started = ansi ? DdeInitializeA(&session.instance, callback, flags, 0)
                              : DdeInitializeW(&session.instance, callback, flags, 0);
    if (started != DMLERR_NO_ERROR) {
        session.instance = 0;
        session.failure = "DdeInitialize failed with DDEML error " + std::to_string(started);
        return false;
    }
    session.serviceHandle = DdeCreateStringHandleW(session.instance, service->c_str(), CP_WINUNICODE);
    session.topicHandle = DdeCreateStringHandleW(session.instance, topic->c_str(), CP_WINUNICODE);
    if (session.serviceHandle && session.topicHandle &&
        DdeNameService(session.instance, session.serviceHandle, nullptr, DNS_REGISTER))
        return true;
    session.failure =
        "cannot register the service, DDEML error " + std::to_string(DdeGetLastError(session.instance));
    return false;
}

void release(Session &session)
{
    if (session.serviceHandle) DdeFreeStringHandle(session.instance, session.serviceHandle);
    if (session.topicHandle) DdeFreeStringHandle(session.instance, session.topicHandle);
    session.serviceHandle = session.topicHandle = nullptr;
    if (session.instance) DdeUninitialize(session.instance); // ends the conversations still open
    session.instance = 0;
    std::erase_if(conversing, [&](const auto &entry) { return entry.second == &session; });
    std::erase(serving, &session);
    session.numbers.clear();
    session.later.clear();
    session.conversations = 0;
}

void join(Session &session)
{
    WaitForSingleObject(session.thread, INFINITE);
    CloseHandle(session.thread);
    session.thread = nullptr;
}

bool openService(Session &session)
{
    serving.push_back(&session);
    const bool registered = registerService(session);
    if (!registered) release(session);
    return registered;
}

void closeService(Session &session)
{
    DdeNameService(session.instance, session.serviceHandle, nullptr, DNS_UNREGISTER);
    release(session);
}

DWORD WINAPI serve(void *parameter)
{
    Session &session = *static_cast<Session *>(parameter);
    // Make this thread's message queue before anyone may post WM_QUIT to it.
    MSG message;
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    session.registered = openService(session);
    const bool registered = session.registered;
    SetEvent(session.ready);
    if (!registered) return 1;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.hwnd == nullptr && message.message == answerMessage) {
            complete(session, static_cast<int>(message.wParam), message.lParam != 0);
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    closeService(session);
    return 0;
}

bool startThread(Session &session)
{
    session.registered = false;
    session.ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (session.ready) session.thread = CreateThread(nullptr, 0, serve, &session, 0, &session.threadId);
    if (session.thread) {
        WaitForSingleObject(session.ready, INFINITE);
        if (!session.registered) join(session);
    } else {
        session.failure = "cannot start the serving thread";
    }
    if (session.ready) CloseHandle(session.ready);
    session.ready = nullptr;
    return session.registered;
}

} // namespace

DdeServer::DdeServer(std::string service, std::string topic, Handler handler)
    : DdeServer(std::move(service), std::move(topic), std::move(handler), Options())
{
}

DdeServer::DdeServer(std::string service, std::string topic, Handler handler, Options options)
    : DdeServer(std::move(service), std::move(topic),
                ConversationHandler([handler = std::move(handler)](int, const std::string &script) {
                    return handler(script) ? Answer::Taken : Answer::NotProcessed;
                }),
                std::move(options))
{
}

DdeServer::DdeServer(std::string service, std::string topic, ConversationHandler handler, Options options)
    : session_(std::make_unique<Session>())
{
    session_->service = std::move(service);
    session_->topic = std::move(topic);
    session_->handler = std::move(handler);
    session_->options = std::move(options);
}

DdeServer::~DdeServer()
{
    stop();
}

bool DdeServer::start(std::string *error)
{
    Session &session = *session_;
    if (session.running) return true;
    session.failure.clear();
    const bool ownThread = session.options.threading == Threading::OwnThread;
    session.running = ownThread ? startThread(session) : openService(session);
    if (error) *error = session.failure;
    return session.running;
}

void DdeServer::stop()
{
    Session &session = *session_;
    if (!session.running) return;
    session.running = false;
    if (session.options.threading == Threading::CallerThread) {
        closeService(session);
        return;
    }
    PostThreadMessageW(session.threadId, WM_QUIT, 0, 0);
    join(session);
}

bool DdeServer::isRunning() const
{
    return session_->running;
}

int DdeServer::conversationCount() const
{
    return session_->conversations.load();
}

void DdeServer::answer(int conversation, bool taken)
{
    Session &session = *session_;
    if (!session.running) return;
    if (session.options.threading == Threading::OwnThread)
        PostThreadMessageW(session.threadId, answerMessage, static_cast<WPARAM>(conversation), taken ? 1 : 0);
    else
        complete(session, conversation, taken);
}

} // namespace quendra
