#include "cad/render/Render.h"

#include "cad/model/Angle.h"
#include "cad/model/Geometry.h"
#include "cad/model/kinds/Kinds.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <array>
#include <cmath>

namespace cad {

namespace {

// Above this radius in pixels, arcs and circles are drawn as clipped segments: the raster
// engine's own arcs lose precision there.
constexpr double largeRadius = 20000;
// A line type whose pattern repeats in fewer pixels than this is drawn continuous: its dashes
// could not be told apart, and drawing them would only cost time.
constexpr double shortestPattern = 4;

QColor hueColor(int index)
{
    const int hue = (index / 10 - 1) * 15;
    const int sub = index % 10;
    static constexpr std::array<double, 5> value{1.0, 0.8, 0.6, 0.5, 0.3};
    const double v = value[static_cast<std::size_t>(sub / 2)];
    const double saturation = sub % 2 == 0 ? 1.0 : 0.5;
    return QColor::fromHsvF(static_cast<float>(hue / 360.0), static_cast<float>(saturation),
                            static_cast<float>(v));
}

// Liang-Barsky for the line a + t d: narrows [t0, t1] to the part inside the rectangle; false
// when nothing of it is inside.
bool clipRange(QPointF a, QPointF d, const QRectF &r, double &t0, double &t1)
{
    const double p[4] = {-d.x(), d.x(), -d.y(), d.y()};
    const double q[4] = {a.x() - r.left(), r.right() - a.x(), a.y() - r.top(), r.bottom() - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1) return false;
    }
    return true;
}

// Cuts the segment to the rectangle; false when nothing of it is inside.
bool clipLine(QPointF &a, QPointF &b, const QRectF &r)
{
    const QPointF start = a, d = b - a;
    double t0 = 0, t1 = 1;
    if (!clipRange(start, d, r, t0, t1)) return false;
    if (t1 < 1) b = start + t1 * d;
    if (t0 > 0) a = start + t0 * d;
    return true;
}

// Draws entities with one view: thin lines are gathered per colour and drawn in batches.
class EntityPainter
{
public:
    EntityPainter(QPainter &painter, const QRectF &target, const ViewTransform &view,
                  const RenderStyle &style)
        : painter_(painter), target_(target), view_(view), style_(style), clip_(target.adjusted(-4, -4, 4, 4))
    {
        raster_ = painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Raster &&
                  target.width() * target.height() <= 16e6 && painter.transform().isIdentity();
        cx_ = target.center().x() - view.centre.x * view.scale;
        cy_ = target.center().y() + view.centre.y * view.scale;
    }

    void draw(const EntityView &e)
    {
        visitKind(e.type, [&](auto kind) {
            using K = decltype(kind);
            if constexpr (requires { K::paintDashed(e, *this); })
                if (!e.dashes.empty() && patternShows(e.dashes) && K::paintDashed(e, *this)) return;
            K::paint(e, *this);
        });
    }

    // The primitives the kinds paint with (cad/model/kinds), in drawing coordinates.

    // A point: a small cross, the same at every zoom.
    void point(Point p, int color) { mark(dev(p), color); }
    void line(Point a, Point b, int color) { deviceLine(dev(a), dev(b), color); }

    // The end: what is gathered, and the layer of single pixels over it.
    void finish()
    {
        flush();
        if (!dots_.isNull()) {
            painter_.drawImage(dotsOrigin_, dots_);
            dots_ = QImage();
        }
    }

    void flush()
    {
        for (std::size_t c = 0; c < batches_.size(); ++c) {
            Batch &b = batches_[c];
            if (b.lines.empty() && b.dots.empty()) continue;
            painter_.setPen(pen(colorOf(static_cast<int>(c), style_)));
            if (!b.lines.empty()) painter_.drawLines(b.lines.data(), static_cast<int>(b.lines.size()));
            if (!b.dots.empty()) painter_.drawPoints(b.dots.data(), static_cast<int>(b.dots.size()));
            b.lines.clear();
            b.dots.clear();
        }
    }

private:
    struct Batch
    {
        std::vector<QLineF> lines;
        std::vector<QPointF> dots;
    };

    QPointF dev(Point p) const { return {p.x * view_.scale + cx_, cy_ - p.y * view_.scale}; }

    Batch &batch(int color) { return batches_[static_cast<std::size_t>(std::clamp(color, 0, colorByLayer))]; }

    void deviceLine(QPointF a, QPointF b, int color)
    {
        if (std::fabs(a.x() - b.x()) < 0.7 && std::fabs(a.y() - b.y()) < 0.7) {
            dot(a, color);
            return;
        }
        if (!clipLine(a, b, clip_)) return;
        Batch &bt = batch(color);
        bt.lines.emplace_back(a, b);
        if (bt.lines.size() >= 8192) flush();
    }

public:
    // Whether an entity is done with by its outline alone: off screen, or so small that a pixel
    // or a few (a short line) show it. Only the others need to be read and drawn.
    // Before passOrSketch(): makes the layer the sketches go into.
    void prepareSketches()
    {
        if (raster_) ensureDots();
    }

    bool passOrSketch(const Drawing::Outline &o)
    {
        const double s = view_.scale;
        const double x0 = o.x0 * s + cx_, x1 = o.x1 * s + cx_, y0 = cy_ - o.y1 * s, y1 = cy_ - o.y0 * s;
        if (x1 < clip_.left() || x0 > clip_.right() || y1 < clip_.top() || y0 > clip_.bottom()) return true;
        if (!raster_) return false;
        const double w = x1 - x0, h = y1 - y0;
        const bool tiny = w < 1 && h < 1;
        const bool line = o.type == Entity::Type::Line;
        if (!tiny && (line ? (w > 6 || h > 6) : (w > 3 || h > 3))) return false;
        const QRgb c = dotColor(o.color);
        const double ox = dotsOrigin_.x(), oy = dotsOrigin_.y();
        if (tiny) {
            const int x = static_cast<int>((x0 + x1) / 2 - ox), y = static_cast<int>((y0 + y1) / 2 - oy);
            // A point is a small mark; a mask this small hides nothing one could see.
            if (line && o.falling == Drawing::Outline::point)
                markPixels(x, y, c);
            else if (o.color != colorBackground)
                pixel(x, y, c);
            return true;
        }
        if (!line) {
            if (o.color == colorBackground) return true;
            // A few pixels across: the rim of its box is all that can be seen of it.
            const int l = static_cast<int>(x0 - ox), r = static_cast<int>(x1 - ox);
            const int t = static_cast<int>(y0 - oy), b = static_cast<int>(y1 - oy);
            for (int x = l; x <= r; ++x) {
                pixel(x, t, c);
                pixel(x, b, c);
            }
            for (int y = t + 1; y < b; ++y) {
                pixel(l, y, c);
                pixel(r, y, c);
            }
            return true;
        }
        // A short line, read from its outline: its few pixels, stepped along the longer axis.
        // (On screen y grows downwards, so a rising line runs from (x0, y1) to (x1, y0).)
        const double ax = x0 - ox, bx = x1 - ox;
        const double ay = (o.falling ? y0 : y1) - oy, by = (o.falling ? y1 : y0) - oy;
        const int steps = static_cast<int>(std::max(w, h)) + 1;
        const double inverse = 1.0 / steps;
        const double sx = (bx - ax) * inverse, sy = (by - ay) * inverse;
        for (int k = 0; k <= steps; ++k)
            pixel(static_cast<int>(ax + sx * k), static_cast<int>(ay + sy * k), c);
        return true;
    }

private:
    // Entities smaller than a pixel: on a raster device, one pixel set straight into a layer
    // that is laid over the drawing at the end, which is far quicker than a point per entity.
    void dot(QPointF p, int color)
    {
        if (!raster_) {
            if (clip_.contains(p)) batch(color).dots.push_back(p);
            return;
        }
        ensureDots();
        pixel(static_cast<int>(std::floor(p.x())) - dotsOrigin_.x(),
              static_cast<int>(std::floor(p.y())) - dotsOrigin_.y(), dotColor(color));
    }

    inline void ensureDots()
    {
        if (!dots_.isNull()) return;
        dotsOrigin_ = target_.topLeft().toPoint();
        dots_ = QImage(target_.size().toSize(), QImage::Format_ARGB32_Premultiplied);
        dots_.fill(Qt::transparent);
        bits_ = reinterpret_cast<QRgb *>(dots_.bits());
        stride_ = dots_.bytesPerLine() / 4;
        dotsWidth_ = dots_.width();
        dotsHeight_ = dots_.height();
    }

    QRgb dotColor(int color)
    {
        const auto c = static_cast<std::size_t>(std::clamp(color, 0, colorByLayer));
        if (dotColors_[c] == 0) dotColors_[c] = colorOf(color, style_).rgba() | 0xff000000u;
        return dotColors_[c];
    }

    void pixel(int x, int y, QRgb c)
    {
        if (static_cast<unsigned>(x) < static_cast<unsigned>(dotsWidth_) &&
            static_cast<unsigned>(y) < static_cast<unsigned>(dotsHeight_))
            bits_[static_cast<std::ptrdiff_t>(y) * stride_ + x] = c;
    }

    // A point: a small cross, the same at every zoom.
    void mark(QPointF p, int color)
    {
        if (!clip_.contains(p)) return;
        if (raster_) {
            ensureDots();
            markPixels(static_cast<int>(std::floor(p.x())) - dotsOrigin_.x(),
                       static_cast<int>(std::floor(p.y())) - dotsOrigin_.y(), dotColor(color));
            return;
        }
        Batch &bt = batch(color);
        bt.lines.emplace_back(p - QPointF(1.5, 0), p + QPointF(1.5, 0));
        bt.lines.emplace_back(p - QPointF(0, 1.5), p + QPointF(0, 1.5));
    }

    void markPixels(int x, int y, QRgb c)
    {
        pixel(x, y, c);
        pixel(x - 1, y, c);
        pixel(x + 1, y, c);
        pixel(x, y - 1, c);
        pixel(x, y + 1, c);
    }

    bool visible(QPointF c, double r) const
    {
        if (!QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r).intersects(clip_)) return false;
        // A circle around the whole view shows nothing of itself.
        const double far =
            std::max(std::hypot(clip_.left() - c.x(), clip_.top() - c.y()),
                     std::max(std::hypot(clip_.right() - c.x(), clip_.top() - c.y()),
                              std::max(std::hypot(clip_.left() - c.x(), clip_.bottom() - c.y()),
                                       std::hypot(clip_.right() - c.x(), clip_.bottom() - c.y()))));
        return far >= r - 1;
    }

public:
    void arc(Point centre, double radius, double start, double end, int color, bool full)
    {
        const QPointF c = dev(centre);
        const double r = radius * view_.scale;
        if (!visible(c, r)) return;
        if (r < 0.7) {
            dot(c, color);
            return;
        }
        const double span = full                                  ? 360.0
                            : normalizedDegrees(end - start) == 0 ? 360.0
                                                                  : normalizedDegrees(end - start);
        if (r > largeRadius) {
            visibleSegments(c, r, start, span, color);
            return;
        }
        painter_.setPen(pen(colorOf(color, style_)));
        painter_.setBrush(Qt::NoBrush);
        const QRectF box(c.x() - r, c.y() - r, 2 * r, 2 * r);
        if (full)
            painter_.drawEllipse(box);
        else
            painter_.drawArc(box, static_cast<int>(std::lround(start * 16)),
                             static_cast<int>(std::lround(span * 16)));
    }

private:
    // An elliptic arc as short segments: rx, ry in pixels, the first axis turned by `tilt`.
    void segments(QPointF c, double rx, double ry, double tilt, double start, double span, int color)
    {
        const int n = static_cast<int>(std::clamp(std::max(rx, ry) * span / 360.0 / 2.0, 8.0, 4096.0));
        const double ct = std::cos(tilt * radiansPerDegree), st = std::sin(tilt * radiansPerDegree);
        auto at = [&](double a) {
            const double x = rx * std::cos(a * radiansPerDegree), y = ry * std::sin(a * radiansPerDegree);
            return QPointF(c.x() + x * ct - y * st, c.y() - (x * st + y * ct));
        };
        QPointF previous = at(start);
        for (int i = 1; i <= n; ++i) {
            const QPointF next = at(start + span * i / n);
            deviceLine(previous, next, color);
            previous = next;
        }
    }

    // A huge arc seen close up: only the part of it the view can show, finely enough that no
    // chord strays a pixel from the curve.
    void visibleSegments(QPointF c, double r, double start, double span, int color)
    {
        if (clip_.contains(c)) {
            segments(c, r, r, 0, start, span, color);
            return;
        }
        // Seen from the centre, the view spans the angles of its corners (less than 180 degrees
        // away, since the centre lies outside it).
        const QPointF corners[] = {clip_.topLeft(), clip_.topRight(), clip_.bottomLeft(),
                                   clip_.bottomRight()};
        const double towards =
            std::atan2(-(clip_.center().y() - c.y()), clip_.center().x() - c.x()) / radiansPerDegree;
        double low = 0, high = 0;
        for (const QPointF &k : corners) {
            double a = std::atan2(-(k.y() - c.y()), k.x() - c.x()) / radiansPerDegree - towards;
            a = normalizedDegrees(a + 180) - 180;
            low = std::min(low, a);
            high = std::max(high, a);
        }
        const double from = normalizedDegrees(towards + low - 1);
        const double width = std::min(high - low + 2, 360.0);
        // The parts of the arc within [from, from + width], which may wrap past its start.
        const double offset = normalizedDegrees(from - start);
        for (const double window : {offset, offset - 360}) {
            const double a0 = std::max(0.0, window), a1 = std::min(span, window + width);
            if (a1 > a0) arcPart(c, r, start + a0, a1 - a0, color);
        }
    }

    void arcPart(QPointF c, double r, double from, double sweep, int color)
    {
        const int n = static_cast<int>(std::clamp(std::sqrt(r * sweep * radiansPerDegree), 8.0, 8192.0));
        auto at = [&](double a) {
            return QPointF(c.x() + r * std::cos(a * radiansPerDegree),
                           c.y() - r * std::sin(a * radiansPerDegree));
        };
        QPointF previous = at(from);
        for (int i = 1; i <= n; ++i) {
            const QPointF next = at(from + sweep * i / n);
            deviceLine(previous, next, color);
            previous = next;
        }
    }

public:
    void ellipse(Point centre, Point majorAxis, double ratio, int color)
    {
        const double major = std::hypot(majorAxis.x, majorAxis.y) * view_.scale;
        const QPointF c = dev(centre);
        if (!visible(c, major)) return;
        const double tilt = angleOf({0, 0}, majorAxis);
        segments(c, major, major * ratio, tilt, 0, 360, color);
    }

    // A text middle-justified at `insert`; `box` gives the box it covers, asked only when it is
    // too small to read.
    template <class BoxOf>
    void text(Point insert, double height, double rotation, std::string_view text, bool mirrored, int color,
              BoxOf box)
    {
        const QPointF at = dev(insert);
        const double h = height * view_.scale;
        const double reach = h * (static_cast<double>(text.size()) + 1);
        if (!QRectF(at.x() - reach, at.y() - reach, 2 * reach, 2 * reach).intersects(clip_)) return;
        if (h > 20 * std::max(target_.height(), target_.width()))
            return; // a glyph larger than the view many times over shows nothing to read
        if (h < 3) {
            // Too small to read: a short stroke where the text stands.
            const Box b = box();
            deviceLine(dev({b.min.x, insert.y}), dev({b.max.x, insert.y}), color);
            return;
        }
        flush();
        // The font is set up at a moderate size and scaled, so that huge texts stay exact.
        QFont font(QStringLiteral("IPAPGothic"));
        font.setStyleHint(QFont::SansSerif);
        font.setPixelSize(100);
        const QFontMetricsF metrics(font);
        const double cap = metrics.capHeight() > 0 ? metrics.capHeight() : 70.0;
        const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        const double factor = h / cap;
        painter_.save();
        painter_.translate(at);
        painter_.rotate(-rotation);
        // Mirrored, it reads backwards about its own middle.
        painter_.scale(mirrored ? -factor : factor, factor);
        painter_.setFont(font);
        painter_.setPen(colorOf(color, style_));
        painter_.drawText(QPointF(-metrics.horizontalAdvance(s) / 2, cap / 2), s);
        painter_.restore();
    }

    void polyline(std::span<const Point> vertices, bool closed, double startWidth, double endWidth, int color)
    {
        if (vertices.size() < 2) return;
        const std::size_t n = vertices.size();
        const std::size_t count = closed ? n : n - 1;
        const double ws = startWidth * view_.scale, we = endWidth * view_.scale;
        if (std::max(ws, we) < 1.5) {
            for (std::size_t i = 0; i < count; ++i)
                deviceLine(dev(vertices[i]), dev(vertices[(i + 1) % n]), color);
            return;
        }
        const Box b = vertexBox(vertices, std::max(startWidth, endWidth) / 2);
        const QRectF box(dev({b.min.x, b.max.y}), dev({b.max.x, b.min.y}));
        if (!box.intersects(clip_)) return;
        flush();
        const QColor shown = colorOf(color, style_);
        if (ws == we && box.width() < 1e6 && box.height() < 1e6) {
            QPolygonF points;
            for (const Point &p : vertices)
                points << dev(p);
            painter_.setPen(QPen(shown, ws, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
            painter_.setBrush(Qt::NoBrush);
            if (closed)
                painter_.drawPolygon(points);
            else
                painter_.drawPolyline(points);
            return;
        }
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(shown);
        for (std::size_t i = 0; i < count; ++i)
            band(dev(vertices[i]), dev(vertices[(i + 1) % n]), ws, we);
    }

private:
    // One wide segment, from width w0 to w1, as a filled quadrilateral.
    void band(QPointF a, QPointF b, double w0, double w1)
    {
        if (a.x() == b.x() && a.y() == b.y()) return;
        const auto corners = cad::band({a.x(), a.y()}, {b.x(), b.y()}, w0, w1);
        QPolygonF quad;
        for (const Point &c : corners)
            quad << QPointF(c.x, c.y);
        const QRectF reach = quad.boundingRect();
        if (!reach.intersects(clip_)) return;
        // Far beyond the view the raster engine loses precision: cut the band to the view first.
        if (reach.width() > 1e6 || reach.height() > 1e6)
            painter_.drawPolygon(quad.intersected(QPolygonF(clip_)));
        else
            painter_.drawPolygon(quad);
    }

    // A region filled in its colour, or in the background's (a mask), over what came before.
public:
    void fill(std::span<const Point> vertices, int color)
    {
        if (vertices.size() < 3) return;
        const Box b = vertexBox(vertices);
        const QRectF box(dev({b.min.x, b.max.y}), dev({b.max.x, b.min.y}));
        if (!box.intersects(clip_)) return;
        flush();
        QPainterPath path;
        path.setFillRule(Qt::OddEvenFill);
        for (const auto loop : fillLoops(vertices)) {
            path.moveTo(dev(loop[0]));
            for (std::size_t i = 1; i < loop.size(); ++i)
                path.lineTo(dev(loop[i]));
            path.closeSubpath();
        }
        // Far beyond the view the raster engine loses precision: cut the region to the view first.
        if (box.width() > 1e6 || box.height() > 1e6) {
            QPainterPath view;
            view.addRect(clip_);
            path = path.intersected(view);
        }
        // Single pixels drawn so far lie under it, though they are laid over the drawing at the end.
        if (!dots_.isNull()) {
            QPainter dots(&dots_);
            dots.setCompositionMode(QPainter::CompositionMode_Clear);
            dots.translate(-QPointF(dotsOrigin_));
            dots.fillPath(path, Qt::transparent);
        }
        painter_.fillPath(path, colorOf(color, style_));
    }

    // A ray from a through b, or an xline through both: the part the view shows.
    void ray(Point from, Point through, bool bothWays, int color)
    {
        const QPointF a = dev(from), d = dev(through) - a;
        if (d.isNull()) return;
        double t0 = bothWays ? -INFINITY : 0.0, t1 = INFINITY;
        if (!clipRange(a, d, clip_, t0, t1) || !std::isfinite(t0) || !std::isfinite(t1)) return;
        deviceLine(a + t0 * d, a + t1 * d, color);
    }

    // Line types: the entity's path in pixels, walked with its pattern. False when the entity
    // has no path that shows its pattern at this zoom: it is then drawn continuous.
    bool dashedLine(Point a, Point b, std::span<const double> pattern, int color)
    {
        path_ = {dev(a), dev(b)};
        walk(pattern, color);
        return true;
    }
    // An elliptic arc: its first axis `radius` long and turned by `tilt`, its second `ratio`
    // times that; from `start` on through `span` degrees.
    bool dashedCurve(Point centre, double radius, double ratio, double tilt, double start, double span,
                     std::span<const double> pattern, int color)
    {
        const double r = radius * view_.scale;
        // Huge curves seen close up are drawn piece by piece where they show, continuous.
        if (r > largeRadius) return false;
        if (!visible(dev(centre), r)) return true;
        path_.clear();
        curve(dev(centre), r, r * ratio, tilt, start, span);
        walk(pattern, color);
        return true;
    }
    bool dashedPolyline(std::span<const Point> vertices, bool closed, double width,
                        std::span<const double> pattern, int color)
    {
        if (width * view_.scale >= 1.5 || vertices.size() < 2) return false;
        path_.clear();
        for (const Point &p : vertices)
            path_.push_back(dev(p));
        if (closed) path_.push_back(path_.front());
        walk(pattern, color);
        return true;
    }

private:
    // Whether a pattern with gaps repeats in enough pixels to be told from a continuous line.
    bool patternShows(std::span<const double> pattern) const
    {
        double period = 0;
        bool gaps = false;
        for (const double d : pattern) {
            period += std::fabs(d);
            gaps = gaps || d <= 0;
        }
        const double s = view_.scale;
        return gaps && period * s >= shortestPattern && std::isfinite(period * s);
    }

    // Points along an elliptic arc in pixels, close enough that no chord strays from the curve
    // by a quarter of a pixel.
    void curve(QPointF c, double rx, double ry, double tilt, double start, double span)
    {
        const double r = std::max(rx, ry);
        const int n = static_cast<int>(std::clamp(span * radiansPerDegree * std::sqrt(r / 2), 8.0, 8192.0));
        const double ct = std::cos(tilt * radiansPerDegree), st = std::sin(tilt * radiansPerDegree);
        for (int i = 0; i <= n; ++i) {
            const double a = (start + span * i / n) * radiansPerDegree;
            const double x = rx * std::cos(a), y = ry * std::sin(a);
            path_.emplace_back(c.x() + x * ct - y * st, c.y() - (x * st + y * ct));
        }
    }

    // Walks path_ with the pattern from its start: dashes become lines, dots marks; only the
    // parts within the view are walked step by step, the rest moves the pattern on at once.
    void walk(std::span<const double> pattern, int color)
    {
        const double s = view_.scale;
        double period = 0;
        for (const double d : pattern)
            period += std::fabs(d) * s;
        std::size_t k = 0;
        double left = std::fabs(pattern[0]) * s; // of the element the walk is in
        const auto skip = [&](double length) {
            length = std::fmod(length, period);
            while (length > 0) {
                const double step = std::min(left, length);
                length -= step;
                left -= step;
                if (left <= 0) k = (k + 1) % pattern.size(), left = std::fabs(pattern[k]) * s;
            }
        };
        if (pattern[0] == 0) mark(path_.front(), color);
        for (std::size_t i = 0; i + 1 < path_.size(); ++i) {
            const QPointF a = path_[i], d = path_[i + 1] - a;
            const double length = std::hypot(d.x(), d.y());
            if (!(length > 0)) continue;
            double t0 = 0, t1 = 1;
            if (!clipRange(a, d, clip_, t0, t1)) {
                skip(length);
                continue;
            }
            skip(t0 * length);
            double at = t0 * length;
            const double end = t1 * length;
            while (at < end) {
                const double step = std::min(left, end - at);
                if (pattern[k] > 0) deviceLine(a + d * (at / length), a + d * ((at + step) / length), color);
                at += step;
                left -= step;
                if (left <= 0) {
                    k = (k + 1) % pattern.size();
                    left = std::fabs(pattern[k]) * s;
                    if (pattern[k] == 0) mark(a + d * (at / length), color);
                }
            }
            skip((1 - t1) * length);
        }
    }

    // A line's pen: the thinnest, solid, unless the style asks otherwise (the selection).
    QPen pen(const QColor &color) const { return QPen(color, style_.lineWidth, style_.lineStyle); }

    QPainter &painter_;
    QRectF target_;
    ViewTransform view_;
    const RenderStyle &style_;
    QRectF clip_;
    double cx_ = 0, cy_ = 0;
    std::array<Batch, colorByLayer + 1> batches_;
    std::vector<QPointF> path_; // of the entity being walked with its line type
    bool raster_ = false;
    QImage dots_;
    QRgb *bits_ = nullptr;
    qsizetype stride_ = 0;
    int dotsWidth_ = 0, dotsHeight_ = 0;
    QPoint dotsOrigin_;
    std::array<QRgb, colorByLayer + 1> dotColors_{};
};

// Paints `count` entities, the i-th given by `entity(i)`.
template <class Source>
void paintAll(QPainter &painter, std::size_t count, Source entity, const QRectF &target,
              const ViewTransform &view, const RenderStyle &style)
{
    painter.save();
    painter.setClipRect(target, Qt::IntersectClip);
    if (style.fillBackground) painter.fillRect(target, style.background);
    painter.setRenderHint(QPainter::Antialiasing, style.antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing, style.antialiasing);
    if (view.scale > 0 && std::isfinite(view.scale)) {
        EntityPainter p(painter, target, view, style);
        for (std::size_t i = 0; i < count; ++i)
            p.draw(entity(i));
        p.finish();
    }
    painter.restore();
}

} // namespace

QColor colorOf(int index, const RenderStyle &style)
{
    if (style.color) return *style.color;
    if (index == colorBackground) return style.background;
    const QColor foreground = style.background.lightness() > 128 ? QColor(Qt::black) : QColor(Qt::white);
    if (style.monochrome) return foreground;
    // Colours 1 to 9; 7 is the foreground.
    static constexpr QRgb standard[] = {qRgb(255, 0, 0),
                                        qRgb(255, 255, 0),
                                        qRgb(0, 255, 0),
                                        qRgb(0, 255, 255),
                                        qRgb(0, 0, 255),
                                        qRgb(255, 0, 255),
                                        0,
                                        qRgb(128, 128, 128),
                                        qRgb(192, 192, 192)};
    if (index >= 1 && index <= 9 && index != 7) return QColor(standard[index - 1]);
    if (index >= 10 && index <= 249) return hueColor(index);
    if (index >= 250 && index <= 255) {
        const int g = 51 + (index - 250) * 204 / 5;
        return QColor(g, g, g);
    }
    return foreground;
}

ViewTransform fitView(const Box &box, const QRectF &target, double margin)
{
    ViewTransform view;
    if (box.empty() || target.isEmpty()) return view;
    view.centre = {(box.min.x + box.max.x) / 2, (box.min.y + box.max.y) / 2};
    const double w = target.width() * (1 - 2 * margin), h = target.height() * (1 - 2 * margin);
    const double bw = box.width(), bh = box.height();
    if (bw <= 0 && bh <= 0) return view;
    view.scale = std::min(bw > 0 ? w / bw : INFINITY, bh > 0 ? h / bh : INFINITY);
    return view;
}

void render(QPainter &painter, const Drawing &drawing, const QRectF &target, const RenderStyle &style)
{
    render(painter, drawing, target, fitView(extents(drawing), target), style);
}

void render(QPainter &painter, const Drawing &drawing, const QRectF &target, const ViewTransform &view,
            const RenderStyle &style)
{
    painter.save();
    painter.setClipRect(target, Qt::IntersectClip);
    if (style.fillBackground) painter.fillRect(target, style.background);
    painter.setRenderHint(QPainter::Antialiasing, style.antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing, style.antialiasing);
    if (view.scale > 0 && std::isfinite(view.scale)) {
        EntityPainter p(painter, target, view, style);
        const std::vector<Drawing::Outline> &outlines = drawing.outlines();
        p.prepareSketches();
        // Entities on layers that are off or frozen are left out; ByLayer is the layer's colour.
        const std::vector<Layer> &layers = drawing.layers();
        const bool layered = std::any_of(layers.begin(), layers.end(),
                                         [](const Layer &l) { return !l.visible() || l.color != 7; });
        if (!layered) {
            for (std::size_t i = 0; i < outlines.size(); ++i)
                if (!p.passOrSketch(outlines[i])) p.draw(drawing.view(i));
        } else {
            for (std::size_t i = 0; i < outlines.size(); ++i) {
                Drawing::Outline o = outlines[i];
                const Layer &l = layers[o.layer];
                if (!l.visible()) continue;
                if (o.color == colorByLayer) o.color = static_cast<std::int16_t>(l.color);
                if (p.passOrSketch(o)) continue;
                EntityView e = drawing.view(i);
                if (e.color == colorByLayer) e.color = l.color;
                p.draw(e);
            }
        }
        p.finish();
    }
    painter.restore();
}

void render(QPainter &painter, const std::vector<Entity> &entities, const QRectF &target,
            const ViewTransform &view, const RenderStyle &style)
{
    paintAll(
        painter, entities.size(), [&entities](std::size_t i) { return cad::view(entities[i]); }, target, view,
        style);
}

} // namespace cad
