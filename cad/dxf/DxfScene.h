#pragma once

#include "cad/model/Drawing.h"

#include <cstddef>
#include <cstdint>
#include <optional>
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

// How an entity's line is drawn, as the file writes it: its line type's name (BYLAYER and
// BYBLOCK too; empty: continuous) and its own line type scale (group 48).
struct LineStyle
{
    std::string linetype;
    double scale = 1;
};

// What a DXF file shows in its model space. Entities of blocks are kept until a reference
// (INSERT, DIMENSION) draws them, nested, scaled, turned and mirrored. The layer table becomes
// the drawing's, with its current layer; every entity keeps its layer (in a block, one on layer 0
// takes the reference's, and all take it when that is frozen), so that views leave out those on
// layers that are off or frozen. ByBlock colours become the colours they stand for; ByLayer stays,
// drawn in its layer's colour. Line types become dashes, scaled by $LTSCALE, the entity's own
// scale and its blocks'. What is shown is only a view: the file itself is kept by DxfSource.
class DxfScene
{
public:
    explicit DxfScene(Drawing &model) : model_(model) {}

    // `color` as the layer table writes it: negative when the layer is off.
    void layer(const std::string &name, int color, bool frozen, const std::string &linetype = {});
    // A line type of the LTYPE table: its dashes (> 0), gaps (< 0) and dots (0).
    void linetype(const std::string &name, std::vector<double> pattern);
    // $LTSCALE.
    void setLinetypeScale(double scale);
    // The file entity (Origin::entity) what is added to the model space from here on stands for.
    void from(std::uint32_t entity) { from_ = entity; }
    std::uint32_t origin() const { return from_; }
    // The file's current layer ($CLAYER).
    void currentLayer(const std::string &name);
    void beginBlock(const std::string &name, Point base);
    void endBlock() { block_ = nullptr; }
    bool inBlock() const { return block_ != nullptr; }

    // An entity of the block being read or of the model space; `color` as written (0 ByBlock,
    // 256 ByLayer).
    void add(Entity e, const std::string &layer, int color, const LineStyle &style = {});
    void insert(const BlockRef &ref, const std::string &layer, int color, const LineStyle &style = {});
    // Entities of the model space on layers that were off or frozen when they were read.
    std::size_t hidden() const { return hidden_; }

private:
    // Layers as indices of the drawing's layer table.
    struct Placed
    {
        Entity entity;
        std::uint32_t layer;
        int color;
        LineStyle style;
    };
    struct PlacedRef
    {
        BlockRef ref;
        std::uint32_t layer;
        int color;
        LineStyle style;
    };
    struct Block
    {
        Point base;
        std::vector<Placed> entities;
        std::vector<PlacedRef> refs;
    };
    using Pattern = std::vector<double>;

    // The index of a layer in the drawing's table; a layer the table lacks is added to it.
    std::uint32_t layerOf(const std::string &name);
    bool hiddenLayer(std::uint32_t layer) const;
    // What a reference gives its ByBlock entities: its colour, its layer's when ByLayer.
    int blockColor(int color, std::uint32_t layer) const;
    // The pattern a style stands for on a layer, `byBlock` that of the block reference; none
    // for a continuous line.
    const Pattern *pattern(const LineStyle &style, std::uint32_t layer, const Pattern *byBlock) const;
    // Sets the entity's dashes from the pattern, scaled.
    void dash(Entity &e, const Pattern *pattern, double scale) const;
    void expand(const BlockRef &ref, const Affine &outer, std::uint32_t layer, int color,
                const Pattern *byBlock, int depth);
    void addTransformed(const Entity &e, const Affine &m, int color, std::uint32_t layer);

    Drawing &model_;
    std::string lastLayerName_;
    std::uint32_t lastLayer_ = 0;
    bool lastLayerValid_ = false;
    // Line types with gaps, by name in capitals (continuous ones are not kept), and each layer's
    // by its index.
    std::unordered_map<std::string, Pattern> linetypes_;
    std::unordered_map<std::uint32_t, std::string> layerLinetypes_;
    double linetypeScale_ = 1;
    std::unordered_map<std::string, Block> blocks_;
    Block *block_ = nullptr;
    std::size_t hidden_ = 0;
    std::size_t expanded_ = 0;
    std::uint32_t from_ = 0;
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
// One line family of a hatch pattern as a HATCH entity gives it (already turned and scaled): the
// lines at `angle` degrees through base + k offset for every whole k, each dashed from that point.
struct HatchLine
{
    double angle = 0;
    Point base, offset;
    std::vector<double> dashes;
};
// The pieces of a hatch pattern's lines within its loops (inside: surrounded an odd number of
// times), a dot as a piece of no length; none when there would be more than `most` of them.
std::optional<std::vector<std::pair<Point, Point>>>
hatchPattern(std::span<const HatchLine> lines, std::span<const std::vector<Point>> loops, std::size_t most);

// MTEXT as single lines of text, middle-justified like TEXT: its inline codes taken out,
// paragraphs and stacked fractions simply.
std::vector<Entity> mtextLines(std::string_view text, Point insert, double height, double degrees,
                               int attachment, double spacing);

} // namespace cad
