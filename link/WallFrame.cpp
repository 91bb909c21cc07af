#include "link/WallFrame.h"

#include "link/FrameCodec.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace quendra {

namespace {

constexpr std::string_view wallWord = " WALL ";

} // namespace

std::string idleAnswerWithWall(double degrees)
{
    char number[32];
    std::snprintf(number, sizeof number, "%.10g", degrees == 0 ? 0.0 : degrees);
    return std::string(idleAnswer) + std::string(wallWord) + number;
}

std::optional<double> wallDirectionOf(std::string_view answer)
{
    const std::string_view idle = idleAnswer;
    if (answer.substr(0, idle.size()) != idle) return std::nullopt;
    answer.remove_prefix(idle.size());
    if (answer.substr(0, wallWord.size()) != wallWord) return std::nullopt;
    answer.remove_prefix(wallWord.size());
    double degrees = 0;
    const auto [end, error] = std::from_chars(answer.data(), answer.data() + answer.size(), degrees);
    if (error != std::errc() || end != answer.data() + answer.size() || !std::isfinite(degrees))
        return std::nullopt;
    return degrees;
}

} // namespace quendra
