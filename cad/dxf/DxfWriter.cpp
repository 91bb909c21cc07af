#include "cad/dxf/Dxf.h"

#include "cad/dxf/SymbolXdata.h"
#include "cad/dxf/tags/DxfTags.h"
#include "cad/dxf/tags/DxfText.h"
#include "cad/model/Angle.h"
#include "cad/model/Geometry.h"

#include <dxflib/dl_dxf.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace cad {

namespace {

constexpr const char *codepage = newDrawingCodepage;

// dxflib's own writer ends every line with a flush, one system call a line, which makes a large
// drawing take many seconds. This one keeps dxflib's layout but hands the text to a sink in large
// pieces, and reals in their shortest exact form, so they read back to the last bit. dxflib's
// writer opens the file it is named; it is named none, and every output goes through here.
class BufferedWriter final : public DL_WriterA
{
public:
    BufferedWriter(const DxfSink &sink, DL_Codes::version version) : DL_WriterA("", version), sink_(sink)
    {
        buffer_.reserve(pieceSize + 4096);
    }
    BufferedWriter(const BufferedWriter &) = delete;
    BufferedWriter &operator=(const BufferedWriter &) = delete;

    // Hands over what is buffered; false when the sink refused anything on the way.
    bool finish()
    {
        pass();
        return ok_;
    }

    // Counting: handles are given as in writing, and nothing is written.
    void countOnly() { counting_ = true; }
    bool counting() const { return counting_; }
    // The value $HANDSEED is written with (dxflib writes FFFF).
    void setHandSeed(unsigned long seed) { handSeed_ = seed; }

    void dxfReal(int gc, double value) const override
    {
        if (counting_) return;
        char buffer[dxfRealSpace];
        group(gc, std::string_view(buffer, writeDxfReal(value, buffer)));
    }
    void dxfInt(int gc, int value) const override
    {
        if (!counting_) group(gc, std::to_string(value));
    }
    void dxfBool(int gc, bool value) const override { dxfInt(gc, value ? 1 : 0); }
    void dxfHex(int gc, int value) const override
    {
        if (counting_ && !silent_ && !collecting_) return;
        char buffer[32];
        const unsigned long written = gc == 5 && seedNext_ ? handSeed_ : static_cast<unsigned>(value);
        std::snprintf(buffer, sizeof buffer, "%lX", written);
        group(gc, buffer);
    }
    void dxfString(int gc, const char *value) const override
    {
        if (!counting_ || gc == 5) group(gc, value ? value : "");
    }
    void dxfString(int gc, const std::string &value) const override
    {
        if (!counting_ || gc == 5) group(gc, value);
    }

    // A handle for an object written later, taken from dxflib's count so that none is given twice.
    std::string reserveHandle()
    {
        silent_ = true;
        handle();
        silent_ = false;
        return lastHandle_;
    }
    // The handles given while collecting: those of the entities of one symbol.
    void collectHandles(bool on) { collecting_ = on; }
    std::vector<std::string> takeHandles() { return std::exchange(handles_, {}); }
    // Entries the group dictionary (ACAD_GROUP) lists: name and handle.
    void listGroups(std::vector<std::pair<std::string, std::string>> entries)
    {
        groups_ = std::move(entries);
    }

private:
    static constexpr std::size_t pieceSize = 1 << 20;

    void group(int gc, std::string_view value) const
    {
        if (gc == 5 && (silent_ || collecting_)) {
            lastHandle_ = std::string(value);
            if (collecting_) handles_.push_back(lastHandle_);
        }
        seedNext_ = gc == 9 && value == "$HANDSEED";
        if (!ok_ || silent_ || counting_) return;
        put(gc, value);
        ownObjects(gc, value);
        if (buffer_.size() >= pieceSize) pass();
    }
    void put(int gc, std::string_view value) const
    {
        char code[16];
        std::snprintf(code, sizeof code, "%3d\n", gc);
        buffer_.append(code);
        buffer_.append(value);
        buffer_.push_back('\n');
    }
    // dxflib writes the objects without their owners (group 330), which an audit then has to
    // fix. Each object is owned by the dictionary that lists it (350), the root one by none;
    // every dictionary comes before what it lists.
    void ownObjects(int gc, std::string_view value) const
    {
        if (gc == 0) {
            if (value == "SECTION") sectionStarts_ = true;
            return;
        }
        if (gc == 2 && sectionStarts_) inObjects_ = value == "OBJECTS";
        sectionStarts_ = false;
        if (!inObjects_) return;
        if (gc == 5) {
            handle_ = std::string(value);
            const auto owner = owners_.find(handle_);
            put(330, owner == owners_.end() ? std::string_view("0") : std::string_view(owner->second));
        } else if (gc == 350) {
            owners_.emplace(std::string(value), handle_);
        } else if (gc == 281 && handle_ == groupDictionary) {
            for (const auto &[name, handle] : groups_) {
                group(3, name);
                group(350, handle);
            }
        }
    }
    void pass() const
    {
        if (ok_ && !buffer_.empty()) ok_ = sink_(buffer_);
        buffer_.clear();
    }

    const DxfSink &sink_;
    // dxflib's output functions are const.
    mutable std::string buffer_;
    mutable bool ok_ = true;
    mutable bool sectionStarts_ = false;
    mutable bool inObjects_ = false;
    mutable std::string handle_;
    mutable std::map<std::string, std::string, std::less<>> owners_;
    // dxflib's ACAD_GROUP dictionary.
    static constexpr std::string_view groupDictionary = "D";
    std::vector<std::pair<std::string, std::string>> groups_;
    mutable std::string lastHandle_;
    mutable std::vector<std::string> handles_;
    mutable bool silent_ = false;
    bool collecting_ = false;
    bool counting_ = false;
    unsigned long handSeed_ = 0xFFFF;
    mutable bool seedNext_ = false;
};

// `layers`: the names of the drawing's layers as written.
DL_Attributes attributes(const EntityView &e, const std::vector<std::string> &layers)
{
    const int color = e.color >= 0 && e.color <= colorByLayer ? e.color : colorByLayer;
    return DL_Attributes(e.layer < layers.size() ? layers[e.layer] : std::string("0"), color, -1, "BYLAYER",
                         1.0);
}

// Drives dxflib through the sections of an AC1015 file.
class DxfWriter
{
public:
    DxfWriter(DL_Dxf &dxf, BufferedWriter &out) : dxf_(dxf), out_(out) {}
    DxfWriter(const DxfWriter &) = delete;
    DxfWriter &operator=(const DxfWriter &) = delete;

    void write(const Drawing &drawing, const DxfNameEncoder &encoder)
    {
        // Names and texts in the file's code page; what it cannot hold, and all without an
        // encoder, as \U+ escapes, read the same under any code page.
        if (encoder) inCodepage_ = [&encoder](std::string_view utf8) { return encoder(utf8, codepage); };
        for (const Layer &l : drawing.layers())
            layers_.push_back(encodeDxfText(l.name, inCodepage_));
        header(drawing.extents(), layers_[std::min(drawing.currentLayer(), layers_.size() - 1)]);
        bool symbols = false;
        for (std::size_t i = 0; i < drawing.size() && !symbols; ++i)
            symbols = drawing.symbolOf(i) != 0;
        tables(drawing.layers(), symbols);
        blocks();
        out_.sectionEntities();
        // Each symbol's entities by their handles, in the order drawn.
        std::map<std::uint32_t, std::vector<std::string>> members;
        for (std::size_t i = 0; i < drawing.size(); ++i) {
            const std::uint32_t s = drawing.symbolOf(i);
            out_.collectHandles(s != 0);
            entity(drawing.view(i));
            if (s == 0) continue;
            for (std::string &h : out_.takeHandles())
                members[s].push_back(std::move(h));
        }
        out_.collectHandles(false);
        out_.sectionEnd();
        std::vector<std::pair<std::string, std::string>> entries;
        while (entries.size() < members.size())
            entries.emplace_back("*A" + std::to_string(entries.size() + 1), out_.reserveHandle());
        out_.listGroups(entries);
        dxf_.writeObjects(out_);
        std::size_t n = 0;
        for (const auto &[symbol, handles] : members)
            group(entries[n++].second, {drawing.symbol(symbol), drawing.opening(symbol)}, handles);
        dxf_.writeObjectsEnd(out_);
        out_.dxfEOF();
    }

private:
    void header(const Box &box, const std::string &currentLayer)
    {
        dxf_.writeHeader(out_);
        out_.dxfString(9, "$CLAYER");
        out_.dxfString(8, currentLayer);
        out_.dxfString(9, "$INSUNITS");
        out_.dxfInt(70, 4); // millimetres
        out_.dxfString(9, "$DWGCODEPAGE");
        out_.dxfString(3, codepage);
        if (!box.empty()) {
            out_.dxfString(9, "$EXTMIN");
            out_.dxfReal(10, box.min.x);
            out_.dxfReal(20, box.min.y);
            out_.dxfReal(30, 0.0);
            out_.dxfString(9, "$EXTMAX");
            out_.dxfReal(10, box.max.x);
            out_.dxfReal(20, box.max.y);
            out_.dxfReal(30, 0.0);
        }
        out_.sectionEnd();
    }

    // A symbol as an unnamed GROUP of its entities, with our XDATA (see symbolXdata).
    void group(const std::string &handle, const KeptSymbol &kept, const std::vector<std::string> &entities)
    {
        out_.dxfString(0, "GROUP");
        out_.dxfString(5, handle);
        out_.dxfString(100, "AcDbGroup");
        out_.dxfString(300, encodeDxfText(kept.symbol.caption));
        out_.dxfInt(70, 1); // unnamed
        out_.dxfInt(71, 1); // selectable
        for (const std::string &h : entities)
            out_.dxfString(340, h);
        for (const XdataGroup &g : symbolXdata(kept, [](std::string_view t) { return encodeDxfText(t); })) {
            const DxfValueType type = dxfValueType(g.code);
            if (type == DxfValueType::Double)
                out_.dxfReal(g.code, g.real);
            else if (type == DxfValueType::Int32)
                out_.dxfInt(g.code, static_cast<int>(g.integer));
            else
                out_.dxfString(g.code, g.text);
        }
    }

    void tables(const std::vector<Layer> &layers, bool symbols)
    {
        out_.sectionTables();
        dxf_.writeVPort(out_);

        out_.tableLinetypes(3);
        dxf_.writeLinetype(out_, DL_LinetypeData("BYBLOCK", "", 0, 0, 0.0));
        dxf_.writeLinetype(out_, DL_LinetypeData("BYLAYER", "", 0, 0, 0.0));
        dxf_.writeLinetype(out_, DL_LinetypeData("CONTINUOUS", "Solid line", 0, 0, 0.0));
        out_.tableEnd();

        out_.tableLayers(static_cast<int>(layers.size()));
        for (std::size_t i = 0; i < layers.size(); ++i)
            dxf_.writeLayer(out_, DL_LayerData(layers_[i], layers[i].frozen ? 1 : 0, !layers[i].on),
                            DL_Attributes("", layers[i].color, -1, "CONTINUOUS", 1.0));
        out_.tableEnd();

        out_.tableStyle(1);
        dxf_.writeStyle(out_, DL_StyleData("Standard", 0, 0.0, 1.0, 0.0, 0, 2.5, "txt", ""));
        out_.tableEnd();

        dxf_.writeView(out_);
        dxf_.writeUcs(out_);
        out_.tableAppid(symbols ? 2 : 1);
        dxf_.writeAppid(out_, "ACAD");
        if (symbols) dxf_.writeAppid(out_, std::string(dxfAppName));
        out_.tableEnd();
        dxf_.writeDimStyle(out_, 2.5, 0.625, 0.625, 0.625, 2.5);
        dxf_.writeBlockRecord(out_);
        out_.tableEnd();
        out_.sectionEnd();
    }

    void blocks()
    {
        out_.sectionBlocks();
        for (const char *name : {"*Model_Space", "*Paper_Space"}) {
            dxf_.writeBlock(out_, DL_BlockData(name, 0, 0.0, 0.0, 0.0));
            dxf_.writeEndBlock(out_, name);
        }
        out_.sectionEnd();
    }

    void entity(const EntityView &e)
    {
        const DL_Attributes a = attributes(e, layers_);
        switch (e.type) {
        case Entity::Type::Line:
            dxf_.writeLine(out_, DL_LineData(e.a.x, e.a.y, 0.0, e.b.x, e.b.y, 0.0), a);
            break;
        case Entity::Type::Arc:
            dxf_.writeArc(out_, DL_ArcData(e.centre.x, e.centre.y, 0.0, e.radius, e.startAngle, e.endAngle),
                          a);
            break;
        case Entity::Type::Circle:
            dxf_.writeCircle(out_, DL_CircleData(e.centre.x, e.centre.y, 0.0, e.radius), a);
            break;
        case Entity::Type::Ellipse:
            dxf_.writeEllipse(out_,
                              DL_EllipseData(e.centre.x, e.centre.y, 0.0, e.majorAxis.x, e.majorAxis.y, 0.0,
                                             e.ratio, 0.0, 2 * M_PI),
                              a);
            break;
        case Entity::Type::Text:
            // Middle justification (72 = 4): the alignment point is the text's middle.
            dxf_.writeText(out_,
                           DL_TextData(e.insert.x, e.insert.y, 0.0, e.insert.x, e.insert.y, 0.0, e.height,
                                       1.0, e.mirrored ? 2 : 0, 4, 0,
                                       out_.counting() ? std::string() : encodeDxfText(e.text, inCodepage_),
                                       "Standard", radians(e.rotation)),
                           a);
            break;
        case Entity::Type::Polyline:
            polyline(e, a);
            break;
        case Entity::Type::Fill:
            fill(e, a);
            break;
        case Entity::Type::Ray: {
            const double length = distance(e.a, e.b);
            if (length == 0) break;
            const double dx = (e.b.x - e.a.x) / length, dy = (e.b.y - e.a.y) / length;
            if (e.closed)
                dxf_.writeXLine(out_, DL_XLineData(e.a.x, e.a.y, 0.0, dx, dy, 0.0), a);
            else
                dxf_.writeRay(out_, DL_RayData(e.a.x, e.a.y, 0.0, dx, dy, 0.0), a);
            break;
        }
        }
    }

    // A solid hatch of straight edges, loop by loop; a mask by its frame.
    void fill(const EntityView &e, const DL_Attributes &a)
    {
        const auto loops = fillLoops(e.vertices);
        if (e.color == colorBackground) {
            for (const auto loop : loops) {
                EntityView frame = e;
                frame.type = Entity::Type::Polyline;
                frame.vertices = loop.first(loop.size() > 1 ? loop.size() - 1 : loop.size());
                frame.closed = true;
                polyline(frame, a);
            }
            return;
        }
        const DL_HatchData hatch(static_cast<int>(loops.size()), true, 1.0, 0.0, "SOLID");
        dxf_.writeHatch1(out_, hatch, a);
        for (const auto loop : loops) {
            const DL_HatchLoopData data(static_cast<int>(loop.size() > 0 ? loop.size() - 1 : 0));
            dxf_.writeHatchLoop1(out_, data);
            for (std::size_t i = 0; i + 1 < loop.size(); ++i)
                dxf_.writeHatchEdge(out_,
                                    DL_HatchEdgeData(loop[i].x, loop[i].y, loop[i + 1].x, loop[i + 1].y));
            dxf_.writeHatchLoop2(out_, data);
        }
        dxf_.writeHatch2(out_, hatch, a);
    }

    void polyline(const EntityView &e, const DL_Attributes &a)
    {
        const auto count = static_cast<int>(e.vertices.size());
        dxf_.writePolyline(out_, DL_PolylineData(count, 0, 0, e.closed ? 1 : 0), a);
        const bool constant = e.startWidth == e.endWidth;
        if (constant && e.startWidth != 0) out_.dxfReal(43, e.startWidth);
        for (const Point &p : e.vertices) {
            dxf_.writeVertex(out_, DL_VertexData(p.x, p.y, 0.0, 0.0));
            if (!constant) {
                out_.dxfReal(40, e.startWidth);
                out_.dxfReal(41, e.endWidth);
            }
        }
        dxf_.writePolylineEnd(out_);
    }

    DL_Dxf &dxf_;
    BufferedWriter &out_;
    std::vector<std::string> layers_;
    std::function<std::string(std::string_view)> inCodepage_;
};

} // namespace

bool writeDxf(const Drawing &drawing, const DxfSink &sink, const DxfNameEncoder &encoder)
{
    // The header names the next free handle, known once everything has one: a first pass gives
    // the handles without writing.
    unsigned long seed = 0;
    {
        DL_Dxf dxf;
        BufferedWriter counter(sink, DL_Codes::AC1015);
        counter.countOnly();
        DxfWriter(dxf, counter).write(drawing, encoder);
        seed = counter.getNextHandle();
    }
    DL_Dxf dxf;
    BufferedWriter out(sink, DL_Codes::AC1015);
    out.setHandSeed(seed);
    DxfWriter(dxf, out).write(drawing, encoder);
    return out.finish();
}

std::string writeDxf(const Drawing &drawing, const std::string &path)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) return "ファイルを作成できません: " + path;
    const bool written = writeDxf(drawing, [&file](std::string_view piece) {
        file.write(piece.data(), static_cast<std::streamsize>(piece.size()));
        return bool(file);
    });
    file.close();
    if (!written || !file) return "ファイルを書き込めません(ディスクの空きを確認して下さい): " + path;
    return {};
}

} // namespace cad
