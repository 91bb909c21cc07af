#include "link/HostPlace.h"

#include <charconv>

namespace quendra {

namespace {

constexpr std::string_view placePrefix = "OK PLACE";

bool readInt(std::string_view &rest, int &value)
{
    if (rest.empty() || rest.front() != ' ') return false;
    rest.remove_prefix(1);
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
    if (error != std::errc() || end == rest.data()) return false;
    rest.remove_prefix(static_cast<std::size_t>(end - rest.data()));
    return true;
}

bool readRect(std::string_view &rest, ScreenRect &r)
{
    return readInt(rest, r.left) && readInt(rest, r.top) && readInt(rest, r.width) &&
           readInt(rest, r.height) && r.width > 0 && r.height > 0;
}

void appendRect(std::string &out, const ScreenRect &r)
{
    for (const int v : {r.left, r.top, r.width, r.height})
        out += ' ' + std::to_string(v);
}

} // namespace

std::string encodePlaceAnswer(const HostPlace &place)
{
    std::string out(placePrefix);
    appendRect(out, place.window);
    appendRect(out, place.drawing);
    return out;
}

std::optional<HostPlace> decodePlaceAnswer(std::string_view answer)
{
    if (answer.substr(0, placePrefix.size()) != placePrefix) return std::nullopt;
    answer.remove_prefix(placePrefix.size());
    HostPlace place;
    if (!readRect(answer, place.window) || !readRect(answer, place.drawing) || !answer.empty())
        return std::nullopt;
    return place;
}

} // namespace quendra
