#include "cad/Snap.h"

#include "cad/Geometry.h"

#include <cmath>

namespace cad {

namespace {

class Search
{
public:
    Search(Point near, double tolerance) : near_(near), tolerance_(tolerance) {}

    void consider(Point p, SnapPoint::Kind kind)
    {
        const double d = distance(near_, p);
        if (d > tolerance_) return;
        if (!best_ || d < bestDistance_ || (d == bestDistance_ && kind < best_->kind)) {
            best_ = SnapPoint{p, kind};
            bestDistance_ = d;
        }
    }

    // Whether anything of the box lies within reach.
    bool reaches(const Box &b) const
    {
        return near_.x >= b.min.x - tolerance_ && near_.x <= b.max.x + tolerance_ &&
               near_.y >= b.min.y - tolerance_ && near_.y <= b.max.y + tolerance_;
    }

    std::optional<SnapPoint> best() const { return best_; }

private:
    Point near_;
    double tolerance_;
    std::optional<SnapPoint> best_;
    double bestDistance_ = 0;
};

Point middle(Point a, Point b)
{
    return {(a.x + b.x) / 2, (a.y + b.y) / 2};
}

void points(const EntityView &e, Search &s)
{
    using K = SnapPoint::Kind;
    switch (e.type) {
    case Entity::Type::Line:
        s.consider(e.a, K::End);
        s.consider(e.b, K::End);
        s.consider(middle(e.a, e.b), K::Mid);
        break;
    case Entity::Type::Arc: {
        s.consider(arcStart(e), K::End);
        s.consider(arcEnd(e), K::End);
        double span = normalizedDegrees(e.endAngle - e.startAngle);
        if (span == 0) span = 360;
        s.consider(polar(e.centre, e.radius, e.startAngle + span / 2), K::Mid);
        s.consider(e.centre, K::Centre);
        break;
    }
    case Entity::Type::Circle:
    case Entity::Type::Ellipse:
        s.consider(e.centre, K::Centre);
        break;
    case Entity::Type::Text:
        s.consider(e.insert, K::Insert);
        break;
    case Entity::Type::Polyline: {
        const std::size_t n = e.vertices.size();
        for (std::size_t i = 0; i < n; ++i) {
            s.consider(e.vertices[i], K::End);
            if (i + 1 < n || (e.closed && n > 2))
                s.consider(middle(e.vertices[i], e.vertices[(i + 1) % n]), K::Mid);
        }
        break;
    }
    }
}

// Only entities whose snap points can lie within reach are looked at closely.
void consider(const EntityView &e, Search &search)
{
    Box b;
    switch (e.type) {
    case Entity::Type::Text:
        b.add(e.insert);
        break;
    case Entity::Type::Circle:
    case Entity::Type::Ellipse:
        b.add(e.centre);
        break;
    case Entity::Type::Arc:
        b = bounds(e);
        b.add(e.centre);
        break;
    default:
        b = bounds(e);
        break;
    }
    if (search.reaches(b)) points(e, search);
}

} // namespace

std::optional<SnapPoint> findSnap(const Drawing &drawing, Point near, double tolerance)
{
    Search search(near, tolerance);
    // The outlines rule out nearly everything without reading the entities themselves.
    const auto &outlines = drawing.outlines();
    for (std::size_t i = 0; i < outlines.size(); ++i) {
        const Drawing::Outline &o = outlines[i];
        Box b;
        b.add({o.x0, o.y0});
        b.add({o.x1, o.y1});
        if (search.reaches(b)) consider(drawing.view(i), search);
    }
    return search.best();
}

std::optional<SnapPoint> findSnap(const std::vector<Entity> &entities, Point near, double tolerance)
{
    Search search(near, tolerance);
    for (const Entity &e : entities)
        consider(view(e), search);
    return search.best();
}

} // namespace cad
