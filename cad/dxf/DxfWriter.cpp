#include "cad/dxf/Dxf.h"

#include "cad/dxf/EntityWriter.h"
#include "cad/dxf/SymbolXdata.h"
#include "cad/dxf/tags/DxfTags.h"
#include "cad/dxf/tags/DxfText.h"

#include <dxflib/dl_dxf.h>

#include <algorithm>
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
// dxflib's dictionary of groups (ACAD_GROUP).
constexpr std::uint64_t groupDictionary = 0xD;

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
        if (counting_) return;
        group(gc, hex(gc == 5 && seedNext_ ? handSeed_ : static_cast<unsigned>(value)));
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
    std::uint64_t reserveHandle() { return m_handle++; }
    void setNextHandle(std::uint64_t next) { m_handle = next; }
    // Entries the group dictionary (ACAD_GROUP) lists: name and handle.
    void listGroups(std::vector<std::pair<std::string, std::uint64_t>> entries)
    {
        groups_ = std::move(entries);
    }

    // Groups written elsewhere, taken out of `bytes`.
    void append(std::string &bytes)
    {
        if (!counting_ && ok_) {
            if (buffer_.empty() && bytes.size() >= pieceSize)
                ok_ = sink_(bytes);
            else
                buffer_.append(bytes);
            if (buffer_.size() >= pieceSize) pass();
        }
        bytes.clear();
    }

    // The size of the pieces handed to the sink.
    static constexpr std::size_t pieceSize = 1 << 20;

private:
    void group(int gc, std::string_view value) const
    {
        seedNext_ = gc == 9 && value == "$HANDSEED";
        if (!ok_ || counting_) return;
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
        } else if (gc == 281 && parseDxfHandle(handle_) == groupDictionary) {
            for (const auto &[name, handle] : groups_) {
                group(3, name);
                group(350, hex(handle));
            }
        }
    }
    static std::string hex(std::uint64_t value)
    {
        char buffer[24];
        std::snprintf(buffer, sizeof buffer, "%llX", static_cast<unsigned long long>(value));
        return buffer;
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
    std::vector<std::pair<std::string, std::uint64_t>> groups_;
    bool counting_ = false;
    unsigned long handSeed_ = 0xFFFF;
    mutable bool seedNext_ = false;
};

// Drives dxflib through the sections of an AC1015 file; what was drawn, the layers, APPIDs and
// symbols go through the writer of groups an opened file's additions go through.
class DxfWriter
{
public:
    DxfWriter(DL_Dxf &dxf, BufferedWriter &out) : dxf_(dxf), out_(out), tags_(DxfTagWriter::Form{}) {}
    DxfWriter(const DxfWriter &) = delete;
    DxfWriter &operator=(const DxfWriter &) = delete;

    void write(const Drawing &drawing, const DxfNameEncoder &encoder)
    {
        // Names and texts in the file's code page; what it cannot hold, and all without an
        // encoder, as \U+ escapes, read the same under any code page.
        if (encoder)
            setting_.inCodepage = [&encoder](std::string_view utf8) { return encoder(utf8, codepage); };
        for (const Layer &l : drawing.layers())
            setting_.layers.push_back(EntityWriter::written(setting_, l.name));
        header(drawing.extents(),
               setting_.layers[std::min(drawing.currentLayer(), setting_.layers.size() - 1)]);
        bool symbols = false;
        for (std::size_t i = 0; i < drawing.size() && !symbols; ++i)
            symbols = drawing.symbolOf(i) != 0;
        tables(drawing.layers(), symbols);
        blocks();
        out_.sectionEntities();
        // Each symbol's entities by their handles, in the order drawn.
        std::map<std::uint32_t, std::vector<std::uint64_t>> members;
        throughTags(0, [&](EntityWriter &writer, std::uint64_t &next) {
            for (std::size_t i = 0; i < drawing.size(); ++i) {
                const std::uint64_t first = next;
                writer.write(drawing.view(i));
                if (const std::uint32_t s = drawing.symbolOf(i))
                    for (std::uint64_t h = first; h < next; ++h)
                        members[s].push_back(h);
                if (tags_.bytes().size() >= BufferedWriter::pieceSize) out_.append(tags_.bytes());
            }
        });
        out_.sectionEnd();
        std::vector<std::pair<std::string, std::uint64_t>> entries;
        while (entries.size() < members.size())
            entries.emplace_back("*A" + std::to_string(entries.size() + 1), out_.reserveHandle());
        out_.listGroups(entries);
        dxf_.writeObjects(out_);
        std::size_t n = 0;
        for (const auto &member : members) {
            const KeptSymbol kept{drawing.symbol(member.first), drawing.opening(member.first)};
            throughTags(0, [&](EntityWriter &writer, std::uint64_t &) {
                writer.group(entries[n++].second, groupDictionary, kept, member.second);
            });
        }
        dxf_.writeObjectsEnd(out_);
        out_.dxfEOF();
    }

private:
    // dxflib's tables give layer 0 and the APPID ACAD handles of their own.
    static constexpr std::uint64_t layerZero = 0x10, acadAppid = 0x12;

    // Groups written by `write` through the writer of groups, with handles from `fixed` on, or
    // from dxflib's count where it is 0; nothing written while counting.
    void throughTags(std::uint64_t fixed,
                     const std::function<void(EntityWriter &writer, std::uint64_t &next)> &write)
    {
        std::uint64_t next = fixed != 0 ? fixed : out_.getNextHandle();
        EntityWriter writer(out_.counting() ? nullptr : &tags_, setting_, next);
        write(writer, next);
        if (fixed == 0) out_.setNextHandle(next);
        out_.append(tags_.bytes());
    }

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
        // Without an owner, in the line type and plot style dxflib's tables and objects have.
        const EntityWriter::LayerForm form{0, "CONTINUOUS", {}, "F"};
        for (std::size_t i = 0; i < layers.size(); ++i)
            throughTags(layers[i].name == "0" ? layerZero : 0, [&](EntityWriter &writer, std::uint64_t &) {
                writer.layer(setting_.layers[i], layers[i], form);
            });
        out_.tableEnd();

        out_.tableStyle(1);
        dxf_.writeStyle(out_, DL_StyleData("Standard", 0, 0.0, 1.0, 0.0, 0, 2.5, "txt", ""));
        out_.tableEnd();

        dxf_.writeView(out_);
        dxf_.writeUcs(out_);
        out_.tableAppid(symbols ? 2 : 1);
        throughTags(acadAppid, [](EntityWriter &writer, std::uint64_t &) { writer.appid("ACAD", 0); });
        if (symbols)
            throughTags(0, [](EntityWriter &writer, std::uint64_t &) { writer.appid(dxfAppName, 0); });
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

    DL_Dxf &dxf_;
    BufferedWriter &out_;
    DxfTagWriter tags_;
    EntityWriter::Setting setting_;
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
