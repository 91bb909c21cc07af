#include "cad/model/InputReading.h"

#include "cad/model/Angle.h"

#include <charconv>
#include <cmath>
#include <string>

namespace cad {

bool isSane(double v)
{
    return std::isfinite(v) && std::fabs(v) <= coordinateLimit;
}

bool isSane(Point p)
{
    return isSane(p.x) && isSane(p.y);
}

std::optional<double> readNumber(std::string_view text)
{
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty() || text.front() == '+') return std::nullopt;
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    // from_chars also takes "inf" and "nan", which are not numbers a user means.
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

namespace {

std::optional<Point> readPair(std::string_view text)
{
    const auto comma = text.find(',');
    if (comma == std::string_view::npos) return std::nullopt;
    std::string_view rest = text.substr(comma + 1);
    const auto x = readNumber(text.substr(0, comma));
    if (const auto second = rest.find(','); second != std::string_view::npos) {
        if (!readNumber(rest.substr(second + 1))) return std::nullopt;
        rest = rest.substr(0, second);
    }
    const auto y = readNumber(rest);
    if (!x || !y) return std::nullopt;
    return Point{*x, *y};
}

std::optional<Point> readPolar(std::string_view text)
{
    const auto lt = text.find('<');
    if (lt == std::string_view::npos) return std::nullopt;
    const auto d = readNumber(text.substr(0, lt));
    const auto a = readNumber(text.substr(lt + 1));
    if (!d || !a) return std::nullopt;
    const double r = radians(*a);
    return Point{*d * std::cos(r), *d * std::sin(r)};
}

} // namespace

std::optional<Point> readPoint(std::string_view text, Point last)
{
    bool relative = false;
    if (!text.empty() && text.front() == '@') {
        relative = true;
        text.remove_prefix(1);
        if (text.empty()) return last;
    }
    const auto mark = text.find_first_of(",<");
    if (mark == std::string_view::npos) return std::nullopt;
    auto p = text[mark] == '<' ? readPolar(text) : readPair(text);
    if (!p) return std::nullopt;
    if (relative) p = Point{last.x + p->x, last.y + p->y};
    if (!isSane(*p)) return std::nullopt;
    return p;
}

} // namespace cad
