#include "rules/Steps.h"

#include "rules/NumberFormat.h"

#include <cmath>
#include <stdexcept>

namespace quendra {

Step pt(double x, double y, int blanks)
{
    return {Step::Kind::Relative, x, y, blanks, {}};
}
Step at(double x, double y, int blanks)
{
    return {Step::Kind::Absolute, x, y, blanks, {}};
}
Step value(double v, int blanks)
{
    return {Step::Kind::Value, v, 0, blanks, {}};
}
Step word(std::string text)
{
    return {Step::Kind::Word, 0, 0, 0, std::move(text)};
}

Steps operator+(Steps a, const Steps &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Steps turned(const Steps &steps, int degrees)
{
    if (degrees != 0 && degrees != 90 && degrees != 180 && degrees != 270)
        throw std::invalid_argument("turned: angle must be 0, 90, 180 or 270");
    Steps out = steps;
    for (Step &s : out) {
        if (s.kind != Step::Kind::Relative) continue;
        const double x = s.x, y = s.y;
        switch (degrees) {
        case 90:
            s.x = -y, s.y = x;
            break;
        case 180:
            s.x = -x, s.y = -y;
            break;
        case 270:
            s.x = y, s.y = -x;
            break;
        default:
            break;
        }
    }
    return out;
}

Steps mirrored(const Steps &steps)
{
    Steps out = steps;
    for (Step &s : out)
        if (s.kind == Step::Kind::Relative) s.x = -s.x;
    return out;
}

std::string text(const Step &step)
{
    const std::string blanks(static_cast<size_t>(std::max(step.blanks, 0)), ' ');
    switch (step.kind) {
    case Step::Kind::Relative:
        return "@" + format(step.x) + "," + format(step.y) + blanks;
    case Step::Kind::Absolute:
        return format(step.x) + "," + format(step.y) + blanks;
    case Step::Kind::Value:
        return format(step.x) + blanks;
    case Step::Kind::Word:
        return step.word;
    }
    return {};
}

Script script(std::string_view command, const Steps &steps, bool carriageReturn)
{
    Script s{std::string(command), true};
    for (const Step &step : steps) {
        if (step.kind != Step::Kind::Word && !(std::isfinite(step.x) && std::isfinite(step.y)))
            s.finite = false;
        s.text += text(step);
    }
    if (carriageReturn) s.text += '\r';
    return s;
}

} // namespace quendra
