#pragma once

#include "cad/model/Affine.h"
#include "cad/model/Point.h"

#include <cstdint>
#include <string>
#include <vector>

namespace cad {

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
    Affine placed;
    // Given by CHPROP, written into the entity's own groups 62 and 8; `keep`: as the file has it.
    static constexpr int keep = -1;
    int color = keep;
    std::int32_t layer = keep;
    // Still standing as the file has it.
    bool asRead() const { return !reshaped && placed == Affine{} && color == keep && layer == keep; }
    friend bool operator==(const Origin &, const Origin &) = default;
};

// Trimmed or extended: a piece of a file's entity no longer just placed anew.
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
    // The symbol it is a piece of (Drawing::symbol), 0 for none.
    std::uint32_t symbol = 0;
};

inline constexpr int colorByLayer = 256;
// A fill in the colour of the background: it hides what was drawn before it (a wipeout).
inline constexpr int colorBackground = -1;
inline constexpr std::int32_t currentLayer = -1;

} // namespace cad
