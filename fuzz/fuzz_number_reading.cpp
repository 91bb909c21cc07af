// Any text as a control's input: the lenient and strict readings must agree where the strict one
// succeeds, and every finite value they give must have a script form that reads back as itself.

#include "fuzz/FuzzCheck.h"
#include "rules/NumberFormat.h"
#include "rules/NumberReading.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

void checkScriptForm(double v)
{
    const std::string s = quendra::format(v);
    if (!std::isfinite(v)) {
        fuzz::require(s.empty(), "a value that is not finite has a script form", s);
        return;
    }
    fuzz::require(!s.empty(), "a finite value has no script form");
    fuzz::require(s.find_first_not_of("0123456789.-E+") == std::string::npos, "odd character in a number", s);
    fuzz::requireCleanNumbers(s);
    // 15 significant digits: reading the form back and writing it again changes nothing. Near the
    // largest double the rounded form lies beyond it; no drawing comes near (the host stops at 1E+15).
    if (std::fabs(v) > 1e300) return;
    const auto back = quendra::readStrict(s);
    fuzz::require(back.has_value(), "the script form does not read back", s);
    fuzz::require(quendra::format(*back) == s, "the script form is not stable", s);
    fuzz::require(std::fabs(*back - v) <= 1e-14 * std::fabs(v), "the script form is too far from the value",
                  s);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const double lenient = quendra::readLenient(text);
    const std::optional<double> strict = quendra::readStrict(text);
    fuzz::require(!std::isnan(lenient), "the lenient reading gave NaN", text);
    checkScriptForm(lenient);
    if (strict) {
        fuzz::require(!std::isnan(*strict), "the strict reading gave NaN", text);
        // Text the strict reading takes whole has no blanks inside, so the lenient one sees the same.
        fuzz::require(*strict == lenient && std::signbit(*strict) == std::signbit(lenient),
                      "the strict and lenient readings disagree", text);
    }
    return 0;
}
