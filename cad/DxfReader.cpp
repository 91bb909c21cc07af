#include "Dxf.h"

#include "DxfText.h"
#include "Geometry.h"
#include "InputReading.h"

#include <dxflib/dl_creationadapter.h>
#include <dxflib/dl_dxf.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace cad {

namespace {

constexpr const char *notDxf = "DXF ファイルではありません。";
constexpr double radToDeg = 180.0 / M_PI;
// Vertices beyond this in one polyline are dropped: a file claiming more is broken.
constexpr std::size_t maxVertices = 10'000'000;

// Collects the entities of the model space as dxflib reports them.
class DxfReader final : public DL_CreationAdapter
{
public:
    explicit DxfReader(DL_Dxf &dxf, Drawing &drawing) : dxf_(dxf), drawing_(drawing)
    {
        drawing_.beginGroup({});
    }

    void finish()
    {
        finishPolyline();
        drawing_.endGroup();
    }
    std::size_t skipped() const { return skipped_; }
    bool sawSection() const { return sawSection_; }

    void processCodeValuePair(unsigned int code, const std::string &value) override
    {
        // dxflib leaves the widths of LWPOLYLINE vertices out; they are taken here.
        // dxflib reports an entity when the next one begins, so what was gathered is kept apart.
        if (code == 0) {
            sawSection_ = sawSection_ || value == "SECTION";
            endedLwPolyline_ = inLwPolyline_;
            endedWidths_.swap(vertexWidths_);
            vertexWidths_.clear();
            inLwPolyline_ = value == "LWPOLYLINE";
            return;
        }
        if (!inLwPolyline_) return;
        if (code == 10)
            vertexWidths_.push_back({0, 0});
        else if ((code == 40 || code == 41) && !vertexWidths_.empty() &&
                 vertexWidths_.size() <= maxVertices) {
            const auto v = readNumber(value);
            (code == 40 ? vertexWidths_.back().first : vertexWidths_.back().second) = v ? *v : 0;
        }
    }

    void addBlock(const DL_BlockData &data) override
    {
        inBlock_ = data.name != "*Model_Space" && data.name != "*MODEL_SPACE";
    }
    void endBlock() override { inBlock_ = false; }

    void addLine(const DL_LineData &d) override
    {
        Entity e;
        e.type = Entity::Type::Line;
        e.a = {d.x1, d.y1};
        e.b = {d.x2, d.y2};
        const bool sane = isSane(e.a) && isSane(e.b);
        keep(std::move(e), sane);
    }

    void addArc(const DL_ArcData &d) override
    {
        Entity e;
        e.type = Entity::Type::Arc;
        e.centre = {d.cx, d.cy};
        e.radius = d.radius;
        e.startAngle = normalizedDegrees(d.angle1);
        e.endAngle = normalizedDegrees(d.angle2);
        const bool sane = isSane(e.centre) && isSane(d.radius) && d.radius > 0;
        keep(std::move(e), sane);
    }

    void addCircle(const DL_CircleData &d) override
    {
        Entity e;
        e.type = Entity::Type::Circle;
        e.centre = {d.cx, d.cy};
        e.radius = d.radius;
        const bool sane = isSane(e.centre) && isSane(d.radius) && d.radius > 0;
        keep(std::move(e), sane);
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
        if (!whole) {
            ++skipped_;
            return;
        }
        const bool sane = isSane(e.centre) && isSane(e.majorAxis) && !(e.majorAxis == Point{}) &&
                          d.ratio > 0 && d.ratio <= 1;
        keep(std::move(e), sane);
    }

    void addText(const DL_TextData &d) override
    {
        Entity e;
        e.type = Entity::Type::Text;
        e.text = decodeDxfText(d.text);
        e.height = d.height;
        e.rotation = normalizedDegrees(d.angle * radToDeg);
        e.insert = middleOf(d, e);
        const bool sane = isSane(e.insert) && isSane(d.height) && d.height > 0;
        keep(std::move(e), sane);
    }

    void addPolyline(const DL_PolylineData &d) override
    {
        finishPolyline();
        polyline_ = Entity{};
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
        polylineSane_ = true;
    }

    void addVertex(const DL_VertexData &d) override
    {
        if (!inPolyline_ || polyline_.vertices.size() >= maxVertices) return;
        const Point p{d.x, d.y};
        polylineSane_ = polylineSane_ && isSane(p);
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
    }

    void addPoint(const DL_PointData &) override { skip(); }
    void addXLine(const DL_XLineData &) override { skip(); }
    void addRay(const DL_RayData &) override { skip(); }
    void addSpline(const DL_SplineData &) override { skip(); }
    void addInsert(const DL_InsertData &) override { skip(); }
    void addTrace(const DL_TraceData &) override { skip(); }
    void add3dFace(const DL_3dFaceData &) override { skip(); }
    void addSolid(const DL_SolidData &) override { skip(); }
    void addMText(const DL_MTextData &) override { skip(); }
    void addHatch(const DL_HatchData &) override { skip(); }
    void addImage(const DL_ImageData &) override { skip(); }
    void addLeader(const DL_LeaderData &) override { skip(); }
    void addDimLinear(const DL_DimensionData &, const DL_DimLinearData &) override { skip(); }
    void addDimAlign(const DL_DimensionData &, const DL_DimAlignedData &) override { skip(); }
    void addDimRadial(const DL_DimensionData &, const DL_DimRadialData &) override { skip(); }
    void addDimDiametric(const DL_DimensionData &, const DL_DimDiametricData &) override { skip(); }
    void addDimAngular(const DL_DimensionData &, const DL_DimAngular2LData &) override { skip(); }
    void addDimAngular3P(const DL_DimensionData &, const DL_DimAngular3PData &) override { skip(); }
    void addDimOrdinate(const DL_DimensionData &, const DL_DimOrdinateData &) override { skip(); }

private:
    void skip()
    {
        if (!inBlock_) ++skipped_;
    }

    int color()
    {
        const int c = getAttributes().getColor();
        return c >= 0 && c <= colorByLayer ? c : colorByLayer;
    }

    void keep(Entity e, bool sane)
    {
        if (inBlock_) return;
        if (!sane) {
            ++skipped_;
            return;
        }
        e.color = color();
        drawing_.add(e);
    }

    void finishPolyline()
    {
        if (!inPolyline_) return;
        inPolyline_ = false;
        buildingLw_ = false;
        const bool sane = polylineSane_ && polyline_.vertices.size() >= 2 && isSane(polyline_.startWidth) &&
                          isSane(polyline_.endWidth) && polyline_.startWidth >= 0 && polyline_.endWidth >= 0;
        keep(std::move(polyline_), sane);
        polyline_ = Entity{};
    }

    // The middle of a text from its insertion and alignment points and its justification.
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
        const double r = e.rotation * M_PI / 180.0;
        return {align.x + dx * std::cos(r) - dy * std::sin(r), align.y + dx * std::sin(r) + dy * std::cos(r)};
    }

    DL_Dxf &dxf_;
    Drawing &drawing_;
    std::size_t skipped_ = 0;
    bool inBlock_ = false;
    bool sawSection_ = false;
    bool inLwPolyline_ = false;
    bool endedLwPolyline_ = false;
    bool buildingLw_ = false;
    bool inPolyline_ = false;
    bool polylineSane_ = true;
    Entity polyline_;
    std::vector<std::pair<double, double>> vertexWidths_;
    std::vector<std::pair<double, double>> endedWidths_;
    std::vector<std::pair<double, double>> lwWidths_;
};

std::string_view trimmed(std::string_view line)
{
    while (!line.empty() &&
           (line.back() == '\n' || line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.remove_suffix(1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
        line.remove_prefix(1);
    return line;
}

// The groups of an entity the reader builds a drawing from; dxflib stores and converts every
// group it is given, so the others (handles, owners, layers, styles, subclass markers, heights
// above the plane, line weights, extended data) are left out before it sees them.
bool drawnFrom(int code)
{
    switch (code) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 7:
    case 8:
    case 10:
    case 11:
    case 12:
    case 13:
    case 20:
    case 21:
    case 22:
    case 23:
    case 40:
    case 41:
    case 42:
    case 43:
    case 44:
    case 50:
    case 51:
    case 62:
    case 66:
    case 70:
    case 71:
    case 72:
    case 73:
    case 74:
    case 90:
    case 91:
    case 210:
    case 220:
    case 230:
        return true;
    default:
        return false;
    }
}

// Prepares a file's bytes for dxflib, pair by pair as dxflib reads them: in ENTITIES and BLOCKS
// only the groups drawnFrom() names, nothing of the OBJECTS section, everything else as it is.
// A polyline's vertex count (group 90), which dxflib reserves room for before reading the
// vertices, is cut to ten million less one.
void prepareForDxflib(std::string &bytes)
{
    enum class Section { Other, Entities, Blocks, Objects };
    Section section = Section::Other;
    bool nameNext = false;
    std::size_t read = 0, write = 0;
    while (read < bytes.size()) {
        const std::size_t codeEnd = bytes.find('\n', read);
        if (codeEnd == std::string::npos) break;
        std::size_t valueEnd = bytes.find('\n', codeEnd + 1);
        valueEnd = valueEnd == std::string::npos ? bytes.size() : valueEnd + 1;
        const std::string_view codeText = trimmed(std::string_view(bytes).substr(read, codeEnd - read));
        const std::string_view value =
            trimmed(std::string_view(bytes).substr(codeEnd + 1, valueEnd - codeEnd - 1));
        int code = -1;
        const auto [end, ec] = std::from_chars(codeText.data(), codeText.data() + codeText.size(), code);
        const bool numeric = ec == std::errc() && end == codeText.data() + codeText.size();
        bool keep = true;
        if (numeric) {
            if (code == 0 && value == "SECTION") {
                nameNext = true;
                section = Section::Other;
            } else if (code == 2 && nameNext) {
                nameNext = false;
                section = value == "ENTITIES"  ? Section::Entities
                          : value == "BLOCKS"  ? Section::Blocks
                          : value == "OBJECTS" ? Section::Objects
                                               : Section::Other;
            } else if (code == 0 && value == "ENDSEC") {
                section = Section::Other;
            } else if (section == Section::Entities || section == Section::Blocks) {
                // ByLayer is what a missing colour means anyway.
                keep = drawnFrom(code) && !(code == 62 && value == "256");
            } else if (section == Section::Objects) {
                keep = false;
            }
        }
        const std::size_t length = valueEnd - read;
        if (keep) {
            if (write != read) std::memmove(bytes.data() + write, bytes.data() + read, length);
            if (numeric && code == 90 && value.size() > 7) {
                // Blanks, then seven nines: ten million less one.
                const std::size_t from = write + (codeEnd - read) + 1;
                const std::size_t to = write + length - (bytes[write + length - 1] == '\n' ? 1 : 0);
                std::size_t nines = 0;
                for (std::size_t k = to; k-- > from;)
                    if (bytes[k] != '\r') bytes[k] = nines++ < 7 ? '9' : ' ';
            }
            write += length;
        }
        read = valueEnd;
    }
    if (write != read) {
        std::memmove(bytes.data() + write, bytes.data() + read, bytes.size() - read);
        write += bytes.size() - read;
    }
    bytes.resize(write);
}

// Reads with dxflib from an open stdio stream (a file, or bytes in memory); dxflib's own
// std::istream path does not report the raw groups the widths need.
DxfReadResult run(FILE *file)
{
    DxfReadResult result;
    DL_Dxf dxf;
    DxfReader reader(dxf, result.drawing);
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
    reader.finish();
    // What was read is the starting point, not something to take back.
    result.drawing.forgetHistory();
    result.skipped = reader.skipped();
    result.ok = true;
    return result;
}

} // namespace

namespace {

DxfReadResult runOn(std::string &bytes)
{
    FILE *file = ::fmemopen(bytes.data(), bytes.size(), "r");
    if (!file) {
        DxfReadResult result;
        result.error = "DXF ファイルを読み込めません。";
        return result;
    }
    DxfReadResult result = run(file);
    std::fclose(file);
    return result;
}

DxfReadResult readOwned(std::string bytes)
{
    if (bytes.empty()) {
        DxfReadResult result;
        result.error = notDxf;
        return result;
    }
    prepareForDxflib(bytes);
    return runOn(bytes);
}

} // namespace

DxfReadResult readDxfData(std::string_view bytes)
{
    return readOwned(std::string(bytes));
}

DxfReadResult readDxf(const std::string &path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    DxfReadResult failed;
    if (!in) {
        failed.error = "ファイルを開けません: " + path;
        return failed;
    }
    const std::streamoff size = in.tellg();
    std::string bytes(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
    in.seekg(0);
    if (size < 0 || !in.read(bytes.data(), size)) {
        failed.error = "ファイルを読み込めません: " + path;
        return failed;
    }
    return readOwned(std::move(bytes));
}

} // namespace cad
