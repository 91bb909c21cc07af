#pragma once

#include "cad/model/Entity.h"

#include <string>
#include <vector>

namespace bridge {

// LibreCAD's font the bridge writes texts in: of the fonts Debian's LibreCAD ships, the one with
// the full-width signs (＋, －, ±), kana and the common kanji.
inline constexpr const char *textFont = "unicode";

// One entity as LibreCAD's plugin interface takes it. LibreCAD has no polyline widths, so a wide
// polyline segment becomes the closed outline of its band.
struct Placement
{
    enum class Kind { Line, Circle, Arc, Ellipse, Text, Polyline };
    Kind kind = Kind::Line;
    // Line: start, end. Circle, Arc, Ellipse: centre (Ellipse: then the end of its major axis,
    // relative to the centre). Text: the middle of the text. Polyline: its vertices.
    std::vector<cad::Point> points;
    double radius = 0;
    // Arc: counter-clockwise, in degrees.
    double startAngle = 0, endAngle = 0;
    double ratio = 1;
    std::string text;
    double height = 0;
    double rotation = 0; // Text, in radians
    bool closed = false;
    int color = cad::colorByLayer; // DXF colour index
};

std::vector<Placement> placementsOf(const cad::Entity &entity);

} // namespace bridge
