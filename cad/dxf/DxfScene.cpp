#include "cad/dxf/DxfScene.h"

#include "cad/dxf/tags/DxfText.h"
#include "cad/model/Angle.h"
#include "cad/model/Geometry.h"
#include "cad/model/Names.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace cad {

namespace {

constexpr double pi = std::numbers::pi;
// Nesting deeper than this is a loop of blocks, or a file made to hurt.
constexpr int deepest = 16;
// Entities drawn through blocks, and places a block is drawn at, at most each: a reference bomb
// stops here, also one of arrays of blocks that draw nothing. A fuzzing build stops far sooner:
// its inputs of a few hundred bytes need not draw millions to test the expansion, and each would
// take tens of seconds under the sanitizers.
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
constexpr std::size_t mostExpanded = 2'000;
#else
constexpr std::size_t mostExpanded = 5'000'000;
#endif

// A layer's name as UTF-8: \U+ escapes, which names hold as texts do, read.
std::string named(const std::string &name)
{
    if (name.empty()) return "0";
    return name.find("\\U+") != std::string::npos ? decodeDxfText(name) : name;
}

bool isModelSpace(const std::string &upper)
{
    return upper == "*MODEL_SPACE" || upper == "$MODEL_SPACE";
}

} // namespace

void DxfScene::layer(const std::string &name, int color, bool frozen, const std::string &linetype)
{
    Layer l;
    l.name = named(name);
    const int index = std::abs(color);
    l.color = index >= 1 && index <= 255 ? index : 7;
    l.on = color >= 0;
    l.frozen = frozen;
    layerLinetypes_[static_cast<std::uint32_t>(model_.defineLayer(l))] = upper(linetype);
    lastLayerValid_ = false;
}

void DxfScene::currentLayer(const std::string &name)
{
    model_.defineCurrentLayer(layerOf(name));
}

void DxfScene::linetype(const std::string &name, std::vector<double> pattern)
{
    // Only a pattern with a gap is worth drawing as one; at most a DXF file's dozen and a few.
    const bool sane = pattern.size() <= 64 &&
                      std::all_of(pattern.begin(), pattern.end(), [](double d) { return std::isfinite(d); });
    const bool gaps = std::any_of(pattern.begin(), pattern.end(), [](double d) { return d < 0; });
    double period = 0;
    for (const double d : pattern)
        period += std::fabs(d);
    if (sane && gaps && period > 0)
        linetypes_[upper(name)] = std::move(pattern);
    else
        linetypes_.erase(upper(name));
}

void DxfScene::setLinetypeScale(double scale)
{
    if (std::isfinite(scale) && scale > 0) linetypeScale_ = scale;
}

const DxfScene::Pattern *DxfScene::pattern(const LineStyle &style, std::uint32_t layer,
                                           const Pattern *byBlock) const
{
    if (linetypes_.empty() || style.linetype.empty()) return nullptr;
    const std::string name = upper(style.linetype);
    if (name == "BYBLOCK") return byBlock;
    const std::string *type = &name;
    if (name == "BYLAYER") {
        const auto l = layerLinetypes_.find(layer);
        if (l == layerLinetypes_.end()) return nullptr;
        type = &l->second;
    }
    const auto it = linetypes_.find(*type);
    return it == linetypes_.end() ? nullptr : &it->second;
}

void DxfScene::dash(Entity &e, const Pattern *pattern, double scale) const
{
    const bool lined = e.type == Entity::Type::Line || e.type == Entity::Type::Arc ||
                       e.type == Entity::Type::Circle || e.type == Entity::Type::Ellipse ||
                       e.type == Entity::Type::Polyline;
    const double factor = linetypeScale_ * (std::isfinite(scale) && scale > 0 ? scale : 1.0);
    e.dashes.clear();
    if (!pattern || !lined) return;
    for (const double d : *pattern)
        e.dashes.push_back(d * factor);
}

void DxfScene::beginBlock(const std::string &name, Point base)
{
    const std::string k = upper(name);
    if (isModelSpace(k)) {
        block_ = nullptr;
        return;
    }
    block_ = &blocks_[k];
    *block_ = Block{base, {}, {}};
}

std::uint32_t DxfScene::layerOf(const std::string &name)
{
    if (lastLayerValid_ && name == lastLayerName_) return lastLayer_;
    Layer l;
    l.name = named(name);
    const auto found = model_.findLayer(l.name);
    lastLayer_ = static_cast<std::uint32_t>(found ? *found : model_.defineLayer(l));
    lastLayerName_ = name;
    lastLayerValid_ = true;
    return lastLayer_;
}

bool DxfScene::hiddenLayer(std::uint32_t layer) const
{
    return !model_.layers()[layer].visible();
}

int DxfScene::blockColor(int color, std::uint32_t layer) const
{
    if (color != colorByLayer) return color;
    // Colour 7 is what ByLayer shows already (the contrasting colour).
    const int c = model_.layers()[layer].color;
    return c != 7 ? c : colorByLayer;
}

void DxfScene::add(Entity e, const std::string &layer, int color, const LineStyle &style)
{
    const std::uint32_t on = layerOf(layer);
    if (block_) {
        block_->entities.push_back({std::move(e), on, color, style});
        return;
    }
    if (hiddenLayer(on)) ++hidden_;
    e.color = color; // ByBlock outside a block stays as written
    e.layer = static_cast<std::int32_t>(on);
    dash(e, pattern(style, on, nullptr), style.scale); // and is continuous
    e.origin = Origin{from_, false, {}};
    model_.add(e);
}

void DxfScene::insert(const BlockRef &ref, const std::string &layer, int color, const LineStyle &style)
{
    const std::uint32_t on = layerOf(layer);
    if (block_) {
        block_->refs.push_back({ref, on, color, style});
        return;
    }
    if (hiddenLayer(on)) ++hidden_;
    expand(ref, Affine{}, on, blockColor(color, on), pattern(style, on, nullptr), 0);
}

// Draws a block at a reference. Entities on layer 0 take the reference's layer, ByBlock colours
// its colour, ByBlock line types its line type; a reference on a frozen layer gives all of them
// its layer, so that they are hidden with it.
void DxfScene::expand(const BlockRef &ref, const Affine &outer, std::uint32_t layer, int color,
                      const Pattern *byBlock, int depth)
{
    const auto it = blocks_.find(upper(ref.name));
    if (it == blocks_.end() || depth > deepest) return;
    const Block &block = it->second;
    const std::uint32_t zero = layerOf("0");
    const bool frozen = model_.layers()[layer].frozen;
    const auto placedOn = [&](std::uint32_t own) { return own == zero || frozen ? layer : own; };
    const double c = std::cos(ref.degrees * radiansPerDegree), s = std::sin(ref.degrees * radiansPerDegree);
    const int columns = std::clamp(ref.columns, 1, 1000), rows = std::clamp(ref.rows, 1, 1000);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            if (++placed_ > mostExpanded) return;
            const Point offset{column * ref.columnSpacing, row * ref.rowSpacing};
            // at + turn(offset + scale(p - base))
            const double ox = offset.x - ref.sx * block.base.x, oy = offset.y - ref.sy * block.base.y;
            const Affine local{c * ref.sx,
                               -s * ref.sy,
                               s * ref.sx,
                               c * ref.sy,
                               ref.at.x + c * ox - s * oy,
                               ref.at.y + s * ox + c * oy};
            const Affine m = local.then(outer);
            for (const Placed &p : block.entities) {
                if (++expanded_ > mostExpanded) return;
                const std::uint32_t on = placedOn(p.layer);
                const Pattern *dashes = pattern(p.style, on, byBlock);
                if (!dashes && p.entity.dashes.empty()) {
                    addTransformed(p.entity, m, p.color == 0 ? color : p.color, on);
                } else {
                    Entity e = p.entity;
                    dash(e, dashes, p.style.scale);
                    addTransformed(e, m, p.color == 0 ? color : p.color, on);
                }
            }
            for (const PlacedRef &r : block.refs) {
                const std::uint32_t on = placedOn(r.layer);
                expand(r.ref, m, on, r.color == 0 ? color : blockColor(r.color, on),
                       pattern(r.style, on, byBlock), depth + 1);
            }
        }
    }
}

void DxfScene::addTransformed(const Entity &source, const Affine &m, int color, std::uint32_t layer)
{
    Entity e = source;
    e.color = color;
    e.layer = static_cast<std::int32_t>(layer);
    e.origin = Origin{from_, false, {}};
    const double det = m.a * m.d - m.b * m.c;
    const double scale = std::sqrt(std::fabs(det));
    const bool similar = std::fabs(std::hypot(m.a, m.c) - std::hypot(m.b, m.d)) <= 1e-9 * (1 + scale) &&
                         std::fabs(m.a * m.b + m.c * m.d) <= 1e-9 * (1 + scale * scale);
    for (double &d : e.dashes)
        d *= scale;
    const auto curve = [&](Point centre, Point u, Point v, double t0, double t1, bool closed) {
        Entity p;
        p.type = Entity::Type::Polyline;
        p.color = color;
        p.layer = static_cast<std::int32_t>(layer);
        p.vertices = curvePoints(m(centre), m.linear(u), m.linear(v), t0, t1);
        p.closed = closed;
        p.dashes = e.dashes;
        p.origin = e.origin;
        model_.add(p);
    };
    switch (e.type) {
    case Entity::Type::Line:
    case Entity::Type::Ray:
        e.a = m(e.a);
        e.b = m(e.b);
        break;
    case Entity::Type::Polyline:
    case Entity::Type::Fill:
        for (Point &p : e.vertices)
            p = m(p);
        e.startWidth *= scale;
        e.endWidth *= scale;
        break;
    case Entity::Type::Text: {
        // The text's up direction, turned and scaled with the block, sets its height and angle
        // (its baseline runs a right angle clockwise from it); a mirror mirrors the text.
        const double r = e.rotation * radiansPerDegree;
        const Point up = m.linear({-std::sin(r), std::cos(r)});
        e.insert = m(e.insert);
        e.height *= std::hypot(up.x, up.y);
        e.rotation = normalizedDegrees(std::atan2(up.y, up.x) / radiansPerDegree - 90);
        e.mirrored = e.mirrored != (det < 0);
        break;
    }
    case Entity::Type::Circle:
        if (!similar) return curve(e.centre, {e.radius, 0}, {0, e.radius}, 0, 2 * pi, true);
        e.centre = m(e.centre);
        e.radius *= scale;
        break;
    case Entity::Type::Arc: {
        double t0 = e.startAngle * radiansPerDegree, t1 = e.endAngle * radiansPerDegree;
        if (t1 <= t0) t1 += 2 * pi;
        if (!similar) return curve(e.centre, {e.radius, 0}, {0, e.radius}, t0, t1, false);
        const Point from = m(polar(e.centre, e.radius, e.startAngle)),
                    to = m(polar(e.centre, e.radius, e.endAngle));
        e.centre = m(e.centre);
        e.radius *= scale;
        // A mirror turns the arc's direction: it now runs from where it ended.
        e.startAngle = normalizedDegrees(angleOf(e.centre, det < 0 ? to : from));
        e.endAngle = normalizedDegrees(angleOf(e.centre, det < 0 ? from : to));
        break;
    }
    case Entity::Type::Ellipse:
        if (!similar) {
            const Point minor{-e.majorAxis.y * e.ratio, e.majorAxis.x * e.ratio};
            return curve(e.centre, e.majorAxis, minor, 0, 2 * pi, true);
        }
        e.centre = m(e.centre);
        e.majorAxis = m.linear(e.majorAxis);
        break;
    }
    model_.add(e);
}

std::vector<Point> curvePoints(Point centre, Point u, Point v, double t0, double t1)
{
    std::vector<Point> points;
    if (!std::isfinite(t0) || !std::isfinite(t1)) return points;
    // Clamped before it becomes an int: parameters far apart (1e21) are beyond any int.
    const int steps = static_cast<int>(std::clamp(std::ceil(std::fabs(t1 - t0) / (2 * pi) * 72), 2.0, 288.0));
    for (int i = 0; i <= steps; ++i) {
        const double t = t0 + (t1 - t0) * i / steps;
        points.push_back({centre.x + u.x * std::cos(t) + v.x * std::sin(t),
                          centre.y + u.y * std::cos(t) + v.y * std::sin(t)});
    }
    return points;
}

std::vector<Point> bulgePoints(Point from, Point to, double bulge)
{
    const double chord = distance(from, to);
    if (bulge == 0 || !std::isfinite(bulge) || chord == 0) return {to};
    const double sweep = 4 * std::atan(bulge);
    const double radius = chord / (2 * std::sin(std::fabs(sweep) / 2));
    // The centre lies off the chord's middle, to the left for a counter-clockwise bulge.
    const Point mid{(from.x + to.x) / 2, (from.y + to.y) / 2};
    const double off = radius * std::cos(sweep / 2) * (bulge > 0 ? 1 : -1);
    const Point left{-(to.y - from.y) / chord, (to.x - from.x) / chord};
    const Point centre{mid.x + left.x * off, mid.y + left.y * off};
    const double t0 = std::atan2(from.y - centre.y, from.x - centre.x);
    std::vector<Point> points = curvePoints(centre, {radius, 0}, {0, radius}, t0, t0 + sweep);
    // A bulge too small for its chord makes a radius beyond any double: the chord is drawn.
    const auto finite = [](Point p) { return std::isfinite(p.x) && std::isfinite(p.y); };
    if (points.size() < 2 || !std::all_of(points.begin(), points.end(), finite)) return {to};
    points.erase(points.begin());
    points.back() = to;
    return points;
}

std::vector<Point> splinePoints(int degree, std::span<const Point> control, std::span<const double> knots,
                                std::span<const double> weights)
{
    const std::size_t n = control.size();
    const auto p = static_cast<std::size_t>(std::max(degree, 1));
    if (n <= p || knots.size() != n + p + 1) return {control.begin(), control.end()};
    const double lo = knots[p], hi = knots[n];
    if (!(hi > lo)) return {control.begin(), control.end()};
    const auto weight = [&](std::size_t i) {
        return weights.size() == n && weights[i] > 0 ? weights[i] : 1.0;
    };
    std::vector<Point> points;
    const std::size_t steps = std::min<std::size_t>(n * 8, 4000);
    for (std::size_t k = 0; k <= steps; ++k) {
        const double t = lo + (hi - lo) * static_cast<double>(k) / static_cast<double>(steps);
        std::size_t span = p;
        while (span + 1 < n && knots[span + 1] <= t)
            ++span;
        // de Boor in homogeneous coordinates.
        std::vector<double> x(p + 1), y(p + 1), w(p + 1);
        for (std::size_t j = 0; j <= p; ++j) {
            const std::size_t i = span - p + j;
            w[j] = weight(i);
            x[j] = control[i].x * w[j];
            y[j] = control[i].y * w[j];
        }
        for (std::size_t r = 1; r <= p; ++r) {
            for (std::size_t j = p; j >= r; --j) {
                const std::size_t i = span - p + j;
                const double span_ = knots[i + p + 1 - r] - knots[i];
                const double a = span_ > 0 ? (t - knots[i]) / span_ : 0;
                x[j] = (1 - a) * x[j - 1] + a * x[j];
                y[j] = (1 - a) * y[j - 1] + a * y[j];
                w[j] = (1 - a) * w[j - 1] + a * w[j];
            }
        }
        if (w[p] != 0) points.push_back({x[p] / w[p], y[p] / w[p]});
    }
    return points;
}

std::vector<Point> fitPointCurve(std::span<const Point> fit)
{
    if (fit.size() < 3) return {fit.begin(), fit.end()};
    // Catmull-Rom: each span leaves and reaches its points along the line of their neighbours.
    std::vector<Point> points{fit.front()};
    constexpr int steps = 16;
    for (std::size_t i = 0; i + 1 < fit.size(); ++i) {
        const Point p0 = fit[i > 0 ? i - 1 : i], p1 = fit[i], p2 = fit[i + 1],
                    p3 = fit[i + 2 < fit.size() ? i + 2 : i + 1];
        for (int k = 1; k <= steps; ++k) {
            const double t = static_cast<double>(k) / steps, t2 = t * t, t3 = t2 * t;
            const auto at = [&](double a, double b, double c, double d) {
                return 0.5 * (2 * b + (-a + c) * t + (2 * a - 5 * b + 4 * c - d) * t2 +
                              (-a + 3 * b - 3 * c + d) * t3);
            };
            points.push_back({at(p0.x, p1.x, p2.x, p3.x), at(p0.y, p1.y, p2.y, p3.y)});
        }
    }
    return points;
}

std::optional<std::vector<std::pair<Point, Point>>>
hatchPattern(std::span<const HatchLine> lines, std::span<const std::vector<Point>> loops, std::size_t most)
{
    std::vector<std::pair<Point, Point>> pieces;
    std::size_t edges = 0;
    for (const auto &loop : loops)
        edges += loop.size();
    if (edges < 3) return pieces;
    // Each line is cut with every edge: beyond this much work the pattern is not drawn.
    constexpr double mostCuts = 1e7;
    std::vector<double> cuts;
    for (const HatchLine &h : lines) {
        const double a = h.angle * radiansPerDegree;
        const Point u{std::cos(a), std::sin(a)}, n{-u.y, u.x};
        const auto along = [&u](Point p) { return p.x * u.x + p.y * u.y; };
        const auto across = [&n](Point p) { return p.x * n.x + p.y * n.y; };
        const double step = across(h.offset);
        double period = 0;
        bool ink = h.dashes.empty();
        for (const double d : h.dashes) {
            period += std::fabs(d);
            ink = ink || d >= 0;
        }
        if (!ink || !std::isfinite(step) || !std::isfinite(period) || !(std::fabs(step) > 0) ||
            !std::isfinite(across(h.base)) || !std::isfinite(along(h.base)) ||
            !std::isfinite(along(h.offset)))
            continue;
        if (!h.dashes.empty() && !(period > 0)) continue;
        double low = INFINITY, high = -INFINITY;
        for (const auto &loop : loops)
            for (const Point &p : loop) {
                low = std::min(low, across(p));
                high = std::max(high, across(p));
            }
        const double k0 = (low - across(h.base)) / step, k1 = (high - across(h.base)) / step;
        const double first = std::ceil(std::min(k0, k1)), last = std::floor(std::max(k0, k1));
        if (!(last - first < static_cast<double>(most)) ||
            (last - first + 1) * static_cast<double>(edges) > mostCuts)
            return std::nullopt;
        const auto count = static_cast<std::size_t>(std::max(0.0, last - first + 1));
        for (std::size_t line = 0; line < count; ++line) {
            const double k = first + static_cast<double>(line);
            const Point origin = h.base + h.offset * k;
            const double level = across(origin), start = along(origin);
            // Where the line crosses the loops, as distances along it from its origin; a vertex on
            // the line counts on one side only.
            cuts.clear();
            for (const auto &loop : loops)
                for (std::size_t i = 0; i < loop.size(); ++i) {
                    const Point p = loop[i], q = loop[(i + 1) % loop.size()];
                    const double pn = across(p) - level, qn = across(q) - level;
                    if ((pn > 0) == (qn > 0)) continue;
                    const double f = pn / (pn - qn);
                    cuts.push_back(along(lerp(p, q, f)) - start);
                }
            std::sort(cuts.begin(), cuts.end());
            const auto at = [&](double t) { return origin + u * t; };
            for (std::size_t i = 0; i + 1 < cuts.size(); i += 2) {
                const double t0 = cuts[i], t1 = cuts[i + 1];
                if (h.dashes.empty()) {
                    pieces.emplace_back(at(t0), at(t1));
                } else {
                    double pos = std::floor(t0 / period) * period;
                    if (!(pos + period > pos)) return std::nullopt; // too fine to step through
                    for (std::size_t j = 0; pos <= t1; j = (j + 1) % h.dashes.size()) {
                        const double d = h.dashes[j], next = pos + std::fabs(d);
                        if (d > 0 && next > t0 && pos < t1)
                            pieces.emplace_back(at(std::max(pos, t0)), at(std::min(next, t1)));
                        else if (d == 0 && pos >= t0)
                            pieces.emplace_back(at(pos), at(pos));
                        if (pieces.size() > most) return std::nullopt;
                        pos = next;
                    }
                }
                if (pieces.size() > most) return std::nullopt;
            }
        }
    }
    return pieces;
}

namespace {

// MTEXT's inline codes out: \P ends a paragraph (a new line here), \S stacks a fraction (shown as
// a/b), {} group, \~ is a hard space, \\ \{ \} stand for themselves, the other codes (\f...; \H...;
// \C...; \L \l \O \o \K \k and the like) only format.
std::vector<std::string> mtextParagraphs(std::string_view text)
{
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (ch == '{' || ch == '}') continue;
        if (ch != '\\' || i + 1 >= text.size()) {
            lines.back() += ch;
            continue;
        }
        const char code = text[++i];
        if (code == 'P' || code == 'X') {
            lines.emplace_back();
        } else if (code == '~') {
            lines.back() += ' ';
        } else if (code == '\\' || code == '{' || code == '}') {
            lines.back() += code;
        } else if (code == 'S') {
            const std::size_t end = text.find(';', i);
            std::string stacked(text.substr(i + 1, end == std::string_view::npos ? 0 : end - i - 1));
            std::replace_if(
                stacked.begin(), stacked.end(), [](char c) { return c == '^' || c == '#'; }, '/');
            lines.back() += stacked;
            i = end == std::string_view::npos ? text.size() : end;
        } else if (std::string_view("fFHhCcTtQqWwAapi").find(code) != std::string_view::npos) {
            const std::size_t end = text.find(';', i);
            i = end == std::string_view::npos ? text.size() : end;
        }
    }
    return lines;
}

} // namespace

std::vector<Entity> mtextLines(std::string_view text, Point insert, double height, double degrees,
                               int attachment, double spacing)
{
    const std::vector<std::string> paragraphs = mtextParagraphs(text);
    const double pitch = height * 5.0 / 3.0 * (spacing > 0 ? spacing : 1.0);
    const int ap = std::clamp(attachment, 1, 9) - 1;
    const int column = ap % 3, row = ap / 3;
    const double total = pitch * static_cast<double>(paragraphs.size() - 1) + height;
    // The top of the first line, below the insertion point by where it attaches.
    const double top = row == 0 ? 0 : row == 1 ? total / 2 : total;
    const double c = std::cos(degrees * radiansPerDegree), s = std::sin(degrees * radiansPerDegree);
    std::vector<Entity> lines;
    for (std::size_t i = 0; i < paragraphs.size(); ++i) {
        if (paragraphs[i].empty()) continue;
        Entity e;
        e.type = Entity::Type::Text;
        e.text = paragraphs[i];
        e.height = height;
        const double width = bounds(e).width();
        const double dx = column == 0 ? width / 2 : column == 1 ? 0 : -width / 2;
        const double dy = top - pitch * static_cast<double>(i) - height / 2;
        e.insert = {insert.x + dx * c - dy * s, insert.y + dx * s + dy * c};
        e.rotation = normalizedDegrees(degrees);
        lines.push_back(std::move(e));
    }
    return lines;
}

} // namespace cad
