#pragma once

#include "cad/command/Request.h"
#include "cad/command/Transcript.h"
#include "cad/model/Drawing.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cad {

// One input to a prompt: a typed text (empty for a bare Enter) or a point picked in a view.
struct Input
{
    std::string_view text;
    std::optional<Point> picked;
    bool enter() const { return !picked && text.empty(); }
};

// What commands share: the drawing, the last point, the current colour and the remembered
// defaults, and the way to talk back.
class CommandContext
{
public:
    CommandContext(Drawing &drawing, Transcript &transcript) : drawing_(drawing), transcript_(transcript) {}

    Drawing &drawing() { return drawing_; }
    const Drawing &drawing() const { return drawing_; }
    void message(std::string line) { transcript_.add(std::move(line)); }
    void request(Request r) { request_ = std::move(r); }
    std::optional<Request> &pendingRequest() { return request_; }

    // A picked point, or a typed one relative to `base`.
    std::optional<Point> pointFrom(const Input &in, Point base) const;
    std::optional<Point> point(const Input &in) const { return pointFrom(in, lastPoint); }
    // As pointFrom and point, telling the user when the input is no point.
    std::optional<Point> wantPointFrom(const Input &in, Point base);
    std::optional<Point> wantPoint(const Input &in) { return wantPointFrom(in, lastPoint); }
    // The entity picked by the point of `in` (the point in `at`), telling the user when the input
    // is no point or the pick hits nothing.
    std::optional<std::size_t> wantEntity(const Input &in, Point *at = nullptr);
    // A number, or the distance from `from` to a point.
    std::optional<double> distance(const Input &in, Point from) const;
    // An angle in degrees, or the direction from `from` to a point.
    std::optional<double> angle(const Input &in, Point from) const;
    static bool keyword(const Input &in, std::string_view word);

    // Adds an entity in the current colour.
    void draw(Entity e);
    void drawLine(Point a, Point b);

    Point lastPoint;
    int color = colorByLayer;
    double textHeight = 2.5;
    double textRotation = 0;
    double circleRadius = 0;
    double plineWidth = 0;
    double offsetDistance = 0;
    // Objects selected before a command (noun-verb), as indices of the drawing; the next
    // command that edits takes them.
    std::vector<std::size_t> selection;
    // How near a point must be to an entity to pick it, in drawing units.
    double pickTolerance = 5;
    // Fittings are set into their walls (壁に納める).
    bool wallOpenings = true;
    // Walls kept outside the drawing (the document of another CAD program the session draws
    // into): base points snap to these, and cutting the opening is left to whoever keeps them.
    const Drawing *wallsElsewhere = nullptr;
    // The next ID is a fitting's base point: its pick goes on to the centre line of the wall it
    // falls in. The number tells whose pick it is (a conversation's).
    std::optional<int> wallPickArmed;
    // What the last such pick found: the wall's direction (Wall::direction), none without a wall.
    struct WallPicked
    {
        int tag = 0;
        std::optional<double> direction;
    };
    std::optional<WallPicked> wallPicked;

private:
    Drawing &drawing_;
    Transcript &transcript_;
    std::optional<Request> request_;
};

// Messages shared by several prompts.
namespace messages {
inline constexpr const char *pointNeeded = "点、または オプション キーワードが必要です。";
inline constexpr const char *distanceNeeded = "距離または 2 点目が必要です。";
inline constexpr const char *angleNeeded = "角度または 2 点目が必要です。";
inline constexpr const char *numberNeeded = "数値が必要です。";
} // namespace messages

// "%.4f", the way lengths are shown in prompts.
std::string fourDecimals(double v);

// Said when a file's object (of kind "HATCH") cannot be edited so in its own groups: `verb` is
// the edit ("移動").
std::string fileObjectRefused(std::string_view kind, std::string_view verb);

} // namespace cad
