// Serves "AutoCAD LT.DDE" / "System" with DdeServer and writes each executed string to a log
// that the tests read back: "<conversations> <taken> <bytes>\n<script>\n" per execute.
//   dde_test_server.exe TAG LOG ansi|unicode
// Signals the event "ready" once registered; "stop" ends it in order, "crash" ends the process
// on the spot as a crashing host would.
#include "CadLink.h"
#include "DdeServer.h"
#include "TestServerProtocol.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

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

} // namespace

int main()
{
    int count = 0;
    wchar_t **arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments || count != 4) return 2;
    const std::wstring tag = arguments[1];
    const std::filesystem::path log = arguments[2];
    const auto charset =
        std::wstring(arguments[3]) == L"unicode" ? DdeServer::Charset::Unicode : DdeServer::Charset::Ansi;
    LocalFree(arguments);

    const HANDLE ready = event(tag, L"ready");
    const HANDLE release = event(tag, L"release");
    const HANDLE ends[2] = {event(tag, L"stop"), event(tag, L"crash")};

    DdeServer *self = nullptr;
    DdeServer server(
        cadService, cadTopic,
        [&](const std::string &script) {
            if (script == testserver::holdScript) WaitForSingleObject(release, 60000);
            const bool taken = script != testserver::refuseScript;
            record(log, self->conversationCount(), taken, script);
            return taken;
        },
        charset);
    self = &server;
    std::string error;
    if (!server.start(&error)) {
        std::fprintf(stderr, "dde_test_server: %s\n", error.c_str());
        return 1;
    }
    SetEvent(ready);
    if (WaitForMultipleObjects(2, ends, FALSE, INFINITE) == WAIT_OBJECT_0 + 1)
        TerminateProcess(GetCurrentProcess(), 3);
    server.stop();
    return 0;
}
