#include "cad/DxfScene.h"

#include "cad/Geometry.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numbers>

namespace cad {

namespace {

constexpr double pi = std::numbers::pi;
constexpr double degree = pi / 180.0;
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

std::string key(std::string name)
{
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return name;
}

bool isModelSpace(const std::string &upper)
{
    return upper == "*MODEL_SPACE" || upper == "$MODEL_SPACE";
}

} // namespace

DxfScene::Affine DxfScene::Affine::operator*(const Affine &o) const
{
    return {a * o.a + b * o.c, a * o.b + b * o.d, c * o.a + d * o.c,
            c * o.b + d * o.d, a * o.tx + b * o.ty + tx, c * o.tx + d * o.ty + ty};
}

void DxfScene::layer(const std::string &name, int color, bool frozen)
{
    layers_[key(name)] = Layer{std::abs(color) % 257, frozen || color < 0};
}

void DxfScene::beginBlock(const std::string &name, Point base)
{
    const std::string k = key(name);
    if (isModelSpace(k)) {
        block_ = nullptr;
        return;
    }
    block_ = &blocks_[k];
    *block_ = Block{base, {}, {}};
}

const DxfScene::Layer *DxfScene::find(const std::string &layer) const
{
    const auto it = layers_.find(key(layer));
    return it == layers_.end() ? nullptr : &it->second;
}

bool DxfScene::hiddenLayer(const std::string &layer) const
{
    const Layer *l = find(layer);
    return l && l->hidden;
}

int DxfScene::resolved(int color, const std::string &layer, int byBlock) const
{
    if (color == 0) return byBlock;
    if (color != colorByLayer) return color;
    // Colour 7 is what ByLayer shows already (the contrasting colour).
    const Layer *l = find(layer);
    return l && l->color != 7 ? l->color : colorByLayer;
}

void DxfScene::add(Entity e, const std::string &layer, int color)
{
    if (block_) {
        block_->entities.push_back({std::move(e), layer, color});
        return;
    }
    if (hiddenLayer(layer)) {
        ++hidden_;
        return;
    }
    e.color = resolved(color, layer, 0); // ByBlock outside a block stays as written
    model_.add(e);
}

void DxfScene::insert(const BlockRef &ref, const std::string &layer, int color)
{
    if (block_) {
        block_->refs.push_back({ref, layer, color});
        return;
    }
    if (hiddenLayer(layer)) {
        ++hidden_;
        return;
    }
    expand(ref, Affine{}, layer, resolved(color, layer, 0), 0);
}

// Draws a block at a reference. Entities on layer 0 take the reference's layer, ByBlock colours
// its colour.
void DxfScene::expand(const BlockRef &ref, const Affine &outer, const std::string &layer, int color, int depth)
{
    const auto it = blocks_.find(key(ref.name));
    if (it == blocks_.end() || depth > deepest) return;
    const Block &block = it->second;
    const double c = std::cos(ref.degrees * degree), s = std::sin(ref.degrees * degree);
    const int columns = std::clamp(ref.columns, 1, 1000), rows = std::clamp(ref.rows, 1, 1000);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            if (++placed_ > mostExpanded) return;
            const Point offset{column * ref.columnSpacing, row * ref.rowSpacing};
            // at + turn(offset + scale(p - base))
            const double ox = offset.x - ref.sx * block.base.x, oy = offset.y - ref.sy * block.base.y;
            const Affine local{c * ref.sx,          -s * ref.sy,         s * ref.sx, c * ref.sy,
                               ref.at.x + c * ox - s * oy, ref.at.y + s * ox + c * oy};
            const Affine m = outer * local;
            for (const Placed &p : block.entities) {
                const std::string &on = p.layer == "0" ? layer : p.layer;
                if (hiddenLayer(on)) continue;
                if (++expanded_ > mostExpanded) return;
                addTransformed(p.entity, m, resolved(p.color, on, color));
            }
            for (const PlacedRef &r : block.refs) {
                const std::string &on = r.layer == "0" ? layer : r.layer;
                if (!hiddenLayer(on)) expand(r.ref, m, on, resolved(r.color, on, color), depth + 1);
            }
        }
    }
}

void DxfScene::addTransformed(const Entity &source, const Affine &m, int color)
{
    Entity e = source;
    e.color = color;
    const double det = m.a * m.d - m.b * m.c;
    const double scale = std::sqrt(std::fabs(det));
    const bool similar = std::fabs(std::hypot(m.a, m.c) - std::hypot(m.b, m.d)) <= 1e-9 * (1 + scale) &&
                         std::fabs(m.a * m.b + m.c * m.d) <= 1e-9 * (1 + scale * scale);
    const auto curve = [&](Point centre, Point u, Point v, double t0, double t1, bool closed) {
        Entity p;
        p.type = Entity::Type::Polyline;
        p.color = color;
        p.vertices = curvePoints(m(centre), m.linear(u), m.linear(v), t0, t1);
        p.closed = closed;
        model_.add(p);
    };
    switch (e.type) {
    case Entity::Type::Line:
        e.a = m(e.a);
        e.b = m(e.b);
        break;
    case Entity::Type::Polyline:
        for (Point &p : e.vertices)
            p = m(p);
        e.startWidth *= scale;
        e.endWidth *= scale;
        break;
    case Entity::Type::Text:
        e.insert = m(e.insert);
        e.height *= std::hypot(m.b, m.d);
        e.rotation = normalizedDegrees(e.rotation + std::atan2(m.c, m.a) / degree);
        break;
    case Entity::Type::Circle:
        if (!similar) return curve(e.centre, {e.radius, 0}, {0, e.radius}, 0, 2 * pi, true);
        e.centre = m(e.centre);
        e.radius *= scale;
        break;
    case Entity::Type::Arc: {
        double t0 = e.startAngle * degree, t1 = e.endAngle * degree;
        if (t1 <= t0) t1 += 2 * pi;
        if (!similar) return curve(e.centre, {e.radius, 0}, {0, e.radius}, t0, t1, false);
        const Point from = m(polar(e.centre, e.radius, e.startAngle)), to = m(polar(e.centre, e.radius, e.endAngle));
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
    const int steps = std::clamp(static_cast<int>(std::ceil(std::fabs(t1 - t0) / (2 * pi) * 72)), 2, 288);
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
    const auto weight = [&](std::size_t i) { return weights.size() == n && weights[i] > 0 ? weights[i] : 1.0; };
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
                return 0.5 * (2 * b + (-a + c) * t + (2 * a - 5 * b + 4 * c - d) * t2 + (-a + 3 * b - 3 * c + d) * t3);
            };
            points.push_back({at(p0.x, p1.x, p2.x, p3.x), at(p0.y, p1.y, p2.y, p3.y)});
        }
    }
    return points;
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
            std::replace_if(stacked.begin(), stacked.end(), [](char c) { return c == '^' || c == '#'; }, '/');
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
    const double c = std::cos(degrees * degree), s = std::sin(degrees * degree);
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
