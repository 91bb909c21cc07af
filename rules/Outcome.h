#pragma once

#include "rules/Steps.h"

#include <string>
#include <vector>

namespace quendra {

enum class Icon { None, Exclamation, Question };

// The title of a message box shown without one of its own.
inline constexpr const char *applicationTitle = "Quendra_LT for Windows95";
// The text of the box shown on every path that ends the program.
inline constexpr const char *endMessage = "プログラムを終了します。";

// A message box as the form shows it. The default is the system's input-error box.
struct Message
{
    std::string text;
    Icon icon = Icon::Exclamation;
    std::string title = "Quendra_LT";
};

// What one button press does, in order: messages to show and scripts to send.
struct Event
{
    enum class Kind { Message, Execute };
    Kind kind = Kind::Message;
    Message message;
    std::string script;
};

struct Outcome
{
    std::vector<Event> events;
    // False when a value on the way to a script was not finite; such an outcome never sends.
    bool finite = true;

    Outcome &say(Message m);
    Outcome &say(std::string text) { return say(Message{std::move(text)}); }
    Outcome &send(const Script &s);
    Outcome &send(std::string text);

    bool sends() const;
    std::vector<std::string> scripts() const;
};

// Input that the draw button rejects: the message, nothing sent, the dialog left as it was.
Outcome rejected(std::string message);

} // namespace quendra
