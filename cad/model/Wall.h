#pragma once

#include "cad/model/Drawing.h"
#include "cad/model/Symbol.h"

#include <cstddef>
#include <optional>
#include <string>

namespace cad {

// A wall as drawn in plan: two parallel face lines (LINEs or segments of polylines) a wall's
// thickness apart, drawn by hand or by the wall form; a window's or a door's own lines are never
// taken for a wall.
inline constexpr double minWallThickness = 50;
inline constexpr double maxWallThickness = 400;

struct WallFace
{
    std::size_t entity = 0;
    std::size_t segment = 0; // of a polyline; 0 for a line
    Point a, b;
};

struct Wall
{
    WallFace faces[2]; // the face nearer the point the wall was found from, then the other
    Point centre;      // that point brought on to the centre line
    double thickness = 0;
    // Along the wall, in degrees [0, 360), so that the nearer face lies on its right: the angle
    // a fitting is drawn at to lie in the wall with its swing towards that face.
    double direction = 0;
    // A face is a piece of a block reference (or another whole of a file): it cannot be cut.
    bool inBlock = false;
};

// The wall `p` lies in (on a face counts): of the pairs of parallel faces on either side of it,
// both reaching past it along the wall, the thinnest.
std::optional<Wall> findWall(const Drawing &drawing, Point p);

// Whether entity i can be a wall's face: a line or polyline, shown, not a piece of a fitting.
bool mayBeWallFace(const Drawing &drawing, std::size_t i);

// The one of 0, 90, 180 and 270 a direction is, when it is one of them.
std::optional<int> quarterAngle(double degrees);

// The wall `fitting` (a fitting symbol) sits in, and where it is cut: the faces between the
// ends of the symbol along the wall, or why not (a Japanese sentence). No wall there at all is
// neither: `opening` stays empty and the reason too.
// An end of the opening may be the end of another fitting's opening beside it, in the same
// wall: the two share that jamb, and no face runs between them.
struct OpeningPlan
{
    std::optional<Wall> wall;
    std::optional<Opening> opening;
    bool shared[2] = {false, false};
    std::string refused;
};
OpeningPlan planOpening(const Drawing &drawing, std::uint32_t fitting);

// The pieces of a face as the opening leaves them: the part before the first cut and the part
// after the second. A closed polyline opens at the cut and is one piece.
struct FacePieces
{
    Entity before;
    std::optional<Entity> after;
};
FacePieces cutFace(const Entity &face, std::size_t segment, Point first, Point second);

// A wall drawn as one closed outline, both faces in it (segments s0 and s1, cut at
// `cuts[0]` and `cuts[1]`): the two open pieces the opening leaves of it.
std::pair<Entity, Entity> cutOutline(const Entity &outline, std::size_t s0, std::size_t s1,
                                     const Point (&cuts)[2][2]);
// The outline closed again from those two pieces; none when they no longer fit together.
std::optional<Entity> joinOutline(const Entity &x, const Entity &y, const Point (&cuts)[2][2]);

// The face made whole again from the pieces an opening left (`after` empty for a closed
// polyline opened there); none when they no longer fit together.
std::optional<Entity> joinFace(const Entity &before, const std::optional<Entity> &after, Point first,
                               Point second);

// A face piece that ends at `from` run on along the wall to `to` (an opening beside it closed);
// none when it does not end there.
std::optional<Entity> extendFace(const Entity &piece, Point from, Point to);

// Whether what is left of a face is no more than a point (an opening cut up to its end).
bool vanished(const Entity &piece);

} // namespace cad
