#pragma once

#include "cad/model/Entity.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace cad {

// An entity read in place: the fields of Entity, with the text and the vertices borrowed from
// where they are kept. Valid while the drawing (or entity) it was taken from is unchanged.
struct EntityView
{
    Entity::Type type = Entity::Type::Line;
    int color = colorByLayer;
    Point a, b;
    Point centre;
    double radius = 0;
    double startAngle = 0, endAngle = 0;
    Point majorAxis;
    double ratio = 1;
    Point insert;
    std::string_view text;
    double height = 0;
    double rotation = 0;
    std::span<const Point> vertices;
    double startWidth = 0, endWidth = 0;
    bool closed = false;
    bool mirrored = false;
    std::span<const double> dashes;
    const Origin *origin = nullptr;
    // Index of its layer in its drawing's layer table (0 for a loose entity not yet added).
    std::uint32_t layer = 0;
    // The symbol it is a piece of, 0 for none.
    std::uint32_t symbol = 0;
};

// The index an entity's layer stands at in the view: currentLayer as 0.
inline std::uint32_t layerOf(const Entity &e)
{
    return e.layer < 0 ? 0u : static_cast<std::uint32_t>(e.layer);
}

inline EntityView view(const Entity &e)
{
    return EntityView{e.type,       e.color,    e.a,         e.b,          e.centre,   e.radius,
                      e.startAngle, e.endAngle, e.majorAxis, e.ratio,      e.insert,   e.text,
                      e.height,     e.rotation, e.vertices,  e.startWidth, e.endWidth, e.closed,
                      e.mirrored,   e.dashes,   &e.origin,   layerOf(e),   e.symbol};
}

} // namespace cad
