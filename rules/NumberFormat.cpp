#include "rules/NumberFormat.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace quendra {

namespace {

constexpr int significantDigits = 15;
constexpr int largestFixedExponent = 14;
constexpr int smallestFixedExponent = -6;

} // namespace

std::string format(double x)
{
    if (!std::isfinite(x)) return {};
    if (x == 0.0) return "0";

    // %.14e rounds to 15 significant digits; its exponent is that of the rounded value.
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.*e", significantDigits - 1, std::fabs(x));
    const std::string scientific(buffer);
    const auto e = scientific.find('e');
    std::string digits = scientific.substr(0, 1) + scientific.substr(2, e - 2);
    const int exponent = std::atoi(scientific.c_str() + e + 1);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string out = x < 0 ? "-" : "";
    if (exponent > largestFixedExponent || exponent < smallestFixedExponent) {
        out += digits.substr(0, 1);
        if (digits.size() > 1) out += "." + digits.substr(1);
        char tail[16];
        std::snprintf(tail, sizeof tail, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
        return out + tail;
    }
    if (exponent < 0) return out + "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
    const auto whole = static_cast<size_t>(exponent) + 1;
    if (digits.size() <= whole) return out + digits + std::string(whole - digits.size(), '0');
    return out + digits.substr(0, whole) + "." + digits.substr(whole);
}

} // namespace quendra
