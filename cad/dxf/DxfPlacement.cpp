#include "cad/dxf/DxfPlacement.h"

#include "cad/model/Angle.h"
#include "cad/model/Geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <limits>
#include <numbers>
#include <span>
#include <utility>
#include <vector>

namespace cad {

namespace {

// What is placed anew in each kind of entity, by group code.
struct Rule
{
    std::initializer_list<int> points;  // x codes; y is x + 10, z x + 20
    std::initializer_list<int> vectors; // directions: turned and scaled, not moved
    std::initializer_list<int> lengths;
    bool arcAngles = false; // 50, 51 of an arc
    bool textAngle = false; // 50 of a text: turns with it, kept by a mirror (text stays readable)
    bool insert = false;    // 41, 42, 44, 45, 50 of a block reference
    bool bulges = false;    // 42 of polyline vertices
    bool mirrors = true;    // whether a mirror can be written
    bool units = false;     // the vectors are directions of length 1
    bool ellipse = false;   // 41, 42: where an ellipse's arc begins and ends, in radians
    // A dimension: placed with the block it draws itself with (DxfSource); scaled only where
    // what it says stays true, mirrored only where it measures the same.
    bool dimension = false;
};

const Rule *ruleFor(std::string_view type)
{
    static const Rule line{{10, 11}, {}, {}};
    static const Rule point{{10}, {}, {}};
    static const Rule circle{{10}, {}, {40}};
    static const Rule arc{{10}, {}, {40}, true};
    static const Rule text{{10, 11}, {}, {40}, false, true};
    static const Rule mtext{{10}, {11}, {40, 41}, false, true};
    static const Rule insert{{10}, {}, {}, false, false, true};
    static const Rule lwpolyline{{10}, {}, {43, 40, 41}, false, false, false, true};
    static const Rule polyline{{}, {}, {40, 41}};
    static const Rule vertex{{10}, {}, {40, 41}, false, false, false, true};
    static const Rule seqend{{}, {}, {}};
    static const Rule corners{{10, 11, 12, 13}, {}, {}};
    static const Rule ellipse{{10}, {11}, {}, false, false, false, false, true, false, true};
    static const Rule spline{{10, 11}, {12, 13}, {}};
    static const Rule dimension{
        {10, 11, 12, 13, 14, 15, 16}, {}, {40}, false, false, false, false, true, false, false, true};
    static const Rule ray{{10}, {11}, {}, false, false, false, false, true, true};
    static const Rule leader{{10}, {211, 212, 213}, {40, 41}, false, false, false, false, false};
    // An image and a wipeout: their corner and a pixel's width and height (their clipping
    // boundary is in pixels).
    static const Rule image{{10}, {11, 12}, {}, false, false, false, false, false};
    if (type == "LINE") return &line;
    if (type == "POINT") return &point;
    if (type == "CIRCLE") return &circle;
    if (type == "ARC") return &arc;
    if (type == "TEXT" || type == "ATTRIB" || type == "ATTDEF") return &text;
    if (type == "MTEXT") return &mtext;
    if (type == "INSERT") return &insert;
    if (type == "LWPOLYLINE") return &lwpolyline;
    if (type == "POLYLINE") return &polyline;
    if (type == "VERTEX") return &vertex;
    if (type == "SEQEND") return &seqend;
    if (type == "SOLID" || type == "TRACE" || type == "3DFACE") return &corners;
    if (type == "ELLIPSE") return &ellipse;
    if (type == "SPLINE") return &spline;
    if (type == "DIMENSION") return &dimension;
    if (type == "RAY" || type == "XLINE") return &ray;
    if (type == "LEADER") return &leader;
    if (type == "IMAGE" || type == "WIPEOUT") return &image;
    return nullptr;
}

bool among(int code, std::initializer_list<int> codes)
{
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

double normalized(double degrees)
{
    degrees = std::fmod(degrees, 360.0);
    return degrees < 0 ? degrees + 360.0 : degrees;
}

// A polyline with arcs (bulges) as its file has it, and the way a shape shown of it (its arcs as
// chords: cut, its ends anywhere along it) runs along it.
class PolylineTrace
{
public:
    struct Vertex
    {
        Point p;
        double bulge = 0;
    };

    // From an LWPOLYLINE's groups, or a POLYLINE's and its VERTEXes' (each a group 0 and what
    // follows it).
    PolylineTrace(std::span<const DxfTag> tags, const std::function<double(const DxfTag &)> &real)
    {
        const bool old = tags.front().trimmed == "POLYLINE";
        std::string_view part;
        for (std::size_t k = 0; k < tags.size(); ++k) {
            const int c = tags[k].code;
            if (c == 0) part = tags[k].trimmed;
            if (old && part != (c == 70 ? "POLYLINE" : "VERTEX")) continue;
            if (c == 10 && k + 1 < tags.size() && tags[k + 1].code == 20)
                vertices_.push_back({{real(tags[k]), real(tags[k + 1])}, 0});
            else if (c == 42 && !vertices_.empty())
                vertices_.back().bulge = real(tags[k]);
            else if (c == 70)
                closed_ = (std::lround(real(tags[k])) & 1) != 0;
        }
        for (const Vertex &v : vertices_)
            bulged_ = bulged_ || (v.bulge != 0 && std::isfinite(v.bulge));
    }

    bool bulged() const { return bulged_; }

    // The vertices (bulges with them) of the part of the polyline that `shown` shows, and
    // whether it is closed; none when the shape does not run along it.
    std::optional<std::pair<std::vector<Vertex>, bool>> along(std::span<const Point> shown, bool closed) const
    {
        const std::size_t n = vertices_.size(), segments = closed_ ? n : n - 1;
        if (shown.size() < 2 || n < 2 || std::any_of(vertices_.begin(), vertices_.end(), [](const Vertex &v) {
                return !std::isfinite(v.bulge) || !std::isfinite(v.p.x) || !std::isfinite(v.p.y);
            }))
            return std::nullopt;
        if (closed) {
            if (!closed_ || !runs(shown, 0, 0, n - 1, 1, n)) return std::nullopt;
            return std::pair{vertices_, true};
        }
        double length = 0;
        for (std::size_t i = 1; i < shown.size(); ++i)
            length += distance(shown[i - 1], shown[i]);
        const auto [s0, f0] = locate(shown.front(), segments);
        const auto [s1, f1] = locate(shown.back(), segments);
        // How many segments on from the first the shape ends in: for a closed polyline, the way
        // round whose length is the shape's.
        std::size_t steps = s1 >= s0 ? s1 - s0 : s1 + n - s0;
        if (!closed_ && (s1 < s0 || (s1 == s0 && f1 < f0))) return std::nullopt;
        if (closed_ && s0 == s1) {
            const double shortWay = f1 >= f0 ? pathLength(s0, f0, s1, f1, 0) : -1;
            const double longWay = pathLength(s0, f0, s1, f1, n);
            steps = shortWay >= 0 && std::fabs(shortWay - length) <= std::fabs(longWay - length) ? 0 : n;
        }
        const double expected = pathLength(s0, f0, s1, f1, steps);
        if (std::fabs(expected - length) > 0.02 * expected + 1e-9) return std::nullopt;
        std::vector<Vertex> out;
        for (std::size_t k = 0; k <= steps; ++k) {
            const std::size_t seg = (s0 + k) % n;
            const double from = k == 0 ? f0 : 0, to = k == steps ? f1 : 1;
            if (to - from <= 1e-12 && !(k == 0 && steps == 0)) continue;
            out.push_back({pointAt(seg, from), partialBulge(seg, from, to)});
        }
        out.push_back({pointAt(s1, f1), 0});
        return std::pair{std::move(out), false};
    }

private:
    Point end(std::size_t seg) const { return vertices_[(seg + 1) % vertices_.size()].p; }

    // An arc segment's centre, radius, start angle and signed sweep (radians).
    struct Arc
    {
        Point centre;
        double radius = 0, start = 0, sweep = 0;
    };
    std::optional<Arc> arcOf(std::size_t seg) const
    {
        const Point a = vertices_[seg].p, b = end(seg);
        const double bulge = vertices_[seg].bulge, chord = distance(a, b);
        if (bulge == 0 || chord == 0) return std::nullopt;
        const double sweep = 4 * std::atan(bulge);
        const double radius = chord / (2 * std::sin(std::fabs(sweep) / 2));
        const double off = radius * std::cos(sweep / 2) * (bulge > 0 ? 1 : -1);
        const Point centre{(a.x + b.x) / 2 - (b.y - a.y) / chord * off,
                           (a.y + b.y) / 2 + (b.x - a.x) / chord * off};
        if (!std::isfinite(centre.x) || !std::isfinite(centre.y)) return std::nullopt;
        return Arc{centre, radius, std::atan2(a.y - centre.y, a.x - centre.x), sweep};
    }

    Point pointAt(std::size_t seg, double f) const
    {
        if (f <= 0) return vertices_[seg].p;
        if (f >= 1) return end(seg);
        const Point a = vertices_[seg].p, b = end(seg);
        if (const auto arc = arcOf(seg)) {
            const double t = arc->start + f * arc->sweep;
            return {arc->centre.x + arc->radius * std::cos(t), arc->centre.y + arc->radius * std::sin(t)};
        }
        return {a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f};
    }

    double partialBulge(std::size_t seg, double from, double to) const
    {
        const double bulge = vertices_[seg].bulge;
        if (bulge == 0 || (from <= 0 && to >= 1)) return bulge;
        return std::tan((to - from) * std::atan(bulge));
    }

    double segmentLength(std::size_t seg) const
    {
        if (const auto arc = arcOf(seg)) return arc->radius * std::fabs(arc->sweep);
        return distance(vertices_[seg].p, end(seg));
    }

    double pathLength(std::size_t s0, double f0, std::size_t s1, double f1, std::size_t steps) const
    {
        if (steps == 0) return (f1 - f0) * segmentLength(s0);
        double length = (1 - f0) * segmentLength(s0) + f1 * segmentLength(s1);
        for (std::size_t k = 1; k < steps; ++k)
            length += segmentLength((s0 + k) % vertices_.size());
        return length;
    }

    // Whether the shape runs the whole way from (s0, f0) to (s1, f1): its length that of the path.
    bool runs(std::span<const Point> shown, std::size_t s0, double f0, std::size_t s1, double f1,
              std::size_t steps) const
    {
        double length = 0;
        for (std::size_t i = 1; i < shown.size(); ++i)
            length += distance(shown[i - 1], shown[i]);
        const double expected = pathLength(s0, f0, s1, f1, steps);
        return std::fabs(expected - length) <= 0.02 * expected + 1e-9;
    }

    // The segment a point lies on (nearest to), and how far along it.
    std::pair<std::size_t, double> locate(Point q, std::size_t segments) const
    {
        std::size_t best = 0;
        double bestF = 0, bestD = std::numeric_limits<double>::infinity();
        for (std::size_t seg = 0; seg < segments; ++seg) {
            const Point a = vertices_[seg].p, b = end(seg);
            double f = 0, d = 0;
            if (const auto arc = arcOf(seg)) {
                const double turn = 2 * std::numbers::pi;
                double delta = std::atan2(q.y - arc->centre.y, q.x - arc->centre.x) - arc->start;
                delta = std::fmod(arc->sweep > 0 ? delta : -delta, turn);
                if (delta < 0) delta += turn;
                // Past its end: nearer its start or its end, whichever the angle is nearer.
                const double span = std::fabs(arc->sweep);
                if (delta > span) delta = delta - span < turn - delta ? span : 0;
                f = delta / span;
                d = distance(q, pointAt(seg, f));
            } else {
                const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
                f = len2 == 0 ? 0 : std::clamp(((q.x - a.x) * dx + (q.y - a.y) * dy) / len2, 0.0, 1.0);
                d = distance(q, {a.x + dx * f, a.y + dy * f});
            }
            if (d < bestD - 1e-12) best = seg, bestF = f, bestD = d;
        }
        return {best, bestF};
    }

    std::vector<Vertex> vertices_;
    bool closed_ = false, bulged_ = false;
};

// Writes one entity's groups again, placed by a map: what placedEntity() returns.
class PlacedEntityWriter
{
public:
    PlacedEntityWriter(std::string_view file, const DxfTagWriter::Form &form, const EntityChange &change,
                       std::uint64_t *next)
        : file_(file), binary_(form.binary), out_(form), m_(change.m), change_(change), next_(next)
    {
        const Affine &m = change.m;
        const double det = m.a * m.d - m.b * m.c;
        scale_ = std::sqrt(std::fabs(det));
        mirror_ = det < 0;
        turn_ = std::atan2(m.c, m.a) * degreesPerRadian;
    }

    bool usable() const { return std::isfinite(scale_) && scale_ > 0 && std::isfinite(turn_); }

    // The whole entity, where it is written whole rather than part by part; none otherwise.
    std::optional<bool> placeWhole(std::span<const DxfTag> tags)
    {
        if (change_.shape && tags.front().trimmed == "POLYLINE") return reshapeVertexPolyline(tags);
        return std::nullopt;
    }

    // One of the entity's parts: a group 0 and the groups up to the next.
    bool place(std::span<const DxfTag> tags, bool head)
    {
        if (change_.shape && head) return reshape(tags);
        if (m_ == Affine{}) {
            for (std::size_t k = 0; k < tags.size(); ++k)
                if (!rewritten(tags, k, head)) copy(tags[k]);
            return true;
        }
        const Rule *rule = ruleFor(tags.front().trimmed);
        const bool hatch = tags.front().trimmed == "HATCH";
        if ((!rule && !hatch) || (rule && mirror_ && !rule->mirrors)) return false;
        // Off the drawing plane, the coordinates are not the drawing's; seen from below (a
        // mirrored block's attributes), x runs the other way.
        double normal = 1;
        for (const DxfTag &t : tags) {
            if ((t.code == 210 || t.code == 220) && real(t) != 0) return false;
            if (t.code == 230) normal = real(t);
        }
        if (normal != 1 && normal != -1) return false;
        const Affine m = normal == 1 ? m_ : Affine{m_.a, -m_.b, -m_.c, m_.d, -m_.tx, m_.ty};
        const double turn = normal * turn_;
        if (hatch) return placeHatch(tags, m, turn);
        return place(tags, head, *rule, m, turn);
    }

    std::string &bytes() { return out_.bytes(); }

private:
    bool place(std::span<const DxfTag> tags, bool head, const Rule &r, const Affine &m, double turn)
    {
        const Rule *rule = &r;
        if (rule->dimension && !dimensionPlaceable(tags)) return false;
        const bool measures = rule->dimension && !angular(tags);
        double start = 0, end = 0, angle = 0;
        bool hasAngle = false, hasXScale = false, hasYScale = false;
        for (const DxfTag &t : tags) {
            if (t.code == 70 && tags.front().trimmed == "POLYLINE" && (integer(t) & (8 | 16 | 64)) != 0)
                return false;
            if (t.code == 50) hasAngle = true, angle = start = real(t);
            if (t.code == 51) end = real(t);
            if (t.code == 41) hasXScale = true;
            if (t.code == 42) hasYScale = true;
        }
        if (rule->ellipse) {
            start = 0, end = 2 * std::numbers::pi;
            for (const DxfTag &t : tags)
                if (t.code == 41 || t.code == 42) (t.code == 41 ? start : end) = real(t);
        }
        const bool whole = rule->ellipse && std::fabs(end - start) >= 2 * std::numbers::pi;
        for (std::size_t k = 0; k < tags.size(); ++k) {
            const DxfTag &t = tags[k];
            const int c = t.code;
            if (rewritten(tags, k, head)) continue;
            if ((among(c, rule->points) || among(c, rule->vectors)) && k + 1 < tags.size() &&
                tags[k + 1].code == c + 10) {
                const Point p{real(t), real(tags[k + 1])};
                Point q =
                    among(c, rule->vectors) ? Point{m.a * p.x + m.b * p.y, m.c * p.x + m.d * p.y} : m(p);
                if (rule->units && among(c, rule->vectors)) q = {q.x / scale_, q.y / scale_};
                // Mirrored, a text keeps its direction: it still reads from left to right.
                if (mirror_ && rule->textAngle && among(c, rule->vectors)) q = p;
                out_.real(c, q.x);
                out_.real(c + 10, q.y);
                ++k;
                if (k + 1 < tags.size() && tags[k + 1].code == c + 20) copy(tags[++k]);
                if (c == 10 && rule->textAngle && !hasAngle && !mirror_ && normalized(turn) != 0 &&
                    tags.front().trimmed != "MTEXT")
                    out_.real(50, normalized(turn));
                // Missing groups stand for 1 and 0; written only where that no longer holds.
                if (c == 10 && rule->insert) {
                    if (!hasXScale && scale_ != 1) out_.real(41, scale_);
                    if (!hasYScale && (scale_ != 1 || mirror_)) out_.real(42, mirror_ ? -scale_ : scale_);
                    if (!hasAngle && normalized(turn) != 0) out_.real(50, normalized(turn));
                }
            } else if (among(c, rule->lengths)) {
                out_.real(c, real(t) * scale_);
            } else if (rule->arcAngles && (c == 50 || c == 51)) {
                // A mirror turns an arc's direction: it runs from where it ended.
                if (mirror_)
                    out_.real(c, normalized(turn - (c == 50 ? end : start)));
                else
                    out_.real(c, normalized(real(t) + turn));
            } else if (rule->textAngle && c == 50) {
                out_.real(50, mirror_ ? real(t) : normalized(real(t) + turn));
            } else if (rule->insert && (c == 41 || c == 44)) {
                out_.real(c, real(t) * scale_);
            } else if (rule->insert && (c == 42 || c == 45)) {
                out_.real(c, real(t) * (mirror_ ? -scale_ : scale_));
            } else if (rule->insert && c == 50) {
                out_.real(50, normalized(mirror_ ? turn - angle : angle + turn));
            } else if (rule->dimension && c == 50) {
                out_.real(50, normalized(mirror_ ? turn - real(t) : real(t) + turn));
            } else if (rule->dimension && c == 53 && real(t) != 0) {
                // Its text keeps reading from left to right, as a text does.
                out_.real(53, mirror_ ? real(t) : normalized(real(t) + turn));
            } else if (measures && c == 42) {
                out_.real(42, real(t) * scale_); // what it measures
            } else if (rule->bulges && c == 42) {
                out_.real(42, mirror_ ? -real(t) : real(t));
            } else if (rule->ellipse && mirror_ && (c == 41 || c == 42) && !whole) {
                // Mirrored, the arc runs the other way round: from where it ended.
                out_.real(c, radiansFrom(-(c == 41 ? end : start)));
            } else {
                copy(t);
            }
        }
        return true;
    }

    // A hatch's groups mean what the part they are in says: its boundary paths (a polyline, or
    // edges: lines, arcs, elliptic arcs, splines), its pattern's lines and its seed points. A
    // placed hatch no longer follows the objects it was made from.
    bool placeHatch(std::span<const DxfTag> tags, const Affine &m, double turn)
    {
        enum class In { Head, Paths, Pattern, Seeds } in = In::Head;
        bool polylinePath = false;
        long edge = 0; // 1 line, 2 arc, 3 elliptic arc, 4 spline
        double arcStart = 0, arcStartWritten = 0;
        const auto vector = [&](Point p) { return Point{m.a * p.x + m.b * p.y, m.c * p.x + m.d * p.y}; };
        const auto angle = [&](double a) { return normalized(mirror_ ? turn - a : a + turn); };
        for (std::size_t k = 0; k < tags.size(); ++k) {
            const DxfTag &t = tags[k];
            const int c = t.code;
            if (c == 91 && in == In::Head) in = In::Paths;
            if (c == 75 && in == In::Paths) in = In::Pattern;
            if (c == 98) in = In::Seeds;
            if (in == In::Paths && c == 92) {
                polylinePath = (integer(t) & 2) != 0;
                edge = 0;
            }
            if (in == In::Paths && c == 72 && !polylinePath) {
                edge = integer(t);
                // Mirrored, an arc runs the other way round: its flag 73 tells which.
                if (mirror_ && (edge == 2 || edge == 3) && !edgeHas(tags, k + 1, 73)) return false;
            }
            const bool pair = k + 1 < tags.size() && tags[k + 1].code == c + 10;
            if (rewritten(tags, k, true)) continue;
            if (c == 71 && in == In::Head) {
                out_.integer(71, 0);
            } else if (c == 97 && in == In::Paths && !fitCount(tags, k, edge)) {
                // The objects it was made from stay where they are.
                out_.integer(97, 0);
                while (k + 1 < tags.size() && tags[k + 1].code == 330)
                    ++k;
            } else if (pair && ((in == In::Paths && c >= 10 && c <= 13) || (in == In::Seeds && c == 10))) {
                const Point p{real(t), real(tags[k + 1])};
                const bool direction = c == 12 || c == 13 || (c == 11 && edge == 3);
                const Point q = direction ? vector(p) : m(p);
                out_.real(c, q.x);
                out_.real(c + 10, q.y);
                ++k;
            } else if (in == In::Paths && c == 42 && polylinePath) {
                out_.real(42, mirror_ ? -real(t) : real(t));
            } else if (in == In::Paths && edge == 2 && c == 40) {
                out_.real(40, real(t) * scale_);
            } else if (in == In::Paths && edge == 2 && (c == 50 || c == 51)) {
                // A clockwise arc keeps its angles counted the other way round; a mirror turns
                // its direction, and so which way they are counted. A whole circle stays whole.
                const double turned = clockwise(tags, k) != mirror_ ? real(t) - turn : real(t) + turn;
                if (c == 51 && std::fabs(real(t) - arcStart) >= 360)
                    out_.real(51, arcStartWritten + (real(t) - arcStart));
                else
                    out_.real(c, normalized(turned));
                if (c == 50) arcStart = real(t), arcStartWritten = normalized(turned);
            } else if (in == In::Paths && (edge == 2 || edge == 3) && c == 73 && mirror_) {
                // An elliptic arc's angles are its own: mirrored, they stay, counted the other way.
                out_.integer(73, integer(t) == 0 ? 1 : 0);
            } else if (c == 460) {
                // A gradient's direction, in radians.
                out_.real(460, angle(real(t) * degreesPerRadian) / degreesPerRadian);
            } else if (in == In::Pattern && (c == 52 || c == 53)) {
                out_.real(c, angle(real(t)));
            } else if (in == In::Pattern && (c == 41 || c == 49)) {
                out_.real(c, real(t) * scale_);
            } else if (in == In::Pattern && (c == 43 || c == 45) && k + 1 < tags.size() &&
                       tags[k + 1].code == c + 1) {
                const Point p{real(t), real(tags[k + 1])};
                const Point q = c == 43 ? m(p) : vector(p);
                out_.real(c, q.x);
                out_.real(c + 1, q.y);
                ++k;
            } else {
                copy(t);
            }
        }
        return true;
    }

    // Whether group 97 at tags[k] counts a spline edge's fit points rather than the objects its
    // path was made from (which follow the path's last edge).
    static bool fitCount(std::span<const DxfTag> tags, std::size_t k, long edge)
    {
        if (edge != 4) return false;
        const int after = k + 1 < tags.size() ? tags[k + 1].code : 0;
        return after == 11 || after == 12 || after == 13 || after == 72 || after == 97;
    }

    // An angular dimension (its kind in group 70: 2 or 5).
    bool angular(std::span<const DxfTag> tags) const
    {
        for (const DxfTag &t : tags)
            if (t.code == 70) return (integer(t) & 7) == 2 || (integer(t) & 7) == 5;
        return false;
    }

    // Whether a dimension says the same placed: scaled, a length it measures grows, which only a
    // text of its own (no "<>" for the measure) or an angle survives; mirrored, an angle would
    // be measured the other way round and an ordinate from elsewhere.
    bool dimensionPlaceable(std::span<const DxfTag> tags) const
    {
        long kind = 0;
        std::string text;
        for (const DxfTag &t : tags) {
            if (t.code == 70) kind = integer(t) & 7;
            if (t.code == 1) text = t.trimmed;
        }
        const bool angle = kind == 2 || kind == 5;
        if (mirror_ && (angle || kind == 6)) return false;
        const bool ownText = !text.empty() && text != " " && text.find("<>") == std::string::npos;
        return std::fabs(scale_ - 1) <= 1e-12 || angle || ownText;
    }

    // Whether the edge whose groups run from tags[k] has a group `code`.
    static bool edgeHas(std::span<const DxfTag> tags, std::size_t k, int code)
    {
        for (; k < tags.size() && tags[k].code != 72 && tags[k].code != 92 && tags[k].code != 97; ++k)
            if (tags[k].code == code) return true;
        return false;
    }

    // Whether the arc edge whose group tags[k] is runs clockwise (its 73 is 0).
    bool clockwise(std::span<const DxfTag> tags, std::size_t k) const
    {
        for (; k < tags.size() && tags[k].code != 72 && tags[k].code != 92 && tags[k].code != 97; ++k)
            if (tags[k].code == 73) return integer(tags[k]) == 0;
        return false;
    }

    // A line's ends, an arc's centre, radius and angles, a polyline's vertices written as the
    // shape given has them.
    bool reshape(std::span<const DxfTag> tags)
    {
        const EntityView &e = *change_.shape;
        const std::string_view type = tags.front().trimmed;
        const bool line = type == "LINE" && e.type == Entity::Type::Line;
        for (const DxfTag &t : tags)
            if ((t.code == 210 || t.code == 220) && real(t) != 0) return false;
        if (type == "LWPOLYLINE" && e.type == Entity::Type::Polyline) return reshapePolyline(tags, e);
        const bool circle = type == "CIRCLE" && e.type == Entity::Type::Arc;
        if (!line && !circle && !(type == "ARC" && e.type == Entity::Type::Arc) &&
            !(type == "CIRCLE" && e.type == Entity::Type::Circle))
            return false;
        // A circle cut is an arc from then on: the same object (handle, XDATA, ties) of the other
        // kind, its angles after the circle's own groups.
        bool angles = !circle;
        const auto arcAngles = [&] {
            if (std::exchange(angles, true)) return;
            if (has(tags, 100)) out_.string(100, "AcDbArc");
            out_.real(50, e.startAngle);
            out_.real(51, e.endAngle);
        };
        for (std::size_t k = 0; k < tags.size(); ++k) {
            const DxfTag &t = tags[k];
            const int c = t.code;
            if (c >= 1000) arcAngles();
            if (rewritten(tags, k, true)) continue;
            if (circle && k == 0) {
                out_.string(0, "ARC");
            } else if ((c == 10 || (line && c == 11)) && k + 1 < tags.size() && tags[k + 1].code == c + 10) {
                const Point p = line ? (c == 10 ? e.a : e.b) : e.centre;
                out_.real(c, p.x);
                out_.real(c + 10, p.y);
                ++k;
            } else if (!line && c == 40) {
                out_.real(40, e.radius);
            } else if (!line && (c == 50 || c == 51)) {
                out_.real(c, c == 50 ? e.startAngle : e.endAngle);
            } else {
                copy(t);
            }
        }
        arcAngles();
        return true;
    }

    // The vertices (with bulges) and closing of a polyline cut to the shape `e` shows: those
    // shown, or where it has arcs (shown as chords), those traced along them.
    std::optional<std::pair<std::vector<PolylineTrace::Vertex>, bool>>
    shapedVertices(std::span<const DxfTag> tags, const EntityView &e) const
    {
        if (PolylineTrace trace(tags, [this](const DxfTag &t) { return real(t); }); trace.bulged())
            return trace.along(e.vertices, e.closed);
        std::vector<PolylineTrace::Vertex> vertices;
        for (const Point &p : e.vertices)
            vertices.push_back({p, 0});
        return std::pair{std::move(vertices), e.closed};
    }

    // A polyline's vertices, widths and closing as the shape given has them. Its arcs are shown
    // as chords: where it has arcs, the shape is followed along the polyline as the file has it
    // (PolylineTrace), its ends taken onto the arcs they lie on.
    bool reshapePolyline(std::span<const DxfTag> tags, const EntityView &e)
    {
        const auto shaped = shapedVertices(tags, e);
        if (!shaped) return false;
        const auto &[vertices, closed] = *shaped;
        const bool constant = e.startWidth == e.endWidth;
        bool written = false;
        for (std::size_t k = 0; k < tags.size(); ++k) {
            const DxfTag &t = tags[k];
            const int c = t.code;
            if (rewritten(tags, k, true)) continue;
            if (c == 90) {
                out_.integer(90, static_cast<std::int64_t>(vertices.size()));
            } else if (c == 70) {
                out_.integer(70, (integer(t) & ~1L) | (closed ? 1 : 0));
            } else if (c == 43) {
                continue; // written before the vertices, where it still holds
            } else if (c == 10 || c == 20 || c == 40 || c == 41 || c == 42 || c == 91) {
                if (std::exchange(written, true)) continue;
                if (constant && e.startWidth != 0) out_.real(43, e.startWidth);
                for (const auto &[p, bulge] : vertices) {
                    out_.real(10, p.x);
                    out_.real(20, p.y);
                    if (!constant) {
                        out_.real(40, e.startWidth);
                        out_.real(41, e.endWidth);
                    }
                    if (bulge != 0) out_.real(42, bulge);
                }
            } else {
                copy(t);
            }
        }
        return written;
    }

    // A POLYLINE (2D, as R12 writes them) cut: its own groups with the closing as the shape has
    // it, then a VERTEX for each vertex of the shape, those it had first (a copy's with new
    // handles), any more made after its last one with new handles, and its SEQEND.
    bool reshapeVertexPolyline(std::span<const DxfTag> tags)
    {
        const EntityView &e = *change_.shape;
        if (e.type != Entity::Type::Polyline) return false;
        std::vector<std::span<const DxfTag>> parts;
        for (std::size_t i = 0; i < tags.size();) {
            std::size_t j = i + 1;
            while (j < tags.size() && tags[j].code != 0)
                ++j;
            parts.push_back(tags.subspan(i, j - i));
            i = j;
        }
        const auto kind = [](std::span<const DxfTag> part) { return part.front().trimmed; };
        std::vector<std::span<const DxfTag>> vertexParts;
        for (const auto &part : parts) {
            for (const DxfTag &t : part)
                if (((t.code == 210 || t.code == 220) && real(t) != 0) ||
                    (t.code == 70 && (integer(t) & (kind(part) == "VERTEX" ? (1 | 2 | 8 | 16 | 64 | 128)
                                                                           : (2 | 4 | 8 | 16 | 64))) != 0))
                    return false; // off the plane, curve-fitted, 3D or a mesh
            if (kind(part) == "VERTEX") vertexParts.push_back(part);
        }
        if (parts.size() < 2 || vertexParts.empty() || kind(parts.back()) != "SEQEND" || !spare())
            return false;
        const auto shaped = shapedVertices(tags, e);
        if (!shaped) return false;
        const auto &[vertices, closed] = *shaped;
        const std::span<const DxfTag> head = parts.front();
        for (std::size_t k = 0; k < head.size(); ++k) {
            if (rewritten(head, k, true)) continue;
            if (head[k].code == 70)
                out_.integer(70, (integer(head[k]) & ~1L) | (closed ? 1 : 0));
            else
                copy(head[k]);
        }
        for (std::size_t v = 0; v < vertices.size(); ++v) {
            const bool fresh = v >= vertexParts.size();
            const std::span<const DxfTag> part = fresh ? vertexParts.back() : vertexParts[v];
            const auto &[p, bulge] = vertices[v];
            bool bulgeWritten = false;
            for (std::size_t k = 0; k < part.size(); ++k) {
                const int c = part[k].code;
                if (fresh && c == 5) {
                    out_.handle(5, (*spare())++);
                    continue;
                }
                if (rewritten(part, k, false)) continue;
                if (c == 10 && k + 1 < part.size() && part[k + 1].code == 20) {
                    out_.real(10, p.x);
                    out_.real(20, p.y);
                    ++k;
                    if (k + 1 < part.size() && part[k + 1].code == 30) copy(part[++k]);
                    if (bulge != 0) out_.real(42, bulge);
                    bulgeWritten = true;
                } else if (c != 42) {
                    copy(part[k]);
                }
            }
            if (!bulgeWritten) return false;
        }
        const std::span<const DxfTag> seqend = parts.back();
        for (std::size_t k = 0; k < seqend.size(); ++k)
            if (!rewritten(seqend, k, false)) copy(seqend[k]);
        return true;
    }

    // Where handles of parts an entity did not have come from: a copy's, or those given.
    std::uint64_t *spare() const { return next_ ? next_ : change_.spare; }

    // Groups written the same way whatever the kind: a copy's handles and ties, the colour and
    // the layer given. Whether tags[k] (and what it took with it) was written or left out.
    bool rewritten(std::span<const DxfTag> tags, std::size_t &k, bool head)
    {
        const int c = tags[k].code;
        if (next_ && drop(tags, k)) return true;
        if (next_ && c == 5) {
            const std::uint64_t h = (*next_)++;
            if (head) owner_ = h;
            out_.handle(5, h);
        } else if (next_ && c == 330 && !head && owner_ != 0) {
            out_.handle(330, owner_);
        } else if (c == 330 && head && change_.owner != 0) {
            out_.handle(330, change_.owner);
        } else if (head && change_.name && (c == 2 || (c == 3 && tags.front().trimmed == "BLOCK"))) {
            out_.string(c, *change_.name);
        } else if (c == 8 && change_.layer) {
            out_.string(8, *change_.layer);
            if (change_.color && !has(tags, 62)) out_.integer(62, *change_.color);
        } else if (c == 8 && change_.color && !has(tags, 62)) {
            copy(tags[k]);
            out_.integer(62, *change_.color);
        } else if (c == 62 && change_.color) {
            out_.integer(62, *change_.color);
        } else {
            return false;
        }
        return true;
    }

    static bool has(std::span<const DxfTag> tags, int code)
    {
        return std::any_of(tags.begin(), tags.end(), [&](const DxfTag &t) { return t.code == code; });
    }

    // An angle in radians within one turn.
    static double radiansFrom(double radians)
    {
        const double turn = 2 * std::numbers::pi;
        radians = std::fmod(radians, turn);
        return radians < 0 ? radians + turn : radians + 0.0; // never -0
    }

    // A copy is not tied to what the original is tied to: its extension dictionary and reactors.
    bool drop(std::span<const DxfTag> tags, std::size_t &k)
    {
        if (tags[k].code == 360) return true;
        if (tags[k].code != 102 || !tags[k].trimmed.starts_with("{")) return false;
        while (k + 1 < tags.size() && !(tags[k].code == 102 && tags[k].trimmed == "}"))
            ++k;
        return true;
    }

    void copy(const DxfTag &t) { out_.bytes().append(file_.substr(t.begin, t.end - t.begin)); }
    double real(const DxfTag &t) const { return std::strtod(dxfValueText(t, binary_).c_str(), nullptr); }
    long integer(const DxfTag &t) const { return std::strtol(dxfValueText(t, binary_).c_str(), nullptr, 10); }

    std::string_view file_;
    bool binary_;
    DxfTagWriter out_;
    Affine m_;
    const EntityChange &change_;
    std::uint64_t *next_;
    double scale_ = 1, turn_ = 0;
    bool mirror_ = false;
    std::uint64_t owner_ = 0;
};

std::vector<DxfTag> tagsOf(std::string_view file, DxfEntitySpan span)
{
    DxfTagScanner scanner(file);
    scanner.seek(span.begin);
    std::vector<DxfTag> tags;
    while (const auto t = scanner.next()) {
        if (t->begin >= span.end) break;
        tags.push_back(*t);
    }
    return tags;
}

} // namespace

std::optional<std::string> placedEntity(std::string_view file, DxfEntitySpan span,
                                        const DxfTagWriter::Form &form, const EntityChange &change,
                                        std::uint64_t *next)
{
    const std::vector<DxfTag> tags = tagsOf(file, span);
    PlacedEntityWriter writer(file, form, change, next);
    if (tags.empty() || tags.front().code != 0 || !writer.usable()) return std::nullopt;
    if (const std::optional<bool> whole = writer.placeWhole(tags)) {
        if (!*whole) return std::nullopt;
        return std::move(writer.bytes());
    }
    for (std::size_t i = 0; i < tags.size();) {
        std::size_t j = i + 1;
        while (j < tags.size() && tags[j].code != 0)
            ++j;
        if (!writer.place(std::span(tags).subspan(i, j - i), i == 0)) return std::nullopt;
        i = j;
    }
    return std::move(writer.bytes());
}

} // namespace cad
