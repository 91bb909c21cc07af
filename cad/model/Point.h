#pragma once

namespace cad {

struct Point
{
    double x = 0, y = 0;
    friend bool operator==(const Point &, const Point &) = default;
    friend constexpr Point operator+(Point p, Point q) { return {p.x + q.x, p.y + q.y}; }
    friend constexpr Point operator-(Point p, Point q) { return {p.x - q.x, p.y - q.y}; }
    friend constexpr Point operator*(Point p, double k) { return {p.x * k, p.y * k}; }
};

// The point a fraction t of the way from a to b, as a + (b - a) * t: a at 0, b at 1, and on the
// line through them beyond.
constexpr Point lerp(Point a, Point b, double t)
{
    return a + (b - a) * t;
}

} // namespace cad
