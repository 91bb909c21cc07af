#pragma once

#include "cad/Drawing.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

namespace cad {

// A reference to a block: where it goes, how it is scaled and turned, and how many times in
// columns and rows (spacings along the turned axes).
struct BlockRef
{
    std::string name;
    Point at;
    double sx = 1, sy = 1, degrees = 0;
    int columns = 1, rows = 1;
    double columnSpacing = 0, rowSpacing = 0;
};

// What a DXF file shows in its model space. Entities of blocks are kept until a reference
// (INSERT, DIMENSION) draws them, nested, scaled, turned and mirrored; entities on layers that
// are off or frozen are left out; ByLayer and ByBlock colours become the colours they stand for.
// What is shown is only a view: the file itself is kept by DxfSource.
class DxfScene
{
public:
    explicit DxfScene(Drawing &model) : model_(model) {}

    // `color` as the layer table writes it: negative when the layer is off.
    void layer(const std::string &name, int color, bool frozen);
    void beginBlock(const std::string &name, Point base);
    void endBlock() { block_ = nullptr; }
    bool inBlock() const { return block_ != nullptr; }

    // An entity of the block being read or of the model space; `color` as written (0 ByBlock,
    // 256 ByLayer).
    void add(Entity e, const std::string &layer, int color);
    void insert(const BlockRef &ref, const std::string &layer, int color);
    // Entities left out because their layer is hidden.
    std::size_t hidden() const { return hidden_; }

private:
    struct Placed
    {
        Entity entity;
        std::string layer;
        int color;
    };
    struct PlacedRef
    {
        BlockRef ref;
        std::string layer;
        int color;
    };
    struct Block
    {
        Point base;
        std::vector<Placed> entities;
        std::vector<PlacedRef> refs;
    };
    struct Layer
    {
        int color = 7;
        bool hidden = false;
    };
    // x' = a x + b y + tx, y' = c x + d y + ty
    struct Affine
    {
        double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
        Point operator()(Point p) const { return {a * p.x + b * p.y + tx, c * p.x + d * p.y + ty}; }
        Point linear(Point p) const { return {a * p.x + b * p.y, c * p.x + d * p.y}; }
        Affine operator*(const Affine &o) const;
    };

    const Layer *find(const std::string &layer) const;
    bool hiddenLayer(const std::string &layer) const;
    int resolved(int color, const std::string &layer, int byBlock) const;
    void expand(const BlockRef &ref, const Affine &outer, const std::string &layer, int color, int depth);
    void addTransformed(const Entity &e, const Affine &m, int color);

    Drawing &model_;
    std::unordered_map<std::string, Layer> layers_;
    std::unordered_map<std::string, Block> blocks_;
    Block *block_ = nullptr;
    std::size_t hidden_ = 0;
    std::size_t expanded_ = 0;
    std::size_t placed_ = 0;
};

// Shapes as polylines, for what the drawing model has no kind of its own.
// The curve centre + u cos t + v sin t from t0 to t1 (radians; t1 < t0 runs clockwise).
std::vector<Point> curvePoints(Point centre, Point u, Point v, double t0, double t1);
// The points after `from` of a polyline segment to `to` with a DXF bulge (tan of a quarter of
// the included angle, positive counter-clockwise); `to` itself last.
std::vector<Point> bulgePoints(Point from, Point to, double bulge);
// A B-spline (rational with weights) through its control points and knots; the control
// polygon when the knots do not fit.
std::vector<Point> splinePoints(int degree, std::span<const Point> control, std::span<const double> knots,
                                std::span<const double> weights);
// A smooth curve through a spline's fit points.
std::vector<Point> fitPointCurve(std::span<const Point> fit);
// MTEXT as single lines of text, middle-justified like TEXT: its inline codes taken out,
// paragraphs and stacked fractions simply.
std::vector<Entity> mtextLines(std::string_view text, Point insert, double height, double degrees,
                               int attachment, double spacing);

} // namespace cad
