#pragma once

#include <numbers>

namespace cad {

// Degrees to radians and back. Each multiplies before it divides, the way `d * pi / 180` reads,
// so a call gives the same double the expression written out gives.
constexpr double radians(double deg)
{
    return deg * std::numbers::pi / 180.0;
}

constexpr double degrees(double rad)
{
    return rad * 180.0 / std::numbers::pi;
}

// The same conversions as factors. `d * radiansPerDegree` differs from radians(d) in the last bit
// for about a quarter of all angles; the code that places points with a factor keeps it, so the
// drawings and files it makes stay the same to the bit.
inline constexpr double radiansPerDegree = std::numbers::pi / 180.0;
inline constexpr double degreesPerRadian = 180.0 / std::numbers::pi;

} // namespace cad
