#include "cad/dxf/DxfPlacement.h"

#include "cad/model/Angle.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <initializer_list>
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
    // A dimension: moved and turned with the block it draws itself with (DxfSource), never
    // copied (a copy needs a block of its own) nor scaled (it would measure anew).
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
        {10, 11, 12, 13, 14, 15, 16}, {}, {}, false, false, false, false, false, false, false, true};
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
        if (rule->dimension && (next_ || std::fabs(scale_ - 1) > 1e-12)) return false;
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
            } else if (rule->dimension && (c == 50 || (c == 53 && real(t) != 0))) {
                out_.real(c, normalized(real(t) + turn));
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
        const auto vector = [&](Point p) { return Point{m.a * p.x + m.b * p.y, m.c * p.x + m.d * p.y}; };
        const auto angle = [&](double a) { return normalized(mirror_ ? turn - a : a + turn); };
        for (std::size_t k = 0; k < tags.size(); ++k) {
            const DxfTag &t = tags[k];
            const int c = t.code;
            if (c == 450 && integer(t) != 0) return false; // a gradient's angle is not written here
            if (c == 91 && in == In::Head) in = In::Paths;
            if (c == 75 && in == In::Paths) in = In::Pattern;
            if (c == 98) in = In::Seeds;
            if (in == In::Paths && c == 92) {
                polylinePath = (integer(t) & 2) != 0;
                edge = 0;
            }
            if (in == In::Paths && c == 72 && !polylinePath) {
                edge = integer(t);
                if (mirror_ && edge != 1) return false; // curved edges would run the other way
            }
            const bool pair = k + 1 < tags.size() && tags[k + 1].code == c + 10;
            if (rewritten(tags, k, true)) continue;
            if (c == 71 && in == In::Head) {
                out_.integer(71, 0);
            } else if (c == 97 && in == In::Paths) {
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
                // A clockwise arc keeps its angles counted the other way round.
                out_.real(c, normalized(clockwise(tags, k) ? real(t) - turn : real(t) + turn));
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
        if (!line && !(type == "ARC" && e.type == Entity::Type::Arc)) return false;
        for (std::size_t k = 0; k < tags.size(); ++k) {
            const DxfTag &t = tags[k];
            const int c = t.code;
            if (rewritten(tags, k, true)) continue;
            if ((c == 10 || (line && c == 11)) && k + 1 < tags.size() && tags[k + 1].code == c + 10) {
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
        return true;
    }

    // A straight polyline's vertices, widths and closing as the shape given has them; its arcs
    // are shown as chords, so one with arcs is not written so.
    bool reshapePolyline(std::span<const DxfTag> tags, const EntityView &e)
    {
        for (const DxfTag &t : tags)
            if (t.code == 42 && real(t) != 0) return false;
        const bool constant = e.startWidth == e.endWidth;
        bool written = false;
        for (std::size_t k = 0; k < tags.size(); ++k) {
            const DxfTag &t = tags[k];
            const int c = t.code;
            if (rewritten(tags, k, true)) continue;
            if (c == 90) {
                out_.integer(90, static_cast<std::int64_t>(e.vertices.size()));
            } else if (c == 70) {
                out_.integer(70, (integer(t) & ~1L) | (e.closed ? 1 : 0));
            } else if (c == 43) {
                continue; // written before the vertices, where it still holds
            } else if (c == 10 || c == 20 || c == 40 || c == 41 || c == 42 || c == 91) {
                if (std::exchange(written, true)) continue;
                if (constant && e.startWidth != 0) out_.real(43, e.startWidth);
                for (const Point &p : e.vertices) {
                    out_.real(10, p.x);
                    out_.real(20, p.y);
                    if (constant) continue;
                    out_.real(40, e.startWidth);
                    out_.real(41, e.endWidth);
                }
            } else {
                copy(t);
            }
        }
        return written;
    }

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
