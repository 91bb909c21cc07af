#pragma once

#include <cstdint>
#include <string>
#include <vector>

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

// x' = a x + b y + tx, y' = c x + d y + ty: how a piece of an opened file was moved, turned,
// scaled or mirrored since it was read.
struct Placement
{
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
    Point operator()(Point p) const { return {a * p.x + b * p.y + tx, c * p.x + d * p.y + ty}; }
    // This placement, then `after`.
    Placement then(const Placement &after) const
    {
        return {after.a * a + after.b * c,
                after.a * b + after.b * d,
                after.c * a + after.d * c,
                after.c * b + after.d * d,
                after.a * tx + after.b * ty + after.tx,
                after.c * tx + after.d * ty + after.ty};
    }
    friend bool operator==(const Placement &, const Placement &) = default;
};

// Which entity of an opened file a shown piece stands for (an INSERT is shown as many pieces),
// and what was done to it since, so that saving edits that entity in the file.
struct Origin
{
    // Read from a file, but not to be told apart from the rest of it: shown, never edited.
    static constexpr std::uint32_t fromFile = 0xFFFFFFFF;
    // The entity's number in the file's ENTITIES section, plus one; 0 for what was drawn here.
    std::uint32_t entity = 0;
    bool editable() const { return entity != 0 && entity != fromFile; }
    // Changed beyond moving, turning, scaling and mirroring (trimmed, recoloured): saved as the
    // pieces it shows now.
    bool reshaped = false;
    Placement placed;
    friend bool operator==(const Origin &, const Origin &) = default;
};

// Trimmed, extended or recoloured: a piece of a file's entity no longer just placed anew.
inline void markReshaped(Origin &origin)
{
    if (origin.entity != 0) origin.reshaped = true;
}

// One drawn object. Only the fields of its type are meaningful.
struct Entity
{
    enum class Type : std::uint8_t { Line, Arc, Circle, Ellipse, Text, Polyline, Fill, Ray };
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
    // Text drawn mirrored along its baseline (reading backwards), as a mirrored block or a
    // backward TEXT shows it.
    bool mirrored = false;
    // Fill: a region painted in its colour, read from a file (a solid hatch, a wipeout). Its
    // `vertices` are its boundary loops one after the other, each back at its own first point;
    // inside is what an odd number of loops surround. colorBackground makes it a mask.
    // Ray: the line from a through b and on without end; `closed`: without end both ways too
    // (an XLINE). Neither counts in the extents.
    // Line type of lines, arcs, circles, ellipses and polylines: a dash (> 0), a gap (< 0) or a
    // dot (0), in drawing units, repeated from the start; none: continuous.
    std::vector<double> dashes;
    Origin origin;
    // Its layer: an index in the layer table of the drawing it is in (Drawing::layers()), or
    // currentLayer: the drawing's current layer when it is added.
    std::int32_t layer = -1;
};

inline constexpr int colorByLayer = 256;
// A fill in the colour of the background: it hides what was drawn before it (a wipeout).
inline constexpr int colorBackground = -1;
inline constexpr std::int32_t currentLayer = -1;

} // namespace cad
