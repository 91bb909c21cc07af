// Serves "AutoCAD LT.DDE" / "System" with DdeServer and writes each executed string to a log
// that the tests read back: "<conversations> <taken> <bytes>\n<script>\n" per execute.
//   dde_test_server.exe TAG LOG ansi|unicode thread|caller|host
// "host" serves as quendra-host does on Windows (DdeCommandServer on this thread), also the
// second service and topic of testserver::second, taking scripts into a queue that holds
// testserver::hostQueueBytes; what it refuses is logged as "not taken" with the history's line,
// as is a conversation that ends ("ended N", "cancel" after it when what it left is cancelled). A
// save is answered once the test sets "release" (testserver::failingSave as failed).
// Signals the event "ready" once registered; "stop" ends it in order, "crash" ends the process
// on the spot as a crashing host would.
#include "host/session/DdeCommandServer.h"
#include "link/CadLink.h"
#include "link/FrameCodec.h"
#include "link/dde/DdeServer.h"
#include "tests/windows/TestServerProtocol.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

using host::DdeCommandServer;
using namespace quendra;

namespace {

HANDLE event(const std::wstring &tag, const wchar_t *what)
{
    return CreateEventW(nullptr, TRUE, FALSE, testserver::eventName(tag, what).c_str());
}

void record(const std::filesystem::path &log, int conversations, bool taken, const std::string &script)
{
    std::ofstream out(log, std::ios::binary | std::ios::app);
    out << conversations << ' ' << (taken ? 1 : 0) << ' ' << script.size() << '\n' << script << '\n';
}

// Waits for "stop" (0) or "crash" (1); a server on this thread needs its messages dispatched
// meanwhile. With `released`, also calls it each time "release" is set (and resets it).
DWORD waitServing(const HANDLE (&ends)[2], bool dispatch, HANDLE release = nullptr,
                  const std::function<void()> &released = {})
{
    if (!dispatch) return WaitForMultipleObjects(2, ends, FALSE, INFINITE) - WAIT_OBJECT_0;
    const HANDLE waits[3] = {ends[0], ends[1], release};
    const DWORD count = released ? 3 : 2;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        // MWMO_INPUTAVAILABLE: also wake for messages that were already there before this wait.
        const DWORD woken =
            MsgWaitForMultipleObjectsEx(count, waits, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woken < WAIT_OBJECT_0 + 2) return woken - WAIT_OBJECT_0;
        if (released && woken == WAIT_OBJECT_0 + 2) {
            ResetEvent(release);
            released();
        }
    }
}

// quendra-host's DDE side with a queue that is never served, as a host busy with a pick; a save
// runs when the test sets "release".
int serveAsHost(const std::filesystem::path &log, HANDLE ready, HANDLE release, const HANDLE (&ends)[2])
{
    std::size_t queued = 0;
    int numbers = 0;
    int saving = 0; // the conversation whose save waits, and its script
    std::string save;
    DdeCommandServer *self = nullptr;
    DdeCommandServer::Sink sink;
    sink.begin = [&] { return ++numbers; };
    sink.end = [&](int conversation, bool cancel) {
        record(log, self->conversations(), false,
               "ended " + std::to_string(conversation) + (cancel ? " cancel" : ""));
    };
    sink.admit = [&](const std::string &script, std::string *reason) {
        if (queued + script.size() > testserver::hostQueueBytes) {
            *reason = "queue full";
            return DdeCommandServer::Answer::Refused;
        }
        return savesDrawing(script) ? DdeCommandServer::Answer::AfterSave : DdeCommandServer::Answer::Now;
    };
    sink.queue = [&](int conversation, std::string script) {
        queued += script.size();
        record(log, self->conversations(), true, script);
        if (savesDrawing(script)) {
            saving = conversation;
            save = script;
        }
    };
    sink.note = [&](const std::string &line) { record(log, self->conversations(), false, line); };
    DdeCommandServer server(sink);
    self = &server;
    for (const auto &[service, topic] : {std::pair{cadService, cadTopic}, testserver::second}) {
        std::string error;
        if (!server.listen(service, topic, &error)) {
            std::fprintf(stderr, "dde_test_server: %s\n", error.c_str());
            return 1;
        }
    }
    SetEvent(ready);
    const auto saved = [&] {
        if (saving == 0) return;
        server.saveAnswered(saving, save == testserver::failingSave ? testserver::saveFailure : "");
        saving = 0;
    };
    if (waitServing(ends, true, release, saved) == 1) TerminateProcess(GetCurrentProcess(), 3);
    server.close();
    return 0;
}

} // namespace

int main()
{
    int count = 0;
    wchar_t **arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments || count != 5) return 2;
    const std::wstring tag = arguments[1];
    const std::filesystem::path log = arguments[2];
    DdeServer::Options options;
    if (std::wstring(arguments[3]) == L"unicode") options.charset = DdeServer::Charset::Unicode;
    if (std::wstring(arguments[4]) == L"caller") options.threading = DdeServer::Threading::CallerThread;
    const bool host = std::wstring(arguments[4]) == L"host";
    LocalFree(arguments);

    const HANDLE ready = event(tag, L"ready");
    const HANDLE release = event(tag, L"release");
    const HANDLE ends[2] = {event(tag, L"stop"), event(tag, L"crash")};
    if (host) return serveAsHost(log, ready, release, ends);

    DdeServer *self = nullptr;
    DdeServer server(
        cadService, cadTopic,
        [&](const std::string &script) {
            if (script == testserver::holdScript) WaitForSingleObject(release, 60000);
            const bool taken = script != testserver::refuseScript;
            record(log, self->conversationCount(), taken, script);
            return taken;
        },
        options);
    self = &server;
    std::string error;
    if (!server.start(&error)) {
        std::fprintf(stderr, "dde_test_server: %s\n", error.c_str());
        return 1;
    }
    SetEvent(ready);
    if (waitServing(ends, options.threading == DdeServer::Threading::CallerThread) == 1)
        TerminateProcess(GetCurrentProcess(), 3);
    server.stop();
    return 0;
}
