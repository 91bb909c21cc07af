#pragma once

#include "cad/model/Point.h"

namespace cad {

// A map of the plane, x' = a x + b y + tx, y' = c x + d y + ty: how a piece of an opened file was
// moved, turned, scaled or mirrored since it was read, or how a block reference places its block.
struct Affine
{
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
    Point operator()(Point p) const { return {a * p.x + b * p.y + tx, c * p.x + d * p.y + ty}; }
    // The map without its translation, for directions and lengths.
    Point linear(Point p) const { return {a * p.x + b * p.y, c * p.x + d * p.y}; }
    // This map, then `after`.
    Affine then(const Affine &after) const
    {
        return {after.a * a + after.b * c,
                after.a * b + after.b * d,
                after.c * a + after.d * c,
                after.c * b + after.d * d,
                after.a * tx + after.b * ty + after.tx,
                after.c * tx + after.d * ty + after.ty};
    }
    friend bool operator==(const Affine &, const Affine &) = default;
};

} // namespace cad
