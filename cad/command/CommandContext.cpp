#include "cad/command/CommandContext.h"

#include "cad/model/Geometry.h"
#include "cad/model/InputReading.h"
#include "cad/model/Names.h"
#include "cad/model/Selection.h"

#include <cstdio>

namespace cad {

std::optional<Point> CommandContext::pointFrom(const Input &in, Point base) const
{
    if (in.picked) return isSane(*in.picked) ? in.picked : std::nullopt;
    return readPoint(in.text, base);
}

std::optional<Point> CommandContext::wantPointFrom(const Input &in, Point base)
{
    const auto p = pointFrom(in, base);
    if (!p) message(messages::pointNeeded);
    return p;
}

std::optional<std::size_t> CommandContext::wantEntity(const Input &in, Point *at)
{
    const auto p = wantPoint(in);
    if (!p) return std::nullopt;
    if (at) *at = *p;
    const auto hit = pickEntity(drawing(), *p, pickTolerance);
    if (!hit) message("オブジェクトが見つかりません。");
    return hit;
}

std::optional<double> CommandContext::distance(const Input &in, Point from) const
{
    if (!in.picked)
        if (const auto v = readNumber(in.text)) return isSane(*v) ? v : std::nullopt;
    if (const auto p = pointFrom(in, from)) return cad::distance(from, *p);
    return std::nullopt;
}

std::optional<double> CommandContext::angle(const Input &in, Point from) const
{
    if (!in.picked)
        if (const auto v = readNumber(in.text))
            return isSane(*v) ? std::optional<double>(normalizedDegrees(*v)) : std::nullopt;
    if (const auto p = pointFrom(in, from); p && !(*p == from)) return angleOf(from, *p);
    return std::nullopt;
}

bool CommandContext::keyword(const Input &in, std::string_view word)
{
    // Words are written in upper case; what is typed may be in any.
    return !in.picked && sameName(in.text, word);
}

void CommandContext::draw(Entity e)
{
    e.color = color;
    drawing_.add(e);
}

void CommandContext::drawLine(Point a, Point b)
{
    drawing_.addLine(a, b, color);
}

std::string fourDecimals(double v)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.4f", v);
    return buffer;
}

std::string fileObjectRefused(std::string_view kind, std::string_view verb)
{
    return "ファイルの " + std::string(kind) + " はそのまま" + std::string(verb) +
           "できません。分解 (EXPLODE) してから編集して下さい。";
}

} // namespace cad
