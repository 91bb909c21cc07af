#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cad {

struct Point
{
    double x = 0, y = 0;
    friend bool operator==(const Point &, const Point &) = default;
};

// One drawn object. Only the fields of its type are meaningful.
struct Entity
{
    enum class Type : std::uint8_t { Line, Arc, Circle, Ellipse, Text, Polyline };
    Type type = Type::Line;
    int color = 256; // DXF colour index, 256 = ByLayer
    // Line from a to b.
    Point a, b;
    // Arc and Circle; an arc runs counter-clockwise from startAngle to endAngle, in degrees.
    Point centre;
    double radius = 0;
    double startAngle = 0, endAngle = 0;
    // Ellipse: majorAxis is the end of the major axis relative to centre; ratio = minor / major.
    Point majorAxis;
    double ratio = 1;
    // Text, middle-justified at insert; height of the capitals, rotation in degrees.
    Point insert;
    std::string text;
    double height = 0;
    double rotation = 0;
    // Polyline: every segment runs from startWidth to endWidth.
    std::vector<Point> vertices;
    double startWidth = 0, endWidth = 0;
    bool closed = false;
    // Its layer: an index in the layer table of the drawing it is in (Drawing::layers()), or
    // currentLayer: the drawing's current layer when it is added.
    std::int32_t layer = -1;
};

inline constexpr int colorByLayer = 256;
inline constexpr std::int32_t currentLayer = -1;

} // namespace cad
