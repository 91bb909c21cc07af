#include "rules/FormState.h"

#include "rules/NumberReading.h"

namespace quendra {

std::string FormState::text(const std::string &control) const
{
    const auto it = texts_.find(control);
    return it == texts_.end() ? std::string() : it->second;
}

bool FormState::checked(const std::string &control) const
{
    const auto it = checks_.find(control);
    return it != checks_.end() && it->second;
}

double FormState::number(const std::string &control) const
{
    return readLenient(text(control));
}

std::optional<double> FormState::strictNumber(const std::string &control) const
{
    return readStrict(text(control));
}

} // namespace quendra
