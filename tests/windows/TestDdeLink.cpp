// The DDE conversation under Wine: a CadLink over the DDE transport against dde_test_server.exe,
// which serves "AutoCAD LT.DDE" / "System" from another process.
//   test_dde_link.exe order|nohost|reconnect|text|answers|forms|caller|host|restart
#include "host/session/DdeCommandServer.h"
#include "link/CadLink.h"
#include "link/dde/DdeTransport.h"
#include "rules/ButtonPress.h"
#include "symbols/Forms.h"
#include "symbols/detail50/Detail50Forms.h"
#include "symbols/elements/ElementForms.h"
#include "symbols/elevation/ElevationForms.h"
#include "symbols/plan100/Plan100Forms.h"
#include "tests/windows/Checks.h"
#include "tests/windows/TestServerProcess.h"

#include <map>
#include <optional>
#include <thread>

using host::DdeCommandServer;
using namespace quendra;
using namespace std::chrono_literals;

namespace {

std::unique_ptr<CadLink> ddeLink(std::chrono::milliseconds timeout = 5s)
{
    return std::make_unique<CadLink>(makeDdeTransport(timeout));
}

std::string errorName(LinkError e)
{
    switch (e) {
    case LinkError::None:
        return "None";
    case LinkError::NoHost:
        return "NoHost";
    case LinkError::HostGone:
        return "HostGone";
    case LinkError::Refused:
        return "Refused";
    case LinkError::Timeout:
        return "Timeout";
    }
    return "?";
}

void expectError(Checks &checks, LinkError actual, LinkError expected, const std::string &what)
{
    checks.equal(errorName(actual), errorName(expected), what);
}

void expectScripts(Checks &checks, const std::vector<std::string> &actual,
                   const std::vector<std::string> &expected, const std::string &what)
{
    if (!checks.check(actual.size() == expected.size(),
                      what + ": " + std::to_string(expected.size()) + " scripts")) {
        std::printf("     got %zu\n", actual.size());
        return;
    }
    for (size_t i = 0; i < expected.size(); ++i)
        checks.equal(actual[i], expected[i], what + ": script " + std::to_string(i + 1));
}

// A script as long as the editor's largest file: one LINE with many points.
std::string bigScript()
{
    std::string script = "LINE ";
    while (script.size() < 64 * 1024)
        script += "@100,0 ";
    return script + "\r";
}

const std::string japanese = "DTEXT j m @0,0 350 0 和室（６畳）・押入ｱｲｳ①\r\r";

void order(Checks &checks)
{
    TestServerProcess server;
    if (!checks.check(server.start(), "the test server serves")) return;
    auto link = ddeLink();
    expectError(checks, link->open(cadService, cadTopic), LinkError::None, "open");
    expectError(checks, link->open(cadService, cadTopic), LinkError::None, "open again");
    const std::vector<std::string> sent = {"ID\r", "LINE @0,50 @600,0   \r", japanese, bigScript(), "EXIT "};
    for (const std::string &script : sent)
        expectError(checks, link->execute(script), LinkError::None,
                    "execute " + std::to_string(script.size()) + " bytes");
    expectScripts(checks, server.scripts(sent.size()), sent, "received in order and whole");
    for (const auto &r : server.received())
        checks.check(r.conversations == 1 && r.taken, "opening twice leaves one conversation");

    auto second = ddeLink();
    expectError(checks, second->open(cadService, cadTopic), LinkError::None, "a second form opens its own");
    expectError(checks, second->execute("second\r"), LinkError::None, "the second form sends");
    expectError(checks, link->execute("first\r"), LinkError::None, "the first form still sends");
    const auto all = server.received();
    checks.check(all.size() == sent.size() + 2 && all[sent.size()].conversations == 2,
                 "two forms, two conversations");
    expectScripts(
        checks, server.scripts(),
        [&] {
            auto expected = sent;
            expected.insert(expected.end(), {"second\r", "first\r"});
            return expected;
        }(),
        "both conversations in one queue");
}

// A server that runs on its owner's thread and message loop, as a Qt host would run it.
void callerThread(Checks &checks)
{
    TestServerProcess server(TestServerProcess::Mode::CallerThread);
    if (!checks.check(server.start(), "a server on its owner's thread serves")) return;
    auto link = ddeLink();
    expectError(checks, link->open(cadService, cadTopic), LinkError::None, "open");
    const std::vector<std::string> sent = {"ID\r", japanese, bigScript()};
    for (const std::string &script : sent)
        expectError(checks, link->execute(script), LinkError::None,
                    "execute " + std::to_string(script.size()) + " bytes");
    expectError(checks, link->execute(testserver::refuseScript), LinkError::Refused,
                "its refusal is reported");
    auto expected = sent;
    expected.push_back(testserver::refuseScript);
    expectScripts(checks, server.scripts(expected.size()), expected, "received in order and whole");
    server.stop();
    expectError(checks, link->execute("ID\r"), LinkError::NoHost, "stopped, it is gone");
}

// quendra-host's DDE side, as the host registers it on Windows: the assistant's forms reach it,
// two services on one thread, its queue limit, and a second host refused while the first serves.
void hostServer(Checks &checks)
{
    TestServerProcess server(TestServerProcess::Mode::Host);
    if (!checks.check(server.start(), "the host serves by DDE")) return;

    DdeCommandServer rival(DdeCommandServer::Sink{});
    std::string error;
    checks.check(!rival.listen(cadService, cadTopic, &error), "a second host is refused");
    checks.equal(error, "「AutoCAD LT.DDE|System」は既に別のプログラムが DDE で受け付けています。",
                 "and told why");

    const FormDefinition &fix = *findForm("fix100");
    const FormState state = fix.initialState();
    std::vector<std::string> sent;
    for (const auto &button : fix.buttons)
        if (button.role == Button::Role::BasePoint || button.role == Button::Role::Draw)
            for (const std::string &script : press(fix, state, button.name).outcome.scripts())
                sent.push_back(script);
    sent.push_back(japanese);
    auto link = ddeLink();
    expectError(checks, link->open(cadService, cadTopic), LinkError::None, "the assistant opens");
    for (const std::string &script : sent)
        expectError(checks, link->execute(script), LinkError::None, "taken: " + script.substr(0, 12));

    auto second = ddeLink();
    expectError(checks, second->open(testserver::second.first, testserver::second.second), LinkError::None,
                "the second service and topic on the same thread");
    expectError(checks, second->execute("ZOOM E\r"), LinkError::None, "takes its script");
    sent.push_back("ZOOM E\r");
    // What the server took, past the records of conversations that ended (the rival's probe).
    std::vector<std::string> received;
    for (int i = 0; i < 200 && received.size() < sent.size(); ++i, Sleep(50)) {
        received.clear();
        for (const auto &r : server.received())
            if (r.taken) received.push_back(r.script);
    }
    expectScripts(checks, received, sent, "in order, whole, CP932 text and all");
    const auto all = server.received();
    checks.check(!all.empty() && all.back().conversations == 2, "two conversations open");

    // A save is acknowledged once it has run, "not processed" when it failed, the reason in the
    // history; the conversation waits meanwhile. The server runs it when told (release), once it
    // has received it.
    const auto saveRuns = [&](const std::string &script) {
        return std::thread([&server, script] {
            for (int i = 0; i < 600; ++i) {
                const auto all = server.received();
                if (!all.empty() && all.back().script == script) break;
                Sleep(50);
            }
            Sleep(300);
            server.release();
        });
    };
    std::thread running = saveRuns("SAVE\r");
    const ULONGLONG asked = GetTickCount64();
    expectError(checks, link->execute("SAVE\r"), LinkError::None, "a save is acknowledged");
    checks.check(GetTickCount64() - asked >= 300, "once it has run");
    running.join();
    running = saveRuns(testserver::failingSave);
    expectError(checks, link->execute(testserver::failingSave), LinkError::Refused,
                "a failed save is not processed");
    running.join();
    const auto saves = server.received();
    checks.check(!saves.empty() && !saves.back().taken &&
                     saves.back().script ==
                         std::string("DDE で頼まれた保存ができませんでした: ") + testserver::saveFailure,
                 "and why is in the history");
    expectError(checks, link->execute("ID\r"), LinkError::None, "the conversation goes on");

    // A conversation that ends: what it left unfinished is cancelled.
    {
        auto leaving = ddeLink();
        expectError(checks, leaving->open(cadService, cadTopic), LinkError::None, "a third conversation");
        expectError(checks, leaving->execute("LINE 0,0 1,1 2,\r"), LinkError::None, "leaves a line open");
    }
    bool cancelled = false;
    for (int i = 0; i < 200 && !cancelled; ++i, Sleep(50))
        for (const auto &r : server.received())
            cancelled = cancelled || (r.script.rfind("ended ", 0) == 0 && r.script.ends_with(" cancel"));
    checks.check(cancelled, "its end cancels what it left");

    // The queue holds 200 KB; each script here is 64 KB.
    LinkError last = LinkError::None;
    int taken = 0;
    while (taken < 10 && (last = link->execute(bigScript())) == LinkError::None)
        ++taken;
    expectError(checks, last, LinkError::Refused, "a full queue refuses");
    checks.check(taken == 3, "after " + std::to_string(taken) + " large scripts");
    const auto notes = server.received();
    checks.check(!notes.empty() && !notes.back().taken &&
                     notes.back().script == "DDE の実行を受け付けませんでした: queue full",
                 "the refusal is noted in the history");
    checks.check(link->isOpen(), "and the conversation stays");

    server.stop();
    expectError(checks, link->execute("ID\r"), LinkError::NoHost, "the host has ended");
    DdeCommandServer next(DdeCommandServer::Sink{});
    checks.check(next.listen(cadService, cadTopic, &error), "its service is free again: " + error);
    next.close();
}

void noHost(Checks &checks)
{
    auto transport = makeDdeTransport(2s);
    expectError(checks, transport->open(cadService, cadTopic), LinkError::NoHost, "open with no server");
    checks.check(!transport->isOpen(), "not open");
    expectError(checks, transport->execute("ID\r"), LinkError::HostGone, "execute on no conversation");
    auto link = ddeLink();
    expectError(checks, link->open(cadService, cadTopic), LinkError::NoHost, "a form's link with no server");
    expectError(checks, link->execute("ID\r"), LinkError::NoHost, "a form's execute tries again and says so");
    expectError(checks, link->open("No Such Service", cadTopic), LinkError::NoHost, "unknown service");
}

void reconnect(Checks &checks)
{
    auto link = ddeLink();
    {
        TestServerProcess first;
        checks.check(first.start(), "first server");
        expectError(checks, link->open(cadService, cadTopic), LinkError::None, "open");
        expectError(checks, link->execute("before\r"), LinkError::None, "execute");
        first.stop();
        checks.check(!link->isOpen(), "the link sees the host leave");
        expectError(checks, link->execute("while away\r"), LinkError::NoHost, "execute while no host runs");
        expectScripts(checks, first.scripts(), {"before\r"}, "nothing sent while away");
    }
    TestServerProcess second;
    checks.check(second.start(), "the host comes back");
    expectError(checks, link->execute("after restart\r"), LinkError::None, "the link opens again by itself");
    expectScripts(checks, second.scripts(1), {"after restart\r"}, "the new host receives it");

    second.crash();
    checks.check(!link->isOpen(), "a crashed host leaves no open link");
    expectError(checks, link->execute("after crash\r"), LinkError::NoHost, "execute after the crash");

    TestServerProcess third;
    checks.check(third.start(), "the host starts once more");
    auto transport = makeDdeTransport(5s);
    expectError(checks, transport->open(cadService, cadTopic), LinkError::None, "a bare transport opens");
    third.crash();
    expectError(checks, transport->execute("gone\r"), LinkError::HostGone, "the bare transport: host gone");
    checks.check(!transport->isOpen(), "and it is closed");
    checks.check(third.start(), "restarted");
    expectError(checks, transport->open(cadService, cadTopic), LinkError::None, "opens after the restart");
    expectError(checks, transport->execute("again\r"), LinkError::None, "and sends");
}

// What the assistant's event loop does between presses: DDEML's client then takes the host's
// goodbye when it ends, which leaves the conversation ended but still held by DDEML.
void pumpMessages(DWORD milliseconds)
{
    const ULONGLONG until = GetTickCount64() + milliseconds;
    do {
        dispatchMessages();
        Sleep(10);
    } while (GetTickCount64() < until);
}

// quendra-host closed and started again, twice, while a dialog's link waits between presses on
// the assistant's event loop: a press while it is away says so, the next one after it is back
// opens a new conversation. A host back before the press is reached at once.
void hostRestarted(Checks &checks)
{
    auto dialog = ddeLink();
    std::optional<TestServerProcess> host;
    host.emplace(TestServerProcess::Mode::Host);
    checks.check(host->start(), "quendra-host serves");
    expectError(checks, dialog->open(cadService, cadTopic), LinkError::None, "the dialog opens");
    expectError(checks, dialog->execute("ID\r"), LinkError::None, "and sends");
    const auto reached = [&](const std::string &script) {
        for (int i = 0; i < 100; ++i, Sleep(50))
            for (const auto &r : host->received())
                if (r.taken && r.script == script) return true;
        return false;
    };
    for (const std::string round : {"1", "2"}) {
        host->stop();
        pumpMessages(500);
        checks.check(!dialog->isOpen(), "round " + round + ": the link sees the host leave");
        expectError(checks, dialog->execute("ID\r"), LinkError::NoHost,
                    "round " + round + ": a press while it is away gets the message");
        pumpMessages(200);
        host.emplace(TestServerProcess::Mode::Host);
        checks.check(host->start(), "round " + round + ": quendra-host started again");
        pumpMessages(300);
        const std::string script = "LINE 0,0 " + round + "00,0 \r";
        expectError(checks, dialog->execute(script), LinkError::None,
                    "round " + round + ": the next press opens a new conversation");
        checks.check(reached(script), "round " + round + ": the new host takes it");
    }
    host->stop();
    pumpMessages(500);
    host.emplace(TestServerProcess::Mode::Host);
    checks.check(host->start(), "started again before any press");
    pumpMessages(300);
    expectError(checks, dialog->execute("ZOOM E\r"), LinkError::None, "the press reaches it");
    checks.check(reached("ZOOM E\r"), "and it takes the script");
}

void text(Checks &checks)
{
    if (!checks.check(GetACP() == 932, "the ANSI code page is CP932 (LANG=ja_JP.UTF-8)")) return;
    TestServerProcess ansi;
    checks.check(ansi.start(), "ANSI server");
    auto link = ddeLink();
    expectError(checks, link->open(cadService, cadTopic), LinkError::None, "open");
    const std::vector<std::string> carried = {japanese, "DTEXT j m @0,0 350 0 ＋1000±５\r\r", "ﾃﾞｰﾀ～〒\r"};
    for (const std::string &s : carried)
        expectError(checks, link->execute(s), LinkError::None, "CP932 text is sent");
    expectError(checks, link->execute("DTEXT j m @0,0 350 0 café\r\r"), LinkError::Refused,
                "a character outside CP932 is refused, not turned into '?'");
    expectError(checks, link->execute("LINE \xff\xfe\r"), LinkError::Refused,
                "bytes that are not UTF-8 are refused");
    expectError(checks, link->execute(std::string("LINE \0@0,0 \r", 12)), LinkError::Refused,
                "a NUL, which would cut the script short, is refused");
    expectError(checks, link->execute("ID\r"), LinkError::None, "the conversation carries on");
    auto expected = carried;
    expected.push_back("ID\r");
    expectScripts(checks, ansi.scripts(expected.size()), expected,
                  "the ANSI server got the CP932 text back whole");
    ansi.stop();

    TestServerProcess unicode(TestServerProcess::Mode::Unicode);
    checks.check(unicode.start(), "Unicode server");
    expectError(checks, link->execute("DTEXT j m @0,0 350 0 café\r\r"), LinkError::None,
                "a Unicode server takes what CP932 cannot carry");
    expectScripts(checks, unicode.scripts(1), {"DTEXT j m @0,0 350 0 café\r\r"}, "and receives it as sent");
}

void answers(Checks &checks)
{
    TestServerProcess server;
    checks.check(server.start(), "server");
    auto link = ddeLink(1500ms);
    expectError(checks, link->open(cadService, cadTopic), LinkError::None, "open");
    expectError(checks, link->execute(testserver::refuseScript), LinkError::Refused, "a refusal is reported");
    checks.check(link->isOpen(), "a refusal keeps the conversation");
    expectError(checks, link->execute(testserver::holdScript), LinkError::Timeout,
                "a host that does not answer");
    server.release();
    expectError(checks, link->execute("after\r"), LinkError::None,
                "the conversation works once the host answers");
    expectScripts(checks, server.scripts(3), {testserver::refuseScript, testserver::holdScript, "after\r"},
                  "everything reached the host in order");
}

// Every form's base-point and draw buttons with their defaults, built for Windows and sent by DDE.
void forms(Checks &checks)
{
    TestServerProcess server;
    checks.check(server.start(), "server");
    auto link = ddeLink();
    expectError(checks, link->open(cadService, cadTopic), LinkError::None, "open");
    std::vector<const FormDefinition *> all;
    for (const auto &registry : {plan100Forms(), detail50Forms(), elevationForms(), elementForms()})
        all.insert(all.end(), registry.begin(), registry.end());
    std::vector<std::string> sent;
    int failures = 0;
    for (const FormDefinition *form : all) {
        const FormState state = form->initialState();
        for (const auto &button : form->buttons) {
            if (button.role != Button::Role::BasePoint && button.role != Button::Role::Draw) continue;
            for (const std::string &script : press(*form, state, button.name).outcome.scripts()) {
                failures += link->execute(script) != LinkError::None;
                sent.push_back(script);
            }
        }
    }
    checks.check(all.size() >= 20, std::to_string(all.size()) + " forms");
    checks.check(failures == 0, std::to_string(sent.size()) + " scripts executed");
    expectScripts(checks, server.scripts(sent.size()), sent, "the host received every form's scripts");
}

} // namespace

int main(int argc, char **argv)
{
    using Case = void (*)(Checks &);
    const std::map<std::string, Case> cases = {
        {"order", &order},         {"nohost", &noHost},   {"reconnect", &reconnect},
        {"text", &text},           {"answers", &answers}, {"forms", &forms},
        {"caller", &callerThread}, {"host", &hostServer}, {"restart", &hostRestarted},
    };
    Checks checks;
    const auto found = argc == 2 ? cases.find(argv[1]) : cases.end();
    if (found == cases.end()) {
        std::printf("usage: test_dde_link order|nohost|reconnect|text|answers|forms|caller|host|restart\n");
        return 2;
    }
    found->second(checks);
    return checks.finish();
}
