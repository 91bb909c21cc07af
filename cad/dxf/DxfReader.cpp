#include "cad/dxf/Dxf.h"

#include "cad/dxf/DxfScene.h"
#include "cad/dxf/tags/DxfText.h"
#include "cad/dxf/tags/DxflibReal.h"
#include "cad/model/Angle.h"
#include "cad/model/Geometry.h"
#include "cad/model/InputReading.h"
#include "cad/model/Names.h"

#include <dxflib/dl_creationadapter.h>
#include <dxflib/dl_dxf.h>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <optional>
#include <set>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace cad {

namespace {

constexpr const char *notDxf = "DXF ファイルではありません。";
// Vertices beyond this in one polyline are dropped: a file claiming more is broken.
constexpr std::size_t maxVertices = 10'000'000;
// Pieces of pattern lines one hatch is drawn with at most, and all hatches of a file together:
// a hatch whose pattern would take more (a tiny scale over a large area) shows its boundary.
constexpr std::size_t mostPatternPieces = 20'000;
constexpr std::size_t mostPatternPiecesInFile = 2'000'000;
// Line families of a hatch pattern, and dashes of a pattern or line type, kept at most.
constexpr std::size_t mostPatternLines = 1000;
constexpr std::size_t mostDashes = 64;

long groupInt(const std::string &value)
{
    return std::strtol(value.c_str(), nullptr, 10);
}

// Group codes dxflib reads as reals, of those an entity is drawn from (coordinates, sizes,
// angles, the direction of extrusion).
bool isRealCode(std::int64_t code)
{
    return (code >= 10 && code <= 59) || (code >= 210 && code <= 239);
}

// A LINE read before dxflib, with its colour group as dxflib would have read it.
struct ReadLine
{
    double x1, y1, x2, y2;
    int color;
    std::uint32_t layer; // index in ReadLines::layers
};

// The LINEs read before dxflib, in file order, and how many of them each marker stands for; the
// names of their layers as dxflib reads group 8.
struct ReadLines
{
    std::vector<ReadLine> lines;
    std::vector<std::size_t> perMarker;
    std::vector<std::string> layers;
};

// The entity that stands in the bytes for LINEs read before dxflib, one after the other: a type
// dxflib does not know, so that it passes it by, and the reader takes those LINEs where it ends.
constexpr std::string_view lineMarkerGroup = "0\n~L\n";
constexpr std::string_view lineMarker = "~L";

// dxflib builds the edges of a hatch group by group into a DL_HatchEdgeData whose constructor
// sets only x1..y2: a field no group set held whatever the memory held (an arc given by its
// group 73 alone, a polyline boundary whose group 72 changed its kind, a spline without its
// counts), so that the same file drew differently from one reading to the next. The edges are
// built here from the same groups, as DL_Dxf::handleHatchData builds them, every field starting
// at 0 as a missing group reads; the reader draws these rather than dxflib's.
class HatchEdges
{
public:
    struct Edge
    {
        int type = 0;
        bool defined = false;
        std::vector<std::vector<double>> vertices; // x, y and a bulge: a polyline boundary
        double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
        double cx = 0, cy = 0, radius = 0, angle1 = 0, angle2 = 0;
        bool ccw = false;
        double mx = 0, my = 0, ratio = 0;
        unsigned degree = 0, knotCount = 0, controlCount = 0, fitCount = 0;
        std::vector<double> knots, weights;
        std::vector<std::vector<double>> controlPoints, fitPoints;
    };

    // The boundaries of the hatch dxflib reports next (it keeps them from the hatch before when
    // a hatch starts none).
    const std::vector<std::vector<Edge>> &loops() const { return loops_; }

    // A group 0 or 9: the entity read ends (a hatch ended by group 0 is reported, with the edge
    // being read), the next begins.
    void entityEnds(unsigned code, const std::string &next)
    {
        if (inHatch_ && code == 0) addEdge();
        edge_ = Edge{};
        firstLoop_ = true;
        pathFlags_ = 0;
        inHatch_ = next == "HATCH";
    }

    // Any other group, before dxflib reads it.
    void group(DL_Dxf &dxf, unsigned code, const std::string &value)
    {
        if (!inHatch_ || code >= DL_DXF_MAXGROUPCODE) return;
        take(dxf, code, value);
        // dxflib keeps the group after handling it: its last group 92 tells a polyline boundary.
        if (code == 92) pathFlags_ = dxf.toInt(value);
    }

private:
    void take(DL_Dxf &dxf, unsigned code, const std::string &value)
    {
        const auto real = [&] { return dxf.toReal(value); };
        const auto angle = [&] { return dxf.toReal(value) / 360.0 * 2 * M_PI; };
        if (code == 92 || code == 93) {
            if (firstLoop_) {
                loops_.clear();
                firstLoop_ = false;
            }
            if (code == 93 || (dxf.toInt(value) & 2) == 2) addLoop();
            return;
        }
        if (code == 72 || code == 78 || code == 98) {
            // A polyline boundary gives its bulge flag in group 72.
            if (code != 72 || (pathFlags_ & 2) == 0) addEdge();
            edge_.type = dxf.toInt(value);
            return;
        }
        Edge &e = edge_;
        if ((pathFlags_ & 2) == 2) {
            if (code == 10) {
                e.type = 0;
                e.vertices.push_back({real()});
            } else if ((code == 20 || code == 42) && !e.vertices.empty()) {
                e.vertices.back().push_back(real());
                e.defined = true;
            }
            return;
        }
        switch (e.type) {
        case 1:
            if (code == 10) e.x1 = real();
            if (code == 20) e.y1 = real();
            if (code == 11) e.x2 = real();
            if (code == 21) e.y2 = real();
            e.defined = e.defined || code == 21;
            break;
        case 2:
        case 3:
            if (code == 10) e.cx = real();
            if (code == 20) e.cy = real();
            if (code == 40) (e.type == 2 ? e.radius : e.ratio) = real();
            if (code == 11 && e.type == 3) e.mx = real();
            if (code == 21 && e.type == 3) e.my = real();
            if (code == 50) e.angle1 = angle();
            if (code == 51) e.angle2 = angle();
            if (code == 73) {
                e.ccw = dxf.toInt(value) != 0;
                e.defined = true;
            }
            break;
        case 4:
            spline(dxf, code, value);
            break;
        default:
            break;
        }
    }

    void spline(DL_Dxf &dxf, unsigned code, const std::string &value)
    {
        Edge &e = edge_;
        const auto count = [&] { return static_cast<unsigned>(dxf.toInt(value)); };
        switch (code) {
        case 94:
            e.degree = count();
            break;
        case 95:
            e.knotCount = count();
            break;
        case 96:
            e.controlCount = count();
            break;
        case 97:
            e.fitCount = count();
            break;
        case 40:
            if (e.knots.size() < e.knotCount) e.knots.push_back(dxf.toReal(value));
            break;
        case 10:
            if (e.controlPoints.size() < e.controlCount) e.controlPoints.push_back({dxf.toReal(value)});
            break;
        case 20:
            if (!e.controlPoints.empty() && e.controlPoints.back().size() == 1)
                e.controlPoints.back().push_back(dxf.toReal(value));
            e.defined = true;
            break;
        case 42:
            if (e.weights.size() < e.controlCount) e.weights.push_back(dxf.toReal(value));
            break;
        case 11:
            if (e.fitPoints.size() < e.fitCount) e.fitPoints.push_back({dxf.toReal(value)});
            break;
        case 21:
            if (!e.fitPoints.empty() && e.fitPoints.back().size() == 1)
                e.fitPoints.back().push_back(dxf.toReal(value));
            e.defined = true;
            break;
        default:
            break;
        }
    }

    void addLoop()
    {
        addEdge();
        loops_.emplace_back();
    }

    void addEdge()
    {
        if (!edge_.defined) return;
        if (!loops_.empty()) loops_.back().push_back(std::move(edge_));
        edge_ = Edge{};
    }

    std::vector<std::vector<Edge>> loops_;
    Edge edge_;
    bool inHatch_ = false;
    bool firstLoop_ = true;
    int pathFlags_ = 0;
};

// Collects the entities of the model space as dxflib reports them.
class DxfReader final : public DL_CreationAdapter
{
public:
    // With `source`, each piece shown is tied to the entity of the file it stands for, so that
    // edits can be saved into that entity (see Origin).
    DxfReader(DL_Dxf &dxf, Drawing &drawing, const ReadLines &readLines, const DxfSource *source)
        : dxf_(dxf), drawing_(drawing), scene_(drawing), readLines_(readLines), source_(source)
    {
        drawing_.beginGroup({});
        if (source_) scene_.from(Origin::fromFile);
    }

    // `currentLayer`: the file's $CLAYER. Returns whether the file's entities are only shown
    // (see DxfReadResult::viewOnly).
    bool finish(const std::string &currentLayer)
    {
        finishPolyline();
        scene_.currentLayer(currentLayer);
        drawing_.endGroup();
        // Counted otherwise than the file was scanned: nothing can be told apart safely, so what
        // was read is shown but not edited.
        if (!source_ || (numbered_ && next_ == source_->entityCount())) return false;
        drawing_.lockOrigins();
        return true;
    }
    std::size_t skipped() const { return skipped_; }
    std::size_t badValues() const { return badValues_; }
    bool sawSection() const { return sawSection_; }
    bool sawEnd() const { return sawEnd_; }

    void processCodeValuePair(unsigned int code, const std::string &value) override
    {
        // dxflib leaves the widths of LWPOLYLINE vertices out; they are taken here.
        // dxflib reports an entity when the next one begins, so what was gathered is kept apart.
        if (code == 0 || code == 9) {
            takeReadLines(code, value);
            endedUnreadable_ = std::exchange(unreadable_, false);
            hatchEdges_.entityEnds(code, value);
        } else {
            unreadable_ = unreadable_ || (isRealCode(code) && !dxflibReadsNumber(value));
            hatchEdges_.group(dxf_, code, value);
        }
        if (source_) number(code, value);
        // What dxflib does not read (a WIPEOUT) is whole when the next entity begins.
        if (code == 0) finishWipeout();
        countUndrawn(code, value);
        if (code == 0) {
            sawSection_ = sawSection_ || value == "SECTION";
            sawEnd_ = sawEnd_ || value == "EOF";
            endedLwPolyline_ = inLwPolyline_;
            endedWidths_.swap(vertexWidths_);
            vertexWidths_.clear();
            inLwPolyline_ = value == "LWPOLYLINE";
            endedPattern_ = std::exchange(pattern_, {});
            inHatch_ = value == "HATCH";
            patternBegun_ = false;
            endedDashes_ = std::exchange(dashes_, {});
            wipeout_ = Wipeout{};
            wipeout_.open = value == "WIPEOUT";
            return;
        }
        if (inHatch_) patternGroup(code, value);
        if (wipeout_.open) wipeoutGroup(code, value);
        if (!inLwPolyline_) return;
        if (code == 10)
            vertexWidths_.push_back({0, 0});
        else if ((code == 40 || code == 41) && !vertexWidths_.empty() &&
                 vertexWidths_.size() <= maxVertices) {
            const auto v = readNumber(value);
            (code == 40 ? vertexWidths_.back().first : vertexWidths_.back().second) = v ? *v : 0;
        }
    }

    void addLayer(const DL_LayerData &data) override
    {
        const int color = getAttributes().getColor();
        scene_.layer(data.name, data.off ? -std::abs(color) : color, (data.flags & 1) != 0,
                     getAttributes().getLinetype());
    }
    // dxflib gives a line type's dashes before the line type; its groups end where the next
    // table entry begins (endedDashes_).
    void addLinetypeDash(double length) override
    {
        if (dashes_.size() < mostDashes) dashes_.push_back(length);
    }
    void addLinetype(const DL_LinetypeData &data) override { scene_.linetype(data.name, endedDashes_); }
    void setVariableDouble(const std::string &name, double value, int) override
    {
        if (name == "$LTSCALE") scene_.setLinetypeScale(value);
    }
    // A polyline whose SEQEND is missing ends with its block at the latest.
    void addBlock(const DL_BlockData &data) override
    {
        finishPolyline();
        scene_.beginBlock(data.name, {data.bpx, data.bpy});
    }
    void endBlock() override
    {
        finishPolyline();
        scene_.endBlock();
    }

    void addLine(const DL_LineData &d) override
    {
        if (shown())
            addLine(d.x1, d.y1, d.x2, d.y2, getAttributes().getColor(), getAttributes().getLayer(), style(),
                    readable());
    }

    void addArc(const DL_ArcData &d) override
    {
        Entity e;
        e.type = Entity::Type::Arc;
        e.centre = {d.cx, d.cy};
        e.radius = d.radius;
        e.startAngle = normalizedDegrees(d.angle1);
        e.endAngle = normalizedDegrees(d.angle2);
        const bool sane = readable() && isSane(e.centre) && isSane(d.radius) && d.radius > 0;
        keep(fromOcs(std::move(e), drawnFromBelow()), sane);
    }

    void addCircle(const DL_CircleData &d) override
    {
        Entity e;
        e.type = Entity::Type::Circle;
        e.centre = {d.cx, d.cy};
        e.radius = d.radius;
        const bool sane = readable() && isSane(e.centre) && isSane(d.radius) && d.radius > 0;
        keep(fromOcs(std::move(e), drawnFromBelow()), sane);
    }

    void addEllipse(const DL_EllipseData &d) override
    {
        Entity e;
        e.type = Entity::Type::Ellipse;
        e.centre = {d.cx, d.cy};
        e.majorAxis = {d.mx, d.my};
        e.ratio = d.ratio;
        const bool whole =
            std::fabs(std::fabs(d.angle2 - d.angle1) - 2 * M_PI) < 1e-9 || d.angle1 == d.angle2;
        const bool sane = readable() && isSane(e.centre) && isSane(e.majorAxis) &&
                          !(e.majorAxis == Point{}) && d.ratio > 0 && d.ratio <= 1 && isSane(d.angle1) &&
                          isSane(d.angle2);
        if (!whole && sane) {
            const Point minor{-d.my * d.ratio, d.mx * d.ratio};
            return keepShape(
                curvePoints(e.centre, e.majorAxis, minor, d.angle1, sweepEnd(d.angle1, d.angle2)), false);
        }
        keep(std::move(e), sane);
    }

    void addText(const DL_TextData &d) override
    {
        Entity e;
        e.type = Entity::Type::Text;
        e.text = decodeDxfText(d.text);
        e.height = d.height;
        e.rotation = normalizedDegrees(d.angle * degreesPerRadian);
        e.insert = middleOf(d, e);
        // Generation flags: 2 backwards (mirrored along the baseline), 4 upside down (mirrored
        // across it: backwards and turned half round).
        const bool backwards = (d.textGenerationFlags & 2) != 0,
                   upsideDown = (d.textGenerationFlags & 4) != 0;
        e.mirrored = backwards != upsideDown;
        if (upsideDown) e.rotation = normalizedDegrees(e.rotation + 180);
        const bool sane = readable() && isSane(e.insert) && isSane(d.height) && d.height > 0;
        keep(fromOcs(std::move(e), drawnFromBelow()), sane);
    }

    void addAttribute(const DL_AttributeData &d) override
    {
        if ((dxf_.getIntValue(70, 0) & 1) == 0) addText(d); // flag 1: invisible
    }

    void addPolyline(const DL_PolylineData &d) override
    {
        finishPolyline();
        polyline_ = Entity{};
        bulge_ = 0;
        polyline_.type = Entity::Type::Polyline;
        polyline_.closed = (d.flags & 1) != 0;
        buildingLw_ = endedLwPolyline_;
        if (buildingLw_) {
            const double w = dxf_.getRealValue(43, 0.0);
            polyline_.startWidth = polyline_.endWidth = std::isfinite(w) && w > 0 ? w : 0.0;
            lwWidths_ = endedWidths_;
        } else {
            lwWidths_.clear();
        }
        inPolyline_ = true;
        polylineSane_ = readable();
        // A 3D polyline or a mesh (flags 8, 16, 64) gives its vertices in world coordinates.
        polylineFromBelow_ = (d.flags & (8 | 16 | 64)) == 0 && drawnFromBelow();
        polylineOwner_ = {getAttributes().getLayer(), getAttributes().getColor(), style(), shown(),
                          scene_.origin()};
    }

    void addVertex(const DL_VertexData &d) override
    {
        if (!inPolyline_ || polyline_.vertices.size() >= maxVertices) return;
        const Point p{d.x, d.y};
        polylineSane_ = polylineSane_ && readable() && isSane(p);
        if (bulge_ != 0 && !polyline_.vertices.empty() && isSane(p)) {
            const std::vector<Point> arc = bulgePoints(polyline_.vertices.back(), p, bulge_);
            polyline_.vertices.insert(polyline_.vertices.end(), arc.begin(), arc.end() - 1);
        }
        bulge_ = isSane(d.bulge) ? d.bulge : 0;
        const std::size_t i = polyline_.vertices.size();
        if (i < lwWidths_.size() && (lwWidths_[i].first != 0 || lwWidths_[i].second != 0)) {
            polyline_.startWidth = lwWidths_[i].first;
            polyline_.endWidth = lwWidths_[i].second;
        }
        polyline_.vertices.push_back(p);
    }

    void endSequence() override { finishPolyline(); }
    void endEntity() override
    {
        if (buildingLw_) finishPolyline();
        if (inHatchEntity_) finishHatch();
        finishSpline();
        if (!leader_.empty()) keepShape(std::exchange(leader_, {}), false);
    }

    // A point is a line of no length: a small mark at every zoom.
    void addPoint(const DL_PointData &d) override
    {
        Entity e;
        e.a = e.b = {d.x, d.y};
        if (shown()) put(std::move(e), readable() && isSane(Point{d.x, d.y}), getAttributes().getColor(), {});
    }
    void addXLine(const DL_XLineData &d) override { ray({d.bx, d.by}, {d.dx, d.dy}, true); }
    void addRay(const DL_RayData &d) override { ray({d.bx, d.by}, {d.dx, d.dy}, false); }
    // An image is shown by its frame: from its insertion point along a pixel's width (u) and
    // height (v) as many times as it has pixels.
    void addImage(const DL_ImageData &d) override
    {
        const Point at{d.ipx, d.ipy}, u{d.ux * d.width, d.uy * d.width}, v{d.vx * d.height, d.vy * d.height};
        keepShape(
            {at, {at.x + u.x, at.y + u.y}, {at.x + u.x + v.x, at.y + u.y + v.y}, {at.x + v.x, at.y + v.y}},
            true);
    }

    void addInsert(const DL_InsertData &d) override
    {
        BlockRef ref{d.name, {d.ipx, d.ipy}, d.sx, d.sy, d.angle, d.cols, d.rows, d.colSp, d.rowSp};
        if (drawnFromBelow()) {
            // Seen from below, the x axis runs the other way: the block is mirrored, its turn
            // and its columns reversed.
            ref.at.x = -ref.at.x;
            ref.sx = -ref.sx;
            ref.degrees = -ref.degrees;
            ref.columnSpacing = -ref.columnSpacing;
        }
        const bool sane = readable() && isSane(ref.at) && isSane(d.sx) && isSane(d.sy) && isSane(d.angle) &&
                          isSane(d.colSp) && isSane(d.rowSp);
        if (!scene_.inBlock() && dxf_.getIntValue(67, 0) == 1) return;
        if (!sane) return refuse();
        scene_.insert(ref, getAttributes().getLayer(), colorOf(getAttributes().getColor()));
    }
    // A dimension is drawn by its block (group 2), made by the program that wrote it.
    void dimension()
    {
        addInsert(DL_InsertData(dxf_.getStringValue(2, ""), 0, 0, 0, 1, 1, 1, 0, 1, 1, 0, 0));
    }
    void addDimLinear(const DL_DimensionData &, const DL_DimLinearData &) override { dimension(); }
    void addDimAlign(const DL_DimensionData &, const DL_DimAlignedData &) override { dimension(); }
    void addDimRadial(const DL_DimensionData &, const DL_DimRadialData &) override { dimension(); }
    void addDimDiametric(const DL_DimensionData &, const DL_DimDiametricData &) override { dimension(); }
    void addDimAngular(const DL_DimensionData &, const DL_DimAngular2LData &) override { dimension(); }
    void addDimAngular3P(const DL_DimensionData &, const DL_DimAngular3PData &) override { dimension(); }
    void addDimOrdinate(const DL_DimensionData &, const DL_DimOrdinateData &) override { dimension(); }

    // SOLID and TRACE give their corners in the order 1 2 4 3; 3DFACE goes round.
    void addTrace(const DL_TraceData &d) override { corners(d, {0, 1, 3, 2}); }
    void addSolid(const DL_SolidData &d) override { corners(d, {0, 1, 3, 2}); }
    void add3dFace(const DL_3dFaceData &d) override { corners(d, {0, 1, 2, 3}); }

    void addSpline(const DL_SplineData &d) override
    {
        spline_ = d;
        control_.clear();
        weights_.clear();
        knots_.clear();
        fit_.clear();
    }
    void addControlPoint(const DL_ControlPointData &d) override
    {
        if (control_.size() >= maxVertices) return;
        control_.push_back({d.x, d.y});
        weights_.push_back(d.w);
    }
    void addKnot(const DL_KnotData &d) override
    {
        if (knots_.size() < maxVertices) knots_.push_back(d.k);
    }
    void addFitPoint(const DL_FitPointData &d) override
    {
        if (fit_.size() < maxVertices) fit_.push_back({d.x, d.y});
        // dxflib reports fit points last: the spline is whole once control points or fit points
        // are in, and it is drawn when the next entity begins (endEntity).
    }

    void addMTextChunk(const std::string &text) override { mtext_ += text; }
    void addMText(const DL_MTextData &d) override
    {
        const std::string text = mtext_ + d.text;
        mtext_.clear();
        // The direction (group 11) wins over the angle (group 50, in degrees), as for other readers.
        const double degrees =
            dxf_.hasValue(11)
                ? std::atan2(dxf_.getRealValue(21, 0), dxf_.getRealValue(11, 1)) * degreesPerRadian
                : dxf_.getRealValue(50, 0);
        const bool sane =
            readable() && isSane(Point{d.ipx, d.ipy}) && isSane(d.height) && d.height > 0 && isSane(degrees);
        if (!sane) return keep(Entity{}, false); // counted, unless in paper space
        for (Entity &line : mtextLines(decodeDxfText(text), {d.ipx, d.ipy}, d.height, degrees,
                                       d.attachmentPoint, d.lineSpacingFactor))
            keep(std::move(line), true);
    }

    // A hatch is gathered loop by loop and shown when whole (finishHatch).
    void addHatch(const DL_HatchData &d) override
    {
        hatch_ = d;
        hatchFromBelow_ = drawnFromBelow();
        inHatchEntity_ = true;
        hatchLoops_.clear();
        loop_.clear();
        // The edges as built by hatchEdges_ from the same groups as dxflib's, which reports them
        // next with some of their fields unset.
        for (const auto &loop : hatchEdges_.loops()) {
            closeHatchLoop();
            for (const HatchEdges::Edge &edge : loop)
                drawEdge(edge);
        }
    }
    void addHatchLoop(const DL_HatchLoopData &) override {}
    void addHatchEdge(const DL_HatchEdgeData &) override {}

    void drawEdge(const HatchEdges::Edge &d)
    {
        if (loop_.size() >= maxVertices) return;
        switch (d.type) {
        case 0: // polyline: x, y and bulge
            for (std::size_t i = 0; i < d.vertices.size(); ++i) {
                const auto &v = d.vertices[i];
                if (v.size() < 2) continue;
                const Point p{v[0], v[1]};
                const double bulge = i > 0 && d.vertices[i - 1].size() > 2 ? d.vertices[i - 1][2] : 0;
                if (loop_.empty()) {
                    loop_.push_back(p);
                } else {
                    const auto arc = bulgePoints(loop_.back(), p, bulge);
                    loop_.insert(loop_.end(), arc.begin(), arc.end());
                }
            }
            break;
        case 1:
            loop_.push_back({d.x1, d.y1});
            loop_.push_back({d.x2, d.y2});
            break;
        case 2:
        case 3: {
            const bool arc = d.type == 2;
            const Point u = arc ? Point{d.radius, 0} : Point{d.mx, d.my};
            const double ratio = arc ? 1 : d.ratio;
            const Point v{-u.y * ratio, u.x * ratio};
            const double t0 = d.angle1, t1 = sweepEnd(d.angle1, d.angle2);
            // Clockwise edges give their angles mirrored.
            const auto points =
                d.ccw ? curvePoints({d.cx, d.cy}, u, v, t0, t1) : curvePoints({d.cx, d.cy}, u, v, -t0, -t1);
            loop_.insert(loop_.end(), points.begin(), points.end());
            break;
        }
        case 4: {
            std::vector<Point> control;
            for (const auto &c : d.controlPoints)
                if (c.size() >= 2) control.push_back({c[0], c[1]});
            const auto points = splinePoints(static_cast<int>(d.degree), control, d.knots, d.weights);
            loop_.insert(loop_.end(), points.begin(), points.end());
            break;
        }
        default:
            break;
        }
    }

    void addLeader(const DL_LeaderData &) override { leader_.clear(); }
    void addLeaderVertex(const DL_LeaderVertexData &d) override
    {
        if (leader_.size() < maxVertices) leader_.push_back({d.x, d.y});
    }

private:
    // Every LINE comes here, from dxflib or read before it; `color` is group 62 as an int.
    void addLine(double x1, double y1, double x2, double y2, int color, const std::string &layer,
                 const LineStyle &style, bool readable = true)
    {
        Entity e;
        e.type = Entity::Type::Line;
        e.a = {x1, y1};
        e.b = {x2, y2};
        const bool sane = readable && isSane(e.a) && isSane(e.b);
        if (!sane) return refuse();
        scene_.add(std::move(e), layer, colorOf(color), style);
    }

    // Whether every number of the entity dxflib reports now was one it could read (dxflib reports
    // an entity when the next begins, so this is about the one that ended).
    bool readable() const { return !endedUnreadable_; }

    // A marker stands for the next LINEs read before dxflib. They are added where it ends, the
    // point where dxflib would have reported the last of them, so that the order of entities
    // holds: nothing stood between them.
    void takeReadLines(unsigned int code, const std::string &value)
    {
        if (markerOpen_ && nextMarker_ < readLines_.perMarker.size()) {
            const std::size_t end = nextLine_ + readLines_.perMarker[nextMarker_++];
            const std::size_t first = nextLine_;
            // Read only when their line type is the layer's, as dxflib would say.
            const LineStyle byLayer{"BYLAYER", 1.0};
            for (; nextLine_ < end && nextLine_ < readLines_.lines.size(); ++nextLine_) {
                // Read only when continuous (no line type of their own, none on any layer).
                const ReadLine &l = readLines_.lines[nextLine_];
                if (source_)
                    scene_.from(markerFirst_ == unnumbered
                                    ? Origin::fromFile
                                    : static_cast<std::uint32_t>(markerFirst_ + (nextLine_ - first) + 1));
                addLine(l.x1, l.y1, l.x2, l.y2, l.color, readLines_.layers[l.layer], byLayer);
            }
        }
        markerOpen_ = code == 0 && value == lineMarker;
    }

    // Numbers the entities of the ENTITIES section as the file scan does: an entity's ATTRIBs,
    // VERTEXes and SEQEND are its own. dxflib reports an entity when the next group 0 comes, so
    // what it reports from here on is the entity that just ended.
    void number(unsigned int code, const std::string &value)
    {
        if (code == 2 && sectionNameNext_) inEntities_ = value == "ENTITIES";
        sectionNameNext_ = code == 0 && value == "SECTION";
        if (code == 9) {
            // dxflib ends an entity at a group 9 too, and reads what follows otherwise than the
            // file holds it: such a file's entities are only shown.
            scene_.from(current_);
            current_ = Origin::fromFile;
            if (inEntities_) numbered_ = false;
            return;
        }
        if (code != 0) return;
        scene_.from(current_);
        // A marker the counting below does not reach (outside the entities) stands for LINEs
        // no entity of the file is tied to.
        if (value == lineMarker) markerFirst_ = unnumbered;
        // EOF ends a section its ENDSEC is missing from.
        if (!inEntities_ || value == "ENDSEC" || value == "EOF") {
            inEntities_ = inEntities_ && value != "ENDSEC" && value != "EOF";
            current_ = Origin::fromFile;
            return;
        }
        if (value == "ATTRIB" || value == "VERTEX" || value == "SEQEND") return;
        if (value == lineMarker) {
            // Stands for LINEs, numbered as they are taken (takeReadLines).
            markerFirst_ = next_;
            const std::size_t count =
                nextMarker_ < readLines_.perMarker.size() ? readLines_.perMarker[nextMarker_] : 0;
            for (std::size_t k = 0; k < count; ++k)
                numbered_ = numbered_ && source_->entityType(next_ + k) == "LINE";
            next_ += static_cast<std::uint32_t>(count);
            current_ = Origin::fromFile;
            return;
        }
        numbered_ = numbered_ && source_->entityType(next_) == value;
        current_ = ++next_;
    }

    void skip()
    {
        if (!scene_.inBlock()) ++skipped_;
    }

    // Entities of the ENTITIES section of kinds not drawn (MLINE, 3DSOLID, ATTDEF...) are counted;
    // dxflib passes them by unseen.
    void countUndrawn(unsigned int code, const std::string &value)
    {
        if (code == 2 && sectionNext_) modelEntities_ = value == "ENTITIES";
        sectionNext_ = code == 0 && value == "SECTION";
        if (code != 0 || !modelEntities_) return;
        if (value == "ENDSEC") modelEntities_ = false;
        static const std::set<std::string, std::less<>> drawn{
            "LINE",   "ARC",       "CIRCLE",     "ELLIPSE",  "TEXT",   "MTEXT",  "ATTRIB",
            "INSERT", "DIMENSION", "LWPOLYLINE", "POLYLINE", "VERTEX", "SEQEND", "SPLINE",
            "POINT",  "XLINE",     "RAY",        "HATCH",    "SOLID",  "TRACE",  "3DFACE",
            "LEADER", "IMAGE",     "WIPEOUT",    "ENDSEC"};
        // A marker stands for LINEs read before dxflib; without them, it is an entity of the file.
        const bool marker = value == lineMarker && !readLines_.perMarker.empty();
        if (!marker && !drawn.contains(value)) skip();
    }

    // An entity left out for its values: counted in blocks too, once, where it stands.
    void refuse() { ++badValues_; }

    static int colorOf(int color) { return color >= 0 && color <= colorByLayer ? color : colorByLayer; }

    // Paper space (group 67) is kept in the file but not shown.
    bool shown() const { return scene_.inBlock() || dxf_.getIntValue(67, 0) != 1; }

    // Whether the entity being read is drawn in the plane seen from below (extrusion 0,0,-1, as
    // mirroring often leaves arcs, circles, polylines, texts and blocks): its coordinates are
    // then those of a system whose x axis runs to the world's -x. Other tilted planes are shown
    // as given.
    bool drawnFromBelow()
    {
        double n[3];
        getExtrusion()->getDirection(n);
        return n[2] < 0 && std::fabs(n[0]) < 1.0 / 64 && std::fabs(n[1]) < 1.0 / 64;
    }

    // An entity read in such a plane, in the world's coordinates: mirrored in the y axis.
    static Entity fromOcs(Entity e, bool fromBelow)
    {
        if (!fromBelow) return e;
        const auto flip = [](Point &p) { p.x = -p.x; };
        flip(e.a);
        flip(e.b);
        flip(e.centre);
        flip(e.insert);
        for (Point &v : e.vertices)
            flip(v);
        if (e.type == Entity::Type::Arc) {
            // Its ends swap: it still runs counterclockwise.
            const double start = normalizedDegrees(180 - e.endAngle);
            e.endAngle = normalizedDegrees(180 - e.startAngle);
            e.startAngle = start;
        } else if (e.type == Entity::Type::Text) {
            e.rotation = normalizedDegrees(-e.rotation);
            e.mirrored = !e.mirrored;
        }
        return e;
    }

    // The line type and its scale the entity being read is drawn with.
    LineStyle style() { return {getAttributes().getLinetype(), getAttributes().getLinetypeScale()}; }

    void keep(Entity e, bool sane)
    {
        if (shown()) put(std::move(e), sane, getAttributes().getColor(), style());
    }

    void put(Entity e, bool sane, int color, const LineStyle &style)
    {
        put(std::move(e), sane, getAttributes().getLayer(), color, style);
    }
    void put(Entity e, bool sane, const std::string &layer, int color, const LineStyle &style)
    {
        if (!sane) return refuse();
        scene_.add(std::move(e), layer, colorOf(color), style);
    }

    // XLINE and RAY: through `base` in the direction `towards` (both ways for an XLINE).
    void ray(Point base, Point towards, bool both)
    {
        Entity e;
        e.type = Entity::Type::Ray;
        e.a = base;
        e.b = {base.x + towards.x, base.y + towards.y};
        e.closed = both;
        const bool sane = readable() && isSane(base) && isSane(towards) && isSane(e.b) && !(e.a == e.b);
        if (shown()) put(std::move(e), sane, getAttributes().getColor(), {});
    }

    // A shape the drawing has no kind for, as a polyline.
    void keepShape(std::vector<Point> points, bool closed)
    {
        Entity e;
        e.type = Entity::Type::Polyline;
        e.closed = closed;
        // Shapes are kept as their entity ends (or, for hatches, splines and leaders, in the same
        // step), so readable() is about their own values.
        const bool sane =
            readable() && points.size() >= 2 && std::all_of(points.begin(), points.end(), isSanePoint);
        e.vertices = std::move(points);
        keep(std::move(e), sane);
    }
    static bool isSanePoint(Point p) { return isSane(p); }

    void corners(const DL_TraceData &d, std::array<int, 4> order)
    {
        std::vector<Point> points;
        const double sx = drawnFromBelow() ? -1 : 1;
        for (const int i : order)
            if (points.empty() || !(points.back() == Point{sx * d.x[i], d.y[i]}))
                points.push_back({sx * d.x[i], d.y[i]});
        keepShape(std::move(points), true);
    }

    void closeHatchLoop()
    {
        const bool sane = loop_.size() >= 2 && std::all_of(loop_.begin(), loop_.end(), isSanePoint);
        if (sane && hatchLoops_.size() < maxVertices) hatchLoops_.push_back(std::move(loop_));
        loop_.clear();
    }

    // A solid hatch is filled; a patterned one drawn with its pattern lines, cut to its loops,
    // or by its loops when the pattern is not given, or too fine to draw.
    void finishHatch()
    {
        closeHatchLoop();
        inHatchEntity_ = false;
        std::vector<std::vector<Point>> loops = std::exchange(hatchLoops_, {});
        if (loops.empty() || !shown()) return;
        const int color = getAttributes().getColor();
        if (hatch_.solid) {
            Entity fill;
            fill.type = Entity::Type::Fill;
            for (const auto &loop : loops) {
                fill.vertices.insert(fill.vertices.end(), loop.begin(), loop.end());
                if (!(loop.back() == loop.front())) fill.vertices.push_back(loop.front());
            }
            return put(fromOcs(std::move(fill), hatchFromBelow_), readable(), color, {});
        }
        if (!endedPattern_.empty() && patternPieces_ < mostPatternPiecesInFile) {
            const auto pieces = hatchPattern(
                endedPattern_, loops, std::min(mostPatternPieces, mostPatternPiecesInFile - patternPieces_));
            if (pieces) {
                patternPieces_ += pieces->size();
                for (const auto &[a, b] : *pieces) {
                    Entity e;
                    e.a = a;
                    e.b = b;
                    put(fromOcs(std::move(e), hatchFromBelow_), readable(), color, {});
                }
                return;
            }
        }
        for (auto &loop : loops) {
            if (hatchFromBelow_)
                for (Point &p : loop)
                    p.x = -p.x;
            keepShape(std::move(loop), true);
        }
    }

    // The pattern definition of a HATCH: after group 78 (how many lines), each line from its
    // angle (53): base point (43, 44), offset (45, 46), and its dashes (49).
    void patternGroup(unsigned int code, const std::string &value)
    {
        if (code == 78) {
            patternBegun_ = true;
            pattern_.clear();
            return;
        }
        if (!patternBegun_) return;
        const double number = dxflibReal(value).value_or(0.0);
        if (code == 53) {
            if (pattern_.size() < mostPatternLines) pattern_.push_back(HatchLine{number, {}, {}, {}});
            return;
        }
        if (pattern_.empty()) return;
        HatchLine &line = pattern_.back();
        if (code >= 43 && code <= 46) {
            Point &p = code <= 44 ? line.base : line.offset;
            (code % 2 == 1 ? p.x : p.y) = number;
        } else if (code == 49 && line.dashes.size() < mostDashes) {
            line.dashes.push_back(number);
        }
    }

    // A WIPEOUT, which dxflib passes by: an image of one pixel whose clipping boundary (14, 24)
    // is the area it masks.
    struct Wipeout
    {
        bool open = false;
        std::string layer = "0";
        bool paper = false;
        Point at, u{1, 0}, v{0, 1}, size{1, 1};
        int clip = 1;
        std::vector<Point> boundary;
    };

    void wipeoutGroup(unsigned int code, const std::string &value)
    {
        Wipeout &w = wipeout_;
        const double number = dxflibReal(value).value_or(0.0);
        if (code == 8) {
            w.layer = value;
        } else if (code == 67) {
            w.paper = groupInt(value) != 0;
        } else if (code == 71) {
            w.clip = static_cast<int>(groupInt(value));
        } else if ((code >= 10 && code <= 13) || (code >= 20 && code <= 23)) {
            // x (1n) and y (2n) of the insertion point, u, v and the size in pixels.
            Point *const points[] = {&w.at, &w.u, &w.v, &w.size};
            Point &p = *points[code % 10];
            (code < 20 ? p.x : p.y) = number;
        } else if (code == 14 && w.boundary.size() < maxVertices) {
            w.boundary.push_back({number, 0});
        } else if (code == 24 && !w.boundary.empty()) {
            w.boundary.back().y = number;
        }
    }

    // The boundary runs in pixels from the image's top left corner (y downwards); two points
    // are the corners of a rectangle.
    void finishWipeout()
    {
        if (!wipeout_.open) return;
        const Wipeout w = std::exchange(wipeout_, Wipeout{});
        if (w.paper && !scene_.inBlock()) return;
        std::vector<Point> corners = w.boundary;
        if (corners.size() == 2 || w.clip == 1) {
            if (corners.size() < 2) return refuse();
            const Point p0 = corners.front(), p1 = corners[1];
            corners = {p0, {p1.x, p0.y}, p1, {p0.x, p1.y}};
        }
        if (corners.size() < 3) return refuse();
        Entity mask;
        mask.type = Entity::Type::Fill;
        const Point origin{w.at.x + (w.u.x - w.v.x) / 2, w.at.y + (w.u.y - w.v.y) / 2};
        for (const Point &p : corners) {
            const double down = w.size.y - p.y;
            mask.vertices.push_back(
                {origin.x + w.u.x * p.x + w.v.x * down, origin.y + w.u.y * p.x + w.v.y * down});
        }
        if (!(mask.vertices.back() == mask.vertices.front())) mask.vertices.push_back(mask.vertices.front());
        if (!readable() || !std::all_of(mask.vertices.begin(), mask.vertices.end(), isSanePoint))
            return refuse();
        scene_.add(std::move(mask), w.layer, colorBackground);
    }

    void finishSpline()
    {
        if (control_.empty() && fit_.empty()) return;
        auto points = control_.size() > static_cast<std::size_t>(spline_.degree)
                          ? splinePoints(static_cast<int>(spline_.degree), control_, knots_, weights_)
                          : fitPointCurve(fit_);
        control_.clear();
        fit_.clear();
        keepShape(std::move(points), (spline_.flags & 1) != 0);
    }

    void finishPolyline()
    {
        if (!inPolyline_) return;
        inPolyline_ = false;
        buildingLw_ = false;
        auto &v = polyline_.vertices;
        if (polyline_.closed && bulge_ != 0 && v.size() >= 2) {
            const std::vector<Point> arc = bulgePoints(v.back(), v.front(), bulge_);
            v.insert(v.end(), arc.begin(), arc.end());
        }
        const bool sane = polylineSane_ && polyline_.vertices.size() >= 2 && isSane(polyline_.startWidth) &&
                          isSane(polyline_.endWidth) && polyline_.startWidth >= 0 && polyline_.endWidth >= 0;
        // As the POLYLINE itself said: its SEQEND, or what follows when that is missing, does not
        // tell its layer, colour or entity.
        const PolylineOwner &owner = polylineOwner_;
        if (owner.shown) {
            const std::uint32_t now = scene_.origin();
            scene_.from(owner.origin);
            put(fromOcs(std::move(polyline_), polylineFromBelow_), sane, owner.layer, owner.color,
                owner.style);
            scene_.from(now);
        }
        polyline_ = Entity{};
    }

    // The middle of a text from its insertion and alignment points, its justification and its
    // generation flags.
    static Point middleOf(const DL_TextData &d, const Entity &e)
    {
        const bool aligned = d.hJustification != 0 || d.vJustification != 0;
        const Point align = aligned ? Point{d.apx, d.apy} : Point{d.ipx, d.ipy};
        if (d.hJustification == 4 || (d.hJustification == 1 && d.vJustification == 2)) return align;
        // Other justifications: shift by half the estimated size, along the text's own axes.
        const Box b = bounds(e);
        const double halfWidth = (b.width() > 0 ? std::max(b.width(), b.height()) : 0) / 2;
        double dx = 0, dy = 0;
        if (d.hJustification == 0 || d.hJustification == 3 || d.hJustification == 5)
            dx = halfWidth;
        else if (d.hJustification == 2)
            dx = -halfWidth;
        if (d.vJustification == 0 || d.vJustification == 1)
            dy = e.height / 2;
        else if (d.vJustification == 3)
            dy = -e.height / 2;
        // Backwards and upside down, the text is mirrored about its alignment point.
        if ((d.textGenerationFlags & 2) != 0) dx = -dx;
        if ((d.textGenerationFlags & 4) != 0) dy = -dy;
        const double r = radians(e.rotation);
        return {align.x + dx * std::cos(r) - dy * std::sin(r), align.y + dx * std::sin(r) + dy * std::cos(r)};
    }

    DL_Dxf &dxf_;
    Drawing &drawing_;
    DxfScene scene_;
    const ReadLines &readLines_;
    const DxfSource *source_;
    bool sectionNameNext_ = false;
    bool inEntities_ = false;
    bool sectionNext_ = false;
    bool modelEntities_ = false;
    bool numbered_ = true;
    std::uint32_t next_ = 0;
    std::uint32_t current_ = Origin::fromFile;
    static constexpr std::size_t unnumbered = std::numeric_limits<std::size_t>::max();
    std::size_t markerFirst_ = unnumbered;
    std::size_t nextMarker_ = 0;
    std::size_t nextLine_ = 0;
    bool markerOpen_ = false;
    std::size_t skipped_ = 0;
    std::size_t badValues_ = 0;
    // A number of the entity being read, or of the one that ended, dxflib could not read.
    bool unreadable_ = false;
    bool endedUnreadable_ = false;
    double bulge_ = 0;
    DL_SplineData spline_{1, 0, 0, 0, 0};
    std::vector<Point> control_, fit_, loop_, leader_;
    // The hatch being read: its data and loops so far, the pattern of the hatch whose groups
    // are being read (inHatch_) and of the one that ended (endedPattern_), as for the widths.
    DL_HatchData hatch_;
    bool hatchFromBelow_ = false;
    HatchEdges hatchEdges_;
    bool inHatchEntity_ = false;
    std::vector<std::vector<Point>> hatchLoops_;
    bool inHatch_ = false;
    bool patternBegun_ = false;
    std::vector<HatchLine> pattern_, endedPattern_;
    std::size_t patternPieces_ = 0;
    std::vector<double> dashes_, endedDashes_;
    Wipeout wipeout_;
    std::vector<double> weights_, knots_;
    std::string mtext_;
    bool sawSection_ = false;
    bool sawEnd_ = false;
    bool inLwPolyline_ = false;
    bool endedLwPolyline_ = false;
    bool buildingLw_ = false;
    bool inPolyline_ = false;
    bool polylineSane_ = true;
    bool polylineFromBelow_ = false;
    struct PolylineOwner
    {
        std::string layer;
        int color = colorByLayer;
        LineStyle style;
        bool shown = true;
        std::uint32_t origin = Origin::fromFile;
    };
    PolylineOwner polylineOwner_;
    Entity polyline_;
    std::vector<std::pair<double, double>> vertexWidths_;
    std::vector<std::pair<double, double>> endedWidths_;
    std::vector<std::pair<double, double>> lwWidths_;
};

// dxflib reads a file group by group, a code line and then a value line, each through fgets
// into 1024 bytes: a line longer than 1023 characters would be read as several, and every group
// after it would fall out of step (a LINE lost its end point, a text of megabytes made the file
// look cut off). Such lines are cut here first (groupAt), so that dxflib reads every line as one.
// The code is what strtol makes of its line, cut to 32 bits ("90:", "090", "+90" and " 90" are
// all 90). Every decision below is taken on the groups as dxflib will read them, so that what it
// sees as a count or as the start of an entity is never taken for something else here.
constexpr std::size_t maxDxfLine = 1023; // with its line end

// The end of the line that begins at `start`: past its line feed, or the end of the bytes.
std::size_t lineEnd(std::string_view bytes, std::size_t start)
{
    const void *newline = std::memchr(bytes.data() + start, '\n', bytes.size() - start);
    return newline ? static_cast<std::size_t>(static_cast<const char *>(newline) - bytes.data()) + 1
                   : bytes.size();
}

// The int dxflib reads from a line: strtol's leading decimal number, cut to 32 bits.
std::int32_t dxflibInt(std::string_view line)
{
    std::size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || (line[i] >= '\t' && line[i] <= '\r')))
        ++i;
    const bool negative = i < line.size() && line[i] == '-';
    if (i < line.size() && (line[i] == '-' || line[i] == '+')) ++i;
    // Held at the largest long, as strtol does.
    constexpr auto ceiling = static_cast<std::uint64_t>(INT64_MAX);
    std::uint64_t value = 0;
    for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
        const auto digit = static_cast<std::uint64_t>(line[i] - '0');
        value = value > (ceiling - digit) / 10 ? ceiling : value * 10 + digit;
    }
    const auto number = static_cast<std::int64_t>(value);
    return static_cast<std::int32_t>(negative ? -number : number);
}

// The text dxflib keeps of a value line: up to a NUL, without the line end; blanks stay.
std::string_view dxflibText(std::string_view line)
{
    line = line.substr(0, line.find('\0'));
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    return line;
}

// Group codes whose value dxflib takes as a count and sets aside room for before it reads what
// is counted: vertices of LWPOLYLINE (90) and LEADER (76), knots, control and fit points of
// SPLINE (72, 73, 74).
bool isCountCode(std::int32_t code)
{
    return code == 90 || code == 76 || code == 72 || code == 73 || code == 74;
}

// A count dxflib cannot make room for (hundreds of millions) made it free its old room and throw,
// leaving a pointer that its destructor freed again; room for millions it filled, at a cost of
// hundreds of megabytes and a pause each time, for a file of a few bytes. No file holds more of
// anything than it has bytes for, eight at the least ("10\n1\n20\n1\n"), so larger counts are
// cut down to that, and below maxVertices.
std::size_t countCap(std::size_t fileSize)
{
    return std::min(maxVertices - 1, fileSize / 8 + 1);
}

// The characters of bytes[start, end) before the line end: blanks, then `text` at their end. A
// count larger than `text` is never written shorter than it.
void writeOver(std::string &bytes, std::size_t start, std::size_t end, const std::string &text)
{
    std::size_t last = end;
    while (last > start && (bytes[last - 1] == '\n' || bytes[last - 1] == '\r'))
        --last;
    if (last - start < text.size()) return;
    std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(start),
              bytes.begin() + static_cast<std::ptrdiff_t>(last), ' ');
    bytes.replace(last - text.size(), text.size(), text);
}

// A line that begins with a NUL is empty to dxflib, which then keeps the text of the line read
// before it: such a code or value would follow whatever group came before, kept or left out.
// No drawing holds one, so the NUL becomes a blank and every line reads for itself.
void blankLeadingNul(std::string &bytes, std::size_t start)
{
    if (bytes[start] == '\0') bytes[start] = ' ';
}

// dxflib ends the entity it is reading at group 0 and at group 9 alike.
bool endsEntity(std::int32_t code)
{
    return code == 0 || code == 9;
}

// dxflib reads a number through a string stream into a variable it leaves unset when the value
// holds nothing but white space: such a number was whatever the stack held, and the same file
// could open differently twice. Left out, it reads as a missing group does.
bool isBlankNumber(std::int32_t code, std::string_view line)
{
    return isRealCode(code) && dxflibText(line).find_first_not_of(" \t\n\v\f\r") == std::string_view::npos;
}

// The groups of an entity the reader builds a drawing from; dxflib stores and converts every
// group it is given, so the others (handles, owners, layers, styles, subclass markers, heights
// above the plane, line weights, extended data) are left out before it sees them.
bool drawnFrom(std::int32_t code)
{
    switch (code) {
    case 1:
    case 2:
    case 3:
    case 6: // line type
    case 7:
    case 8:
    case 10:
    case 11:
    case 12:
    case 13:
    case 14: // WIPEOUT boundary
    case 20:
    case 21:
    case 22:
    case 23:
    case 24:
    case 40:
    case 41:
    case 42:
    case 43:
    case 44:
    case 45: // INSERT row spacing
    case 46:
    case 48: // line type scale
    case 49: // dashes of hatch pattern lines
    case 50:
    case 51:
    case 53:
    case 62:
    case 66:
    case 67: // paper space
    case 70:
    case 71:
    case 72:
    case 73:
    case 74:
    case 76: // LEADER vertices
    case 78: // hatch pattern lines
    case 79:
    case 90:
    case 91:
    case 92: // HATCH boundary paths and their edges, spline edges
    case 93:
    case 94:
    case 95:
    case 96:
    case 210:
    case 220:
    case 230:
        return true;
    default:
        return false;
    }
}

// Which groups go on to dxflib (each costs it a line read, stored and converted): in ENTITIES and
// BLOCKS those an entity is drawn from; in TABLES the name, colour, flags and line type of layers,
// the line types whole, and nothing of the other tables' records; of the header's variables only
// $LTSCALE; nothing of OBJECTS, CLASSES and the sections of pictures and data; everything elsewhere.
// Sections are followed by their markers as dxflib reads them; the markers and the end of file
// always go on, as the reader looks for them.
class GroupFilter
{
public:
    // `line` is the value line as it lies in the file; only markers and names are read as text.
    bool keeps(std::int32_t code, std::string_view line)
    {
        if ((code == 0 || code == 2) && takesSectionMark(code, dxflibText(line))) return true;
        // dxflib reads entities wherever they stand, so in every section.
        if (isBlankNumber(code, line)) return false;
        if (code == 67 && section_ == Section::Entities && dxflibInt(line) != 0) paperSpace_ = true;
        switch (section_) {
        case Section::Entities:
        case Section::Blocks:
            // dxflib reads a hatch's seed points (after group 98) as one more boundary vertex.
            if (code == 0) {
                hatch_ = dxflibText(line) == "HATCH";
                seeds_ = false;
            }
            if (hatch_ && code == 98) seeds_ = true;
            if (seeds_ && (code == 10 || code == 20 || code == 30)) return false;
            // A colour of 256 is ByLayer, the line type BYLAYER and the scale 1 what a missing
            // group means anyway.
            return endsEntity(code) || (drawnFrom(code) && !(code == 62 && dxflibInt(line) == 256) &&
                                        !(code == 6 && sameName(dxflibText(line), "BYLAYER")) &&
                                        !(code == 48 && dxflibReal(line) == 1.0));
        case Section::Header:
            // A variable's name (group 9) and its values, up to the next one or an entity.
            if (code == 0 || code == 9) variable_ = code == 9 && dxflibText(line) != "$LTSCALE";
            return !variable_;
        case Section::Tables:
            if (code == 0) record_ = recordNamed(dxflibText(line));
            return code == 0 || record_ == Record::Other ||
                   (record_ == Record::Layer && (code == 2 || code == 6 || code == 62 || code == 70));
        case Section::Unread:
            return false;
        case Section::Other:
            break;
        }
        return true;
    }

    bool inEntities() const { return section_ == Section::Entities; }
    // Whether an entity said it is in paper space (group 67 not 0).
    bool sawPaperSpace() const { return paperSpace_; }

private:
    // Unread: OBJECTS, CLASSES, THUMBNAILIMAGE and ACDSDATA. Other: outside a section, or in one of
    // a name not known here.
    enum class Section { Other, Header, Tables, Entities, Blocks, Unread };
    // In TABLES: a layer, a record of another table not read (or a table's own groups), or
    // anything else (line types among them).
    enum class Record { Layer, Table, Other };

    // Follows the sections by their markers and names; true for a group that was one of them.
    bool takesSectionMark(std::int32_t code, std::string_view value)
    {
        if (code == 0 && (value == "SECTION" || value == "ENDSEC" || value == "EOF")) {
            section_ = Section::Other;
            nameNext_ = value == "SECTION";
            variable_ = false;
            record_ = Record::Other;
            return true;
        }
        if (code == 2 && nameNext_) {
            nameNext_ = false;
            section_ = sectionNamed(value);
            return true;
        }
        return false;
    }

    static Section sectionNamed(std::string_view name)
    {
        if (name == "ENTITIES") return Section::Entities;
        if (name == "BLOCKS") return Section::Blocks;
        if (name == "HEADER") return Section::Header;
        if (name == "TABLES") return Section::Tables;
        for (const std::string_view unread : {"OBJECTS", "CLASSES", "THUMBNAILIMAGE", "ACDSDATA"})
            if (name == unread) return Section::Unread;
        return Section::Other;
    }

    static Record recordNamed(std::string_view type)
    {
        if (type == "LAYER") return Record::Layer;
        for (const std::string_view table :
             {"TABLE", "ENDTAB", "VPORT", "STYLE", "VIEW", "UCS", "APPID", "DIMSTYLE", "BLOCK_RECORD"})
            if (type == table) return Record::Table;
        return Record::Other;
    }

    Section section_ = Section::Other;
    Record record_ = Record::Other;
    bool variable_ = false;
    bool nameNext_ = false;
    bool paperSpace_ = false;
    bool hatch_ = false;
    bool seeds_ = false;
};

// Where one group lies: its code line from `code`, its value line from `value` up to `end`; the
// next group begins at `next`, past the rest of a value line that was cut (`cut`).
struct GroupPlace
{
    std::size_t code;
    std::size_t value;
    std::size_t end;
    std::size_t next;
    bool cut;
};

// A code line longer than dxflib reads becomes its number, at the end of the line, right before
// its value line. Returns where it begins.
std::size_t shortenCodeLine(std::string &bytes, std::size_t start, std::size_t end)
{
    const std::string code = std::to_string(dxflibInt(std::string_view(bytes).substr(start, end - start)));
    const std::size_t begin = end - 1 - code.size(); // before the line feed
    bytes.replace(begin, code.size(), code);
    return begin;
}

// A value line longer than dxflib reads keeps its first keptOfLongValue bytes at most, ending
// before a character of several bytes (UTF-8) or an escape ("\U+901A") that would not fit whole.
// Returns its new end, past the line feed written there.
std::size_t shortenValueLine(std::string &bytes, std::size_t start)
{
    constexpr std::size_t keptOfLongValue = 1000;
    constexpr std::size_t longestEscape = 8; // "\M+18E9F"
    std::size_t cut = start + keptOfLongValue;
    while (cut > start && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80)
        --cut;
    for (std::size_t i = cut; i > start && cut - i < longestEscape; --i) {
        if (bytes[i - 1] == '\\') {
            cut = i - 1;
            break;
        }
    }
    bytes[cut] = '\n';
    return cut + 1;
}

// The group dxflib reads from `start` of `source`, if it has both lines, copied to the end of
// `out` (where `code`, `value` and `end` lie; `next` is in `source`). Lines it would read in
// pieces are cut in the copy, and lines that begin with a NUL made blank (blankLeadingNul).
std::optional<GroupPlace> groupAt(std::string_view source, std::size_t start, std::string &out)
{
    if (start >= source.size()) return std::nullopt;
    const std::size_t value = lineEnd(source, start);
    if (value == source.size()) return std::nullopt;
    const std::size_t end = lineEnd(source, value);
    const std::size_t base = out.size();
    out.append(source.substr(start, end - start));
    GroupPlace at{base, base + (value - start), base + (end - start), end, false};
    blankLeadingNul(out, at.code);
    blankLeadingNul(out, at.value);
    if (at.value - at.code > maxDxfLine) at.code = shortenCodeLine(out, at.code, at.value);
    if (at.end - at.value > maxDxfLine) {
        at.end = shortenValueLine(out, at.value);
        at.cut = true;
    }
    return at;
}

// Reads the LINE entities of the ENTITIES section while the bytes are prepared, and puts a
// marker (lineMarkerGroup) in place of them: dxflib stores every group of an entity as text and
// converts each number through a string stream, which is most of the time a large drawing takes
// to open. A LINE is read here only where the result is sure to be dxflib's own: its groups end
// at a group 0 (not at a group 9, after which dxflib goes on differently, nor at the end of the
// bytes), and each coordinate it draws from is one dxflibReal() reads. The others go to dxflib.
class LineShortcut
{
public:
    // Called with each group kept, before it is written at `write`; returns where to write it.
    std::size_t before(std::string &bytes, std::size_t write, std::int32_t code, const GroupPlace &at,
                       bool inEntities)
    {
        const std::string_view value = std::string_view(bytes).substr(at.value, at.end - at.value);
        if (code == 9) {
            lineAt_.reset();
            return write;
        }
        if (code != 0) {
            if (lineAt_) collect(code, value);
            return write;
        }
        if (lineAt_ && complete()) write = replaceByMarker(bytes, *lineAt_);
        lineAt_.reset();
        const std::string_view type = dxflibText(value);
        if (type == lineMarker) renameLookalike(bytes, at);
        if (inEntities && type == "LINE") start(write);
        return write;
    }

    ReadLines take() { return std::move(read_); }

private:
    void start(std::size_t write)
    {
        lineAt_ = write;
        // What dxflib takes for a missing group: 0 for a coordinate, ByLayer for the colour.
        coordinates_.fill(0.0);
        color_ = colorByLayer;
        styled_ = false;
        unreadable_ = false;
        layer_ = noLayer;
    }

    // The last of each group counts, as in dxflib; the others do not change a LINE. A number
    // dxflib cannot read leaves the LINE out, whichever group it is in: it goes to dxflib, which
    // counts it (DxfReader::readable()).
    void collect(std::int32_t code, std::string_view value)
    {
        switch (code) {
        case 10:
            coordinate(0, value);
            break;
        case 20:
            coordinate(1, value);
            break;
        case 11:
            coordinate(2, value);
            break;
        case 21:
            coordinate(3, value);
            break;
        case 62:
            color_ = dxflibInt(value);
            break;
        case 6:
            // In a plain file, where every layer is continuous, only a line type of its own
            // makes a difference.
            styled_ = styled_ ||
                      !(sameName(dxflibText(value), "BYLAYER") || sameName(dxflibText(value), "BYBLOCK") ||
                        sameName(dxflibText(value), "CONTINUOUS"));
            break;
        case 8: {
            // As dxflib reads a value (blanks kept). The bytes move on, the index stays.
            const std::string_view name = dxflibText(value);
            layer_ = layerIndex(name.empty() ? std::string_view("0") : name);
            break;
        }
        default:
            if (isRealCode(code) && !dxflibReadsNumber(value)) unreadable_ = true;
            break;
        }
    }

    // A number dxflibReal() reads is one dxflib reads; only the others are looked at again.
    void coordinate(std::size_t i, std::string_view value)
    {
        coordinates_[i] = dxflibReal(value);
        if (!coordinates_[i] && !dxflibReadsNumber(value)) unreadable_ = true;
    }

    // The index of a layer's name in read_.layers; most LINEs follow one on the same layer.
    std::uint32_t layerIndex(std::string_view name)
    {
        if (!read_.layers.empty() && read_.layers[lastLayer_] == name) return lastLayer_;
        const auto it = layerIndices_.find(std::string(name));
        if (it != layerIndices_.end()) return lastLayer_ = it->second;
        lastLayer_ = static_cast<std::uint32_t>(read_.layers.size());
        read_.layers.emplace_back(name);
        layerIndices_.emplace(read_.layers.back(), lastLayer_);
        return lastLayer_;
    }

    // A LINE with a line type of its own is left to dxflib, which reads it.
    bool complete() const
    {
        return !styled_ && !unreadable_ &&
               std::all_of(coordinates_.begin(), coordinates_.end(),
                           [](const auto &c) { return c.has_value(); });
    }

    // Keeps the LINE and takes its groups, which were written from `lineAt`, out of the bytes:
    // right after a marker (the LINE before it was read here too) that marker stands for it as
    // well; else a marker is written over them, shorter than the LINE's first group alone.
    std::size_t replaceByMarker(std::string &bytes, std::size_t lineAt)
    {
        read_.lines.push_back({*coordinates_[0], *coordinates_[1], *coordinates_[2], *coordinates_[3], color_,
                               layer_ == noLayer ? layerIndex("0") : layer_});
        if (lineAt == markerEnd_) {
            ++read_.perMarker.back();
            return lineAt;
        }
        std::memcpy(bytes.data() + lineAt, lineMarkerGroup.data(), lineMarkerGroup.size());
        read_.perMarker.push_back(1);
        markerEnd_ = lineAt + lineMarkerGroup.size();
        return markerEnd_;
    }

    // An entity of the file whose type reads as the marker gets another unknown type, so that
    // only markers written here are taken for LINEs.
    static void renameLookalike(std::string &bytes, const GroupPlace &at) { bytes[at.value] = '#'; }

    std::optional<std::size_t> lineAt_;
    std::array<std::optional<double>, 4> coordinates_;
    int color_ = colorByLayer;
    bool styled_ = false;
    bool unreadable_ = false;
    // Until a group 8: layer 0.
    static constexpr std::uint32_t noLayer = ~std::uint32_t(0);
    std::uint32_t layer_ = noLayer;
    std::uint32_t lastLayer_ = 0;
    std::unordered_map<std::string, std::uint32_t> layerIndices_;
    std::size_t markerEnd_ = std::string::npos;
    ReadLines read_;
};

struct Prepared
{
    bool paperSpace = false;   // whether an entity is in paper space
    std::size_t shortened = 0; // values kept that were cut (see groupAt)
};

// Prepares a file's bytes for dxflib in one pass, group by group as dxflib reads them: what
// GroupFilter keeps is copied to `out` and every count kept is cut to countCap(). A code line
// with no value line after it is left out: dxflib would pair it with the value read before.
// With `lines`, LINE entities are read on the way (see LineShortcut). Each group is copied to the
// end of `out` and mended there before it is judged; one left out is taken off again, so that
// `out` holds no more than what dxflib reads.
Prepared prepareForDxflib(std::string_view source, std::string &out, LineShortcut *lines)
{
    const std::size_t most = countCap(source.size());
    const std::string cap = std::to_string(most);
    GroupFilter filter;
    Prepared prepared;
    out.clear();
    // Never more than the source: its pages are only touched as far as they are written.
    out.reserve(source.size());
    std::size_t write = 0;
    for (auto at = groupAt(source, 0, out); at; at = groupAt(source, at->next, out)) {
        const std::string_view all(out);
        const std::int32_t code = dxflibInt(all.substr(at->code, at->value - at->code));
        const std::string_view value = all.substr(at->value, at->end - at->value);
        if (filter.keeps(code, value)) {
            if (at->cut) ++prepared.shortened;
            if (lines) write = lines->before(out, write, code, *at, filter.inEntities());
            const bool tooMany = isCountCode(code) && dxflibInt(value) > static_cast<std::int64_t>(most);
            const std::size_t length = at->end - at->code;
            if (write != at->code) std::memmove(out.data() + write, out.data() + at->code, length);
            if (tooMany) writeOver(out, write + (at->value - at->code), write + length, cap);
            write += length;
        }
        out.resize(write);
    }
    prepared.paperSpace = filter.sawPaperSpace();
    return prepared;
}

// dxflib's constructor leaves the kind of object being read unset: a parser made where an
// earlier one stopped inside an entity (a file cut off) would report that entity again at the
// start of the next file. Made with `new ZeroedDxfParser()`, the parser is zeroed first (no object).
class ZeroedDxfParser
{
public:
    DL_Dxf &dxf() { return dxf_; }

private:
    DL_Dxf dxf_;
};

// Reads with dxflib from an open stdio stream (a file, or bytes in memory); dxflib's own
// std::istream path does not report the raw groups the widths need.
DxfReadResult run(FILE *file, const ReadLines &readLines, const std::string &currentLayer,
                  const DxfSource *source)
{
    DxfReadResult result;
    const auto fresh = std::make_unique<ZeroedDxfParser>();
    DL_Dxf &dxf = fresh->dxf();
    DxfReader reader(dxf, result.drawing, readLines, source);
    try {
        while (dxf.readDxfGroups(file, &reader)) {
        }
    } catch (const std::exception &) {
        result.error = "DXF ファイルの内容が正しくありません。";
        return result;
    }
    if (!reader.sawSection()) {
        result.error = notDxf;
        return result;
    }
    // A file cut off (a copy or a save that did not finish) is refused whole, as CAD programs
    // do: half a drawing opened and saved again would lose the rest for good.
    if (!reader.sawEnd()) {
        result.error = "DXF ファイルが途中で切れています。";
        return result;
    }
    result.viewOnly = reader.finish(currentLayer);
    // What was read is the starting point, not something to take back.
    result.drawing.forgetHistory();
    result.skipped = reader.skipped();
    result.badValues = reader.badValues();
    result.ok = true;
    return result;
}

#ifdef _WIN32
// Windows has no fmemopen: the bytes go through a temporary file of their own, held in memory
// where the system can ("T") and deleted when closed ("D").
FILE *openBytes(std::string &bytes)
{
    wchar_t folder[MAX_PATH + 1];
    wchar_t path[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH || GetTempFileNameW(folder, L"qdx", 0, path) == 0) return nullptr;
    FILE *file = _wfopen(path, L"w+bTD");
    if (!file) {
        DeleteFileW(path);
        return nullptr;
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || std::fflush(file) != 0) {
        std::fclose(file);
        return nullptr;
    }
    std::rewind(file);
    return file;
}
#else
FILE *openBytes(std::string &bytes)
{
    return ::fmemopen(bytes.data(), bytes.size(), "r");
}
#endif

// What dxflib's input is made from: binary files as ASCII, texts in a code page as UTF-8, both
// made into `made`; else the bytes as read, kept for saving.
std::string_view forReading(const DxfSource &source, const DxfTextDecoder &decoder, std::string &made)
{
    if (source.binary()) made = source.ascii();
    const std::string_view bytes =
        source.binary() ? std::string_view(made) : std::string_view(source.bytes());
    if (!decoder || !source.usesCodepage() || source.codepage().empty()) return bytes;
    const bool plain = std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
    if (plain) return bytes;
    std::string decoded = decoder(bytes, source.codepage());
    if (decoded.empty()) return bytes;
    made = std::move(decoded);
    return made;
}

// What reading a large file set aside and freed (the file's bytes, their copy for dxflib, the lines
// read before it) goes back to the system, rather than staying with the program beside the
// drawing.
void returnFreedMemory()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

DxfReadResult readFromBytes(std::string original, DxfLineReading how, const DxfTextDecoder &decoder,
                            bool keepFile)
{
    if (!dxfBeginning(original)) {
        DxfReadResult result;
        result.error = notDxf;
        return result;
    }
    auto source = DxfSource::scan(std::move(original), keepFile, decoder);
    std::string made;
    const std::string_view text = forReading(*source, decoder, made);
    // LINEs read before dxflib know neither layer nor space: files whose layers or paper space
    // change what is shown go whole through dxflib.
    if (!source->plain()) how = DxfLineReading::ThroughDxflib;
    LineShortcut shortcut;
    std::string bytes;
    const Prepared prepared =
        prepareForDxflib(text, bytes, how == DxfLineReading::Direct ? &shortcut : nullptr);
    if (prepared.paperSpace && how == DxfLineReading::Direct) {
        shortcut = LineShortcut();
        prepareForDxflib(text, bytes, nullptr);
    }
    made = std::string();
    const ReadLines readLines = shortcut.take();
    if (bytes.empty()) {
        DxfReadResult result;
        result.error = notDxf;
        return result;
    }
    FILE *file = openBytes(bytes);
    if (!file) {
        DxfReadResult result;
        result.error = "DXF ファイルを読み込めません。";
        return result;
    }
    // The stream reads through a buffer on the stack rather than one it allocates, which was a
    // good part of reading a small file.
    std::array<char, BUFSIZ> buffer;
    std::setvbuf(file, buffer.data(), _IOFBF, buffer.size());
    DxfReadResult result =
        run(file, readLines, source->currentLayerName(), keepFile ? source.get() : nullptr);
    std::fclose(file);
    result.shortened = prepared.shortened;
    result.linesReadDirectly = readLines.lines.size();
    // The symbols it keeps are known again: they are what can be told apart and edited.
    if (keepFile && result.ok && !result.viewOnly) source->giveSymbols(result.drawing, decoder);
    if (keepFile) result.source = std::move(source);
    return result;
}

} // namespace

DxfReadResult readDxfData(std::string_view bytes, DxfLineReading how, const DxfTextDecoder &decoder,
                          bool keepFile)
{
    DxfReadResult result = readFromBytes(std::string(bytes), how, decoder, keepFile);
    returnFreedMemory();
    return result;
}

std::optional<std::string> readDxfBytes(const std::string &path, std::string *error)
{
    // Only a regular file is opened: a folder cannot be read, and opening a named pipe or a
    // device could wait for ever.
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status)) {
        *error = "ファイルを開けません: " + path;
        return std::nullopt;
    }
    if (!std::filesystem::is_regular_file(status)) {
        *error = "通常のファイルではありません: " + path;
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        *error = "ファイルを開けません: " + path;
        return std::nullopt;
    }
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<std::uintmax_t>(size) > maxDxfFileBytes) {
        *error = "ファイルが大きすぎます(" + std::to_string(maxDxfFileBytes >> 20) + " MB まで): " + path;
        return std::nullopt;
    }
    // Its beginning first: a file that is no DXF is refused before the rest takes time and memory.
    std::string head(static_cast<std::size_t>(std::min<std::streamoff>(size, dxfBeginningSize)), '\0');
    in.seekg(0);
    if (!in.read(head.data(), static_cast<std::streamsize>(head.size()))) {
        *error = "ファイルを読み込めません: " + path;
        return std::nullopt;
    }
    if (!dxfBeginning(head)) {
        *error = std::string(notDxf) + " " + path;
        return std::nullopt;
    }
    std::string bytes;
    try {
        bytes.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc &) {
        *error = "メモリが足りないため読み込めません: " + path;
        return std::nullopt;
    }
    std::copy(head.begin(), head.end(), bytes.begin());
    const std::streamoff rest = size - static_cast<std::streamoff>(head.size());
    if (rest > 0 && !in.read(bytes.data() + head.size(), rest)) {
        *error = "ファイルを読み込めません: " + path;
        return std::nullopt;
    }
    return bytes;
}

DxfReadResult readDxf(const std::string &path, DxfLineReading how, const DxfTextDecoder &decoder,
                      bool keepFile)
{
    DxfReadResult failed;
    std::optional<std::string> bytes = readDxfBytes(path, &failed.error);
    if (!bytes) return failed;
    DxfReadResult result = readFromBytes(std::move(*bytes), how, decoder, keepFile);
    returnFreedMemory();
    return result;
}

} // namespace cad
