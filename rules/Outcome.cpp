#include "rules/Outcome.h"

namespace quendra {

Outcome &Outcome::say(Message m)
{
    events.push_back({Event::Kind::Message, std::move(m), {}});
    return *this;
}

Outcome &Outcome::send(const Script &s)
{
    finite = finite && s.finite;
    return send(s.text);
}

Outcome &Outcome::send(std::string text)
{
    events.push_back({Event::Kind::Execute, {}, std::move(text)});
    return *this;
}

bool Outcome::sends() const
{
    for (const Event &e : events)
        if (e.kind == Event::Kind::Execute) return true;
    return false;
}

std::vector<std::string> Outcome::scripts() const
{
    std::vector<std::string> out;
    for (const Event &e : events)
        if (e.kind == Event::Kind::Execute) out.push_back(e.script);
    return out;
}

Outcome rejected(std::string message)
{
    Outcome o;
    o.say(std::move(message));
    return o;
}

} // namespace quendra
