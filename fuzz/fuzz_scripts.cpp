// Scripts that start scripts, several conversations feeding one queue and ending halfway,
// Escapes at any moment: the interpreter is driven as the host drives it, with the script files
// held in memory. It must neither crash nor hang, must have taken every queued character once
// nothing holds it, and must still draw a plain LINE afterwards.
//
// The input is a list of records separated by NUL bytes; the first byte of a record says what
// happens and the rest is its text:
//   % 8 == 0  conversation (byte / 8 % 4) sends the text
//   % 8 == 1  the user types the text
//   % 8 == 2  conversation (byte / 8 % 4) ends: an Escape follows its input if it fed last
//   % 8 == 3  Escape: the running script stops, the running command ends
//   % 8 == 4  the program gets back to its events: a slice of the running script is taken
//   % 8 == 5  a script file: its name up to the first blank, then its contents
//   % 8 == 6  a point is picked or a colour chosen at the held prompt, with no script running
//   % 8 == 7  undo as the menu does it

#include "cad/command/Interpreter.h"
#include "cad/model/Describe.h"
#include "fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace {

constexpr std::size_t slice = 16;
constexpr int maxSlices = 64;

struct Host
{
    cad::Drawing drawing;
    cad::Interpreter interpreter{drawing};
    std::map<std::string, std::string, std::less<>> files;
    std::uint64_t fed = 0;
    int lastFed = -1;
    int slices = 0;

    void feed(std::string_view chars, int conversation)
    {
        fed += chars.size();
        lastFed = conversation;
        interpreter.feed(chars);
        settle();
    }

    // What the host's session does with requests: SCRIPT runs a file (replacing a running one),
    // a file it does not have is a message; the others are done at once.
    void settle()
    {
        for (int round = 0; round < 4096; ++round) {
            const auto request = interpreter.takeRequest();
            if (!request) return;
            if (request->kind == cad::Request::Kind::Script) {
                const auto file = files.find(request->argument);
                if (file != files.end())
                    interpreter.runScript(file->second);
                else
                    interpreter.note("スクリプト ファイルを開けません");
            }
            interpreter.resume();
        }
        fuzz::fail("requests without end");
    }

    // Answers a held prompt; false when nothing holds the input.
    bool answer(int round)
    {
        if (interpreter.waitingForPick())
            interpreter.pick({double(round % 100), -2.5});
        else if (interpreter.waitingForColor())
            interpreter.chooseColor(round % 257);
        else
            return false;
        settle();
        return true;
    }

    void step()
    {
        if (slices >= maxSlices) return;
        ++slices;
        interpreter.stepScript(slice);
        settle();
    }
};

void apply(Host &host, std::string_view record)
{
    if (record.empty()) return;
    const auto op = static_cast<unsigned char>(record[0]);
    const std::string_view text = record.substr(1);
    const int conversation = op / 8 % 4;
    switch (op % 8) {
    case 0:
        host.feed(text, conversation);
        break;
    case 1:
        host.interpreter.type(text);
        host.settle();
        break;
    case 2:
        if (host.lastFed == conversation) host.feed("\x1b", -1);
        break;
    case 3:
        host.interpreter.stopScript();
        host.interpreter.cancel();
        host.settle();
        break;
    case 4:
        host.step();
        break;
    case 5: {
        const std::size_t blank = text.find(' ');
        const std::string_view name = text.substr(0, blank);
        host.files[std::string(name)] =
            std::string(blank == std::string_view::npos ? "" : text.substr(blank + 1));
        break;
    }
    case 6:
        if (!host.interpreter.scriptRunning()) host.answer(static_cast<int>(text.size()));
        break;
    case 7:
        host.interpreter.cancel();
        host.interpreter.type("_U\n");
        host.settle();
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    Host host;
    std::size_t start = 0;
    while (start <= input.size()) {
        std::size_t end = input.find('\0', start);
        if (end == std::string_view::npos) end = input.size();
        apply(host, input.substr(start, end - start));
        start = end + 1;
    }

    // The program gets back to its events until the scripts have run; one that never ends (it
    // calls itself) is stopped by Escape, as the user would.
    const int rounds = static_cast<int>(size) + 64; // each answer takes a character at least
    for (int round = 0; round < rounds; ++round) {
        if (host.answer(round)) continue;
        if (!host.interpreter.scriptReady() || host.slices >= maxSlices) break;
        host.step();
    }
    // Input queued behind a stopped script may start another (SCRIPT typed after it): each is
    // stopped in turn, and held prompts answered, until nothing runs or holds.
    for (int round = 0; round < rounds; ++round) {
        const bool stopped = host.interpreter.stopScript();
        host.settle();
        if (!stopped && !host.answer(round)) break;
    }
    fuzz::require(host.interpreter.queued() == 0, "input left behind although nothing holds it");
    fuzz::require(host.interpreter.taken() == host.fed, "queued input taken not exactly once");

    host.feed("\x1b"
              "LINE 0,0 1,0 \r",
              -1);
    const auto &entities = host.drawing.entities();
    fuzz::require(!entities.empty() && cad::describe(entities.back()).rfind("L 0,0 1,0", 0) == 0,
                  "a plain LINE is not drawn afterwards");
    return 0;
}
