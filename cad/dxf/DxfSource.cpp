#include "cad/dxf/DxfSource.h"

#include "cad/dxf/DxfPlacement.h"
#include "cad/dxf/EntityWriter.h"
#include "cad/dxf/tags/DxfText.h"
#include "cad/model/Drawing.h"
#include "cad/model/Geometry.h"
#include "cad/model/Names.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <map>
#include <span>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace cad {

namespace {

// The form a file writes its groups in, so that what is added reads like the rest.
DxfTagWriter::Form formOf(std::string_view bytes)
{
    const DxfTagScanner scanner(bytes);
    DxfTagWriter::Form form;
    form.binary = scanner.binary();
    form.shortCodes = scanner.shortCodes();
    const std::size_t lf = bytes.find('\n');
    form.eol = lf != std::string_view::npos && lf > 0 && bytes[lf - 1] == '\r' ? "\r\n" : "\n";
    form.paddedCodes = !bytes.empty() && bytes.front() == ' ';
    return form;
}

// Where the EOF group goes in a file whose groups end with a section's ENDSEC, with nothing after
// it but blanks: right after that group. npos for a file that ends otherwise.
std::size_t missingEofAt(std::string_view bytes, bool binary)
{
    if (binary)
        return bytes.ends_with(std::string_view("\0ENDSEC\0", 8)) ? bytes.size() : std::string_view::npos;
    const auto lineBefore = [&bytes](std::size_t end) {
        const std::size_t lf = end == 0 ? std::string_view::npos : bytes.rfind('\n', end - 1);
        const std::size_t begin = lf == std::string_view::npos ? 0 : lf + 1;
        std::string_view line = bytes.substr(begin, end - begin);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        return std::pair{line, begin};
    };
    const std::size_t last = bytes.find_last_not_of(" \t\r\n");
    if (last == std::string_view::npos) return last;
    const auto [value, valueBegin] = lineBefore(last + 1);
    if (value != "ENDSEC" || valueBegin == 0) return std::string_view::npos;
    if (lineBefore(valueBegin - 1).first != "0") return std::string_view::npos;
    const std::size_t lf = bytes.find('\n', last);
    return lf == std::string_view::npos ? bytes.size() : lf + 1;
}

} // namespace

std::shared_ptr<const DxfSource> DxfSource::scan(std::string bytes, bool forEditing,
                                                 const DxfNameDecoder &decoder)
{
    auto source = std::make_shared<DxfSource>();
    source->bytes_ = std::move(bytes);
    source->form_ = formOf(source->bytes_);
    // Sections whole but no EOF, as several writers leave a file: the EOF is added, so that the
    // file reads and saves as a whole one.
    const std::size_t eofAt = missingEofAt(source->bytes_, source->form_.binary);
    std::size_t added = 0;
    if (eofAt != std::string::npos) {
        DxfTagWriter out(source->form_);
        if (eofAt == source->bytes_.size() && !source->form_.binary && !source->bytes_.ends_with('\n'))
            out.bytes() = source->form_.eol;
        out.string(0, "EOF");
        added = out.bytes().size();
        source->bytes_.insert(eofAt, out.bytes());
        source->eofAdded_ = true;
    }
    const std::string_view all(source->bytes_);
    DxfTagScanner scanner(all);
    bool entitiesAhead = false;
    while (const auto tag = scanner.next()) {
        source->note(*tag);
        if (source->complete_) {
            // An EOF of its own before the groups at the end (after which anything may stand).
            if (source->eofAdded_ && tag->begin < eofAt) {
                source->bytes_.erase(eofAt, added);
                source->eofAdded_ = false;
            }
            break;
        }
        // Reading needs no more than what comes before the entities (paper space in them is the
        // reader's to see).
        entitiesAhead = !forEditing && source->section_ == "ENTITIES";
        if (entitiesAhead) break;
    }
    // What was not scanned whole, or what other readers may take apart differently, is not taken
    // for plain.
    source->plain_ = source->plain_ && (entitiesAhead || source->complete_) && !scanner.longLines();
    source->decodeNames(decoder);
    return source;
}

std::string DxfSource::decoded(const std::string &raw, const DxfNameDecoder &decoder) const
{
    std::string name = raw;
    const bool ascii = std::all_of(raw.begin(), raw.end(), [](char c) { return (c & 0x80) == 0; });
    if (!ascii && decoder && usesCodepage() && !codepage_.empty()) {
        std::string d = decoder(raw, codepage_);
        if (!d.empty()) name = std::move(d);
    }
    return name.find("\\U+") != std::string::npos ? decodeDxfText(name) : name;
}

void DxfSource::decodeNames(const DxfNameDecoder &decoder)
{
    for (LayerEntry &entry : layers_)
        entry.name = decoded(entry.raw, decoder);
    layerName_ = decoded(layer_, decoder);
}

const DxfSource::LayerEntry *DxfSource::findEntry(std::string_view name) const
{
    for (const LayerEntry &entry : layers_)
        if (sameName(entry.name, name)) return &entry;
    return nullptr;
}

void DxfSource::note(const DxfTag &tag)
{
    if (tag.code == 0) {
        object_ = tag.trimmed;
        objectHandle_ = 0;
        // An entity's ATTRIBs, VERTEXes and SEQEND are its own; any other group 0 ends it, even
        // where a SECTION among the entities (a broken file) has changed the section.
        const bool own = object_ == "ATTRIB" || object_ == "VERTEX" || object_ == "SEQEND";
        if (!(own && section_ == "ENTITIES") && !entities_.empty() &&
            entities_.back().end == std::string::npos)
            entities_.back().end = tag.begin;
        if (section_ == "ENTITIES" && !own && object_ != "ENDSEC" && object_ != "EOF")
            entities_.push_back({tag.begin, std::string::npos, tag.trimmed});
        if (!objects_.empty() && objects_.back().end == std::string::npos) objects_.back().end = tag.begin;
        if (!records_.empty() && records_.back().end == std::string::npos) records_.back().end = tag.begin;
        if (section_ == "TABLES" && object_ == "BLOCK_RECORD") records_.push_back({{}, tag.begin});
        if (section_ == "BLOCKS") noteBlock(tag, own);
        if (section_ == "OBJECTS" && object_ != "ENDSEC" && object_ != "EOF")
            objects_.push_back({tag.begin, std::string::npos, 0, 0, tag.trimmed});
        expectVariableValue_ = false;
        tableStart_ = object_ == "TABLE";
        if (object_ == "ENDTAB" && table_ == "APPID" && appidTableEnd_ == std::string::npos)
            appidTableEnd_ = tag.begin;
        if (object_ == "ENDTAB" && inLayerTable_) {
            if (layerTableEnd_ == std::string::npos) layerTableEnd_ = tag.begin;
            inLayerTable_ = false;
        }
        if (object_ == "LAYER" && inLayerTable_) layers_.emplace_back();
        if (object_ == "SECTION") {
            expectSectionName_ = true;
            sectionBegin_ = tag.begin;
        } else if (object_ == "ENDSEC") {
            if (section_ == "ENTITIES" && entitiesEnd_ == std::string::npos) entitiesEnd_ = tag.begin;
            if (section_ == "OBJECTS" && objectsEnd_ == std::string::npos) objectsEnd_ = tag.begin;
            section_ = {};
        } else if (object_ == "EOF") {
            eof_ = tag.begin;
            complete_ = true;
        }
        return;
    }
    // A section's name is the group right after its SECTION, as the reader takes it.
    if (std::exchange(expectSectionName_, false) && tag.code == 2) {
        section_ = tag.trimmed;
        if (section_ == "OBJECTS" && objectsBegin_ == std::string::npos) objectsBegin_ = sectionBegin_;
        return;
    }
    if (section_ == "HEADER") return noteHeader(tag);
    if (tag.code == 5 || tag.code == 105) {
        const std::uint64_t handle = parseDxfHandle(tag.trimmed);
        largestHandle_ = std::max(largestHandle_, handle);
        if (tag.code == 5) objectHandle_ = handle;
    }
    if (section_ == "OBJECTS" && !objects_.empty()) {
        ObjectPlace &o = objects_.back();
        if (tag.code == 5 && o.handle == 0) o.handle = objectHandle_;
        if (tag.code == 330 && o.owner == 0) o.owner = parseDxfHandle(tag.trimmed);
    } else if (section_ == "ENTITIES" && tag.code == 360 && !entities_.empty() &&
               entities_.back().dictionary == 0) {
        entities_.back().dictionary = parseDxfHandle(tag.trimmed);
    } else if (section_ == "ENTITIES" && tag.code == 1001 && !entities_.empty() &&
               sameName(tag.trimmed, dxfAppName) &&
               (ownXdata_.empty() || ownXdata_.back() != entities_.size() - 1)) {
        ownXdata_.push_back(entities_.size() - 1);
    }
    if (section_ == "TABLES") noteLayer(tag);
    if (section_ == "BLOCKS" && object_ == "BLOCK" && tag.code == 2 && !blocks_.empty() &&
        blocks_.back().name.empty())
        blocks_.back().name = tag.trimmed;
    if (section_ == "TABLES" && object_ == "LAYER") {
        const std::string value = tag.code == 62 || tag.code == 70 ? dxfValueText(tag, form_.binary) : "";
        if ((tag.code == 62 && value != "7") || (tag.code == 70 && value != "0" && value != "64"))
            plain_ = false;
        // A layer's line type is what its lines are drawn with.
        if (tag.code == 6 && !sameName(tag.trimmed, "CONTINUOUS")) plain_ = false;
    }
    if (section_ == "TABLES" && object_ == "BLOCK_RECORD" && tag.code == 2 && !records_.empty() &&
        records_.back().name.empty())
        records_.back().name = tag.trimmed;
    if (section_ == "TABLES" && object_ == "BLOCK_RECORD" && tag.code == 2 && modelSpace_ == 0 &&
        sameName(tag.trimmed, "*Model_Space"))
        modelSpace_ = objectHandle_;
}

void DxfSource::noteBlock(const DxfTag &tag, bool own)
{
    std::vector<EntityPlace> *entities = blocks_.empty() ? nullptr : &blocks_.back().entities;
    if (entities && !own && !entities->empty() && entities->back().end == std::string::npos)
        entities->back().end = tag.begin;
    if (!blocks_.empty() && blocks_.back().endblk != std::string::npos &&
        blocks_.back().end == std::string::npos)
        blocks_.back().end = tag.begin;
    if (object_ == "BLOCK") {
        blocks_.emplace_back().begin = tag.begin;
        inBlock_ = true;
    } else if (object_ == "ENDBLK" || object_ == "ENDSEC") {
        if (inBlock_ && object_ == "ENDBLK") blocks_.back().endblk = tag.begin;
        inBlock_ = false;
    } else if (inBlock_ && !own && entities) {
        entities->push_back({tag.begin, std::string::npos, tag.trimmed});
    }
}

void DxfSource::noteLayer(const DxfTag &tag)
{
    if (object_ == "TABLE") {
        if (tableStart_ && tag.code == 2) {
            tableStart_ = false;
            inLayerTable_ = tag.trimmed == "LAYER";
            table_ = tag.trimmed;
        }
        if (inLayerTable_ && tag.code == 5) layerTable_ = parseDxfHandle(tag.trimmed);
        if (table_ == "APPID" && tag.code == 5) appidTable_ = parseDxfHandle(tag.trimmed);
        return;
    }
    if (object_ == "APPID" && table_ == "APPID" && tag.code == 2 && sameName(tag.trimmed, dxfAppName))
        hasAppid_ = true;
    if (object_ != "LAYER" || !inLayerTable_ || layers_.empty()) return;
    LayerEntry &entry = layers_.back();
    const bool first = layers_.size() == 1;
    switch (tag.code) {
    case 2:
        entry.raw = tag.trimmed;
        break;
    case 62:
        entry.color = tag;
        entry.hasColor = true;
        entry.colorValue = std::atoi(dxfValueText(tag, form_.binary).c_str());
        break;
    case 70:
        entry.flags = tag;
        entry.hasFlags = true;
        entry.flagsValue = std::atoll(dxfValueText(tag, form_.binary).c_str());
        break;
    case 6:
        if (first) layerLinetype_ = tag.trimmed;
        break;
    case 370:
        if (first) layerWeight_ = dxfValueText(tag, form_.binary);
        break;
    case 390:
        if (first) layerPlotStyle_ = tag.trimmed;
        break;
    default:
        break;
    }
}

void DxfSource::noteHeader(const DxfTag &tag)
{
    if (tag.code == 9) {
        variable_ = tag.trimmed;
        expectVariableValue_ = true;
        return;
    }
    if (!expectVariableValue_) return;
    expectVariableValue_ = false;
    const std::string value = dxfValueText(tag, form_.binary);
    if (variable_ == "$ACADVER" && !value.empty()) {
        version_ = value;
    } else if (variable_ == "$DWGCODEPAGE") {
        codepage_ = value;
    } else if (variable_ == "$CLAYER" && !tag.trimmed.empty()) {
        layer_ = tag.trimmed;
        clayer_ = tag;
        hasClayer_ = true;
    } else if (variable_ == "$TDUPDATE" && tag.code == 40) {
        tdUpdate_ = tag;
        hasTdUpdate_ = true;
    } else if (variable_ == "$TDUUPDATE" && tag.code == 40) {
        tduUpdate_ = tag;
        hasTduUpdate_ = true;
    } else if (variable_ == "$HANDSEED") {
        handSeed_ = tag;
        hasHandSeed_ = true;
        seed_ = parseDxfHandle(tag.trimmed);
    }
}

std::optional<std::string> DxfSource::recovered(std::string_view bytes)
{
    DxfTagScanner scanner(bytes);
    bool sawSection = false, inSection = false, inTable = false, inBlock = false;
    // Where the whole groups end, and where the entity being read began.
    std::size_t whole = scanner.position(), entityBegin = whole;
    bool entityOpen = false;
    while (const auto tag = scanner.next()) {
        if (tag->code == 0) {
            const std::string_view what = tag->trimmed;
            if (what == "EOF") return std::nullopt;
            entityOpen = !(what == "SECTION" || what == "ENDSEC" || what == "TABLE" || what == "ENDTAB" ||
                           what == "BLOCK" || what == "ENDBLK");
            entityBegin = tag->begin;
            sawSection = sawSection || what == "SECTION";
            if (what == "SECTION" || what == "ENDSEC") inSection = what == "SECTION";
            if (what == "TABLE" || what == "ENDTAB") inTable = what == "TABLE";
            if (what == "BLOCK" || what == "ENDBLK") inBlock = what == "BLOCK";
        }
        whole = tag->end;
    }
    if (!sawSection) return std::nullopt;
    DxfTagWriter out(formOf(bytes));
    out.bytes().assign(bytes.substr(0, entityOpen ? entityBegin : whole));
    if (inBlock) out.string(0, "ENDBLK");
    if (inTable) out.string(0, "ENDTAB");
    if (inSection) out.string(0, "ENDSEC");
    out.string(0, "EOF");
    return std::move(out.bytes());
}

std::string DxfSource::ascii() const
{
    DxfTagScanner scanner(bytes_);
    DxfTagWriter out({false, false, "\n", false});
    while (const auto tag = scanner.next()) {
        std::string value = dxfValueText(*tag, binary());
        std::replace_if(
            value.begin(), value.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
        out.string(tag->code, value);
    }
    return std::move(out.bytes());
}

// A change of the bytes: [begin, end) replaced, or an insertion where they are equal.
struct DxfSource::Edit
{
    std::size_t begin = 0, end = 0;
    std::string bytes;
};

std::string DxfSource::unplaceable(std::uint32_t entity, const Affine &m, bool copy,
                                   const EntityView *shape) const
{
    if (entity == 0 || entity > entities_.size()) return {};
    const EntityPlace &place = entities_[entity - 1];
    const DxfEntitySpan span{place.begin, std::min(place.end, bytes_.size())};
    std::uint64_t next = 0, spare = 0;
    const bool placed =
        placedEntity(bytes_, span, form_, {m, {}, {}, shape, {}, 0, &spare}, copy ? &next : nullptr)
            .has_value();
    if (placed && place.type != "DIMENSION") return {};
    if (placed && !copy && dimensionBlock(entity - 1, m)) return {};
    if (placed && copy && dimensionBlockCopy(entity - 1, m, "*D0", next)) return {};
    return std::string(place.type);
}

const DxfSource::BlockPlace *DxfSource::dimensionBlockOf(std::size_t k) const
{
    const EntityPlace &place = entities_[k];
    DxfTagScanner scanner(bytes_);
    scanner.seek(place.begin);
    std::string name;
    while (const auto t = scanner.next()) {
        if (t->begin >= place.end || (t->code == 0 && t->begin != place.begin)) break;
        if (t->code == 2) name = t->trimmed;
    }
    const auto block = std::find_if(blocks_.begin(), blocks_.end(),
                                    [&](const BlockPlace &b) { return !name.empty() && b.name == name; });
    return block == blocks_.end() ? nullptr : &*block;
}

std::optional<std::vector<DxfSource::Edit>> DxfSource::dimensionBlockCopy(std::size_t k, const Affine &m,
                                                                          const std::string &name,
                                                                          std::uint64_t &next) const
{
    const BlockPlace *block = dimensionBlockOf(k);
    if (!block || block->end == std::string::npos || block->end > bytes_.size()) return std::nullopt;
    const auto record = std::find_if(records_.begin(), records_.end(), [&](const RecordPlace &r) {
        return sameName(r.name, block->name) && r.end != std::string::npos;
    });
    // Since R13 every block has its record, which its entities are owned by.
    if (record == records_.end() && version_ > "AC1009") return std::nullopt;
    std::vector<Edit> edits;
    std::uint64_t owner = 0;
    if (record != records_.end()) {
        owner = next;
        auto entry =
            placedEntity(bytes_, {record->begin, record->end}, form_, {{}, {}, {}, nullptr, name}, &next);
        if (!entry) return std::nullopt;
        edits.push_back({record->end, record->end, std::move(*entry)});
    }
    const std::size_t head = block->entities.empty() ? block->endblk : block->entities.front().begin;
    // Only the block's own groups name it: its entities (an arrow's INSERT) name others.
    const auto part = [&](std::size_t begin, std::size_t end, const Affine &placed, bool named) {
        return placedEntity(bytes_, {begin, std::min(end, bytes_.size())}, form_,
                            {placed, {}, {}, nullptr, named ? std::optional(name) : std::nullopt, owner},
                            &next);
    };
    auto blockHead = part(block->begin, head, {}, true);
    if (!blockHead) return std::nullopt;
    std::string bytes = std::move(*blockHead);
    for (const EntityPlace &e : block->entities) {
        auto written = part(e.begin, e.end, m, false);
        if (!written) return std::nullopt;
        bytes += *written;
    }
    auto endblk = part(block->endblk, block->end, {}, false);
    if (!endblk) return std::nullopt;
    bytes += *endblk;
    edits.push_back({block->end, block->end, std::move(bytes)});
    return edits;
}

std::uint64_t DxfSource::freeDimensionBlock() const
{
    std::uint64_t free = 1;
    for (const BlockPlace &b : blocks_) {
        if (b.name.size() < 3 || (b.name[0] != '*') || (b.name[1] != 'D' && b.name[1] != 'd')) continue;
        const std::string_view digits = std::string_view(b.name).substr(2);
        if (digits.size() > 18 ||
            !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        free = std::max<std::uint64_t>(free, std::strtoull(std::string(digits).c_str(), nullptr, 10) + 1);
    }
    return free;
}

std::optional<std::vector<DxfSource::Edit>> DxfSource::dimensionBlock(std::size_t k, const Affine &m) const
{
    const BlockPlace *block = dimensionBlockOf(k);
    if (!block) return std::nullopt;
    std::vector<Edit> edits;
    for (const EntityPlace &e : block->entities) {
        const DxfEntitySpan span{e.begin, std::min(e.end, bytes_.size())};
        std::optional<std::string> placed = placedEntity(bytes_, span, form_, {m, {}, {}}, nullptr);
        if (!placed) return std::nullopt;
        edits.push_back({span.begin, span.end, std::move(*placed)});
    }
    return edits;
}

std::vector<std::uint32_t> DxfSource::piecesShown(const Drawing &drawing) const
{
    std::vector<std::uint32_t> shown(entities_.size(), 0);
    for (std::size_t i = 0; i < drawing.size(); ++i) {
        const Origin &o = drawing.origin(i);
        if (o.editable() && o.entity <= shown.size()) ++shown[o.entity - 1];
    }
    return shown;
}

std::vector<DxfTag> DxfSource::tagsBetween(std::size_t begin, std::size_t end) const
{
    std::vector<DxfTag> tags;
    DxfTagScanner scanner(bytes_);
    scanner.seek(begin);
    while (const auto t = scanner.next()) {
        if (t->begin >= end) break;
        tags.push_back(*t);
    }
    return tags;
}

std::uint64_t DxfSource::entityHandle(std::size_t k) const
{
    DxfTagScanner scanner(bytes_);
    scanner.seek(entities_[k].begin);
    while (const auto t = scanner.next()) {
        if (t->begin >= entities_[k].end || (t->code == 0 && t->begin != entities_[k].begin)) break;
        if (t->code == 5) return parseDxfHandle(t->trimmed);
    }
    return 0;
}

std::unordered_map<std::uint64_t, std::size_t> DxfSource::entityHandles() const
{
    std::unordered_map<std::uint64_t, std::size_t> byHandle;
    for (std::size_t k = 0; k < entities_.size(); ++k)
        if (const std::uint64_t h = entityHandle(k); h != 0) byHandle.emplace(h, k);
    return byHandle;
}

std::vector<DxfSource::FileSymbol>
DxfSource::fileSymbols(const std::function<std::string(std::string_view)> &text) const
{
    std::vector<FileSymbol> found;
    std::vector<bool> grouped(entities_.size(), false);
    const bool groups =
        std::any_of(objects_.begin(), objects_.end(), [](const ObjectPlace &o) { return o.type == "GROUP"; });
    const auto byHandle = groups ? entityHandles() : std::unordered_map<std::uint64_t, std::size_t>{};
    for (std::size_t i = 0; groups && i < objects_.size(); ++i) {
        if (objects_[i].type != "GROUP") continue;
        const std::vector<DxfTag> tags = tagsBetween(objects_[i].begin, objects_[i].end);
        std::optional<KeptSymbol> kept = readSymbolXdata(tags, binary(), text);
        if (!kept) continue;
        FileSymbol f{std::move(*kept), {}, i};
        for (const DxfTag &t : tags) {
            const auto it = t.code == 340 ? byHandle.find(parseDxfHandle(t.trimmed)) : byHandle.end();
            if (it == byHandle.end()) continue;
            f.entities.push_back(it->second);
            grouped[it->second] = true;
        }
        found.push_back(std::move(f));
    }
    // Kept on the entities: those of one number are one symbol.
    std::unordered_map<std::int64_t, std::size_t> byNumber;
    for (const std::size_t k : ownXdata_) {
        if (grouped[k]) continue;
        std::optional<KeptSymbol> kept =
            readSymbolXdata(tagsBetween(entities_[k].begin, entities_[k].end), binary(), text);
        if (!kept) continue;
        const auto [it, fresh] = byNumber.try_emplace(kept->number, found.size());
        if (fresh || kept->number == 0)
            found.push_back({std::move(*kept), {k}, std::string::npos});
        else
            found[it->second].entities.push_back(k);
    }
    return found;
}

void DxfSource::giveSymbols(Drawing &drawing, const DxfNameDecoder &decoder) const
{
    const std::vector<FileSymbol> found =
        fileSymbols([&](std::string_view raw) { return decoded(std::string(raw), decoder); });
    if (found.empty()) return;
    std::vector<std::uint32_t> ids(entities_.size(), 0);
    for (const FileSymbol &f : found) {
        const std::uint32_t id = drawing.addSymbol(f.kept.symbol);
        drawing.setOpening(id, f.kept.opening);
        for (const std::size_t k : f.entities)
            ids[k] = id;
    }
    for (std::size_t i = 0; i < drawing.size(); ++i) {
        const Origin &o = drawing.origin(i);
        if (o.editable() && o.entity <= ids.size() && ids[o.entity - 1] != 0)
            drawing.defineSymbolOf(i, ids[o.entity - 1]);
    }
}

namespace {

// One way a piece of a file's entity stands now: where it was placed, its colour and layer.
struct Instance
{
    Affine placed;
    int color = Origin::keep;
    std::int32_t layer = Origin::keep;
    friend bool operator==(const Instance &, const Instance &) = default;
};

// What became of one entity of the file: how often it stands as read, and how else.
struct Fate
{
    std::uint32_t unchanged = 0;
    bool reshaped = false;
    std::vector<std::pair<Instance, std::uint32_t>> placed;
};

} // namespace

std::uint64_t DxfSource::handlesLeft() const
{
    constexpr std::uint64_t last = std::numeric_limits<std::uint64_t>::max();
    return largestHandle_ == last ? 0 : last - firstNewHandle();
}

double DxfSource::julianDate(std::chrono::system_clock::time_point t, bool local)
{
    const double seconds = std::chrono::duration<double>(t.time_since_epoch()).count();
    double offset = 0;
    if (local) {
        // The broken-down universal time taken for local time is off by the zone's offset.
        const std::time_t whole = std::chrono::system_clock::to_time_t(t);
        if (const std::tm *utc = std::gmtime(&whole)) {
            std::tm copy = *utc;
            copy.tm_isdst = -1;
            const std::time_t shifted = std::mktime(&copy);
            if (shifted != static_cast<std::time_t>(-1)) offset = std::difftime(whole, shifted);
        }
    }
    // Days from the one 1970-01-01 begins, with the fraction of the day since midnight.
    return (seconds + offset) / 86400.0 + 2440588.0;
}

namespace {

// What became of the file's entities, by their number in it, and the pieces drawn here.
struct Fates
{
    std::vector<std::uint32_t> unchanged; // pieces that stand where they stood
    std::unordered_map<std::size_t, Fate> changed;
    std::vector<std::size_t> drawn;
};

} // namespace

// The edits that make the saved file, gathered in the order edited() takes its steps: new handles
// are counted on from the seed in that order.
class DxfSource::Editor
{
public:
    Editor(const DxfSource &source, const Drawing &drawing, const DxfNameEncoder &encoder)
        : s_(source), drawing_(drawing), layers_(drawing.layers()), entries_(layers_.size()),
          next_(source.firstNewHandle())
    {
        setting_.r12 = s_.version_ <= "AC1009";
        setting_.handles = s_.hasHandSeed_ || s_.largestHandle_ > 0 || !setting_.r12;
        setting_.utf8 = !s_.usesCodepage();
        if (encoder && !s_.codepage_.empty())
            setting_.inCodepage = [encoder, codepage = s_.codepage_](std::string_view utf8) {
                return encoder(utf8, codepage);
            };
        setting_.owner = s_.modelSpace_;
        found_ = s_.fileSymbols([](std::string_view raw) { return std::string(raw); });
        for (const FileSymbol &f : found_)
            nextNumber_ = std::max(nextNumber_, f.kept.number + 1);
        groupDictionaries();
        if (!groupForm()) planXdata();
        // Each layer by the name its table entry has; one the file lacks, as a text is written.
        for (std::size_t i = 0; i < layers_.size(); ++i) {
            entries_[i] = s_.findEntry(layers_[i].name);
            setting_.layers.push_back(entries_[i] ? entries_[i]->raw
                                                  : EntityWriter::written(setting_, layers_[i].name));
        }
    }

    // The file's layers as the user left them, and its current layer.
    void changeLayers()
    {
        for (std::size_t i = 0; i < layers_.size(); ++i) {
            const LayerEntry *entry = entries_[i];
            if (!entry) continue;
            const Layer &l = layers_[i];
            const int written = std::abs(entry->colorValue);
            const int color = written >= 1 && written <= 255 ? written : 7;
            if (entry->hasColor && (l.color != color || l.on != (entry->colorValue >= 0)))
                replace(entry->color, [&](DxfTagWriter &out) { out.integer(62, l.on ? l.color : -l.color); });
            if (entry->hasFlags && l.frozen != ((entry->flagsValue & 1) != 0))
                replace(entry->flags, [&](DxfTagWriter &out) {
                    out.integer(70, (entry->flagsValue & ~std::int64_t(1)) | (l.frozen ? 1 : 0));
                });
        }
        const std::size_t current = std::min(drawing_.currentLayer(), layers_.size() - 1);
        if (s_.hasClayer_ && !sameName(layers_[current].name, s_.layerName_))
            replace(s_.clayer_, [&](DxfTagWriter &out) { out.string(8, setting_.layers[current]); });
    }

    // Layers made here, at the end of the LAYER table.
    void addMadeLayers()
    {
        if (s_.layerTableEnd_ == std::string::npos) return;
        DxfTagWriter out(s_.form_);
        EntityWriter writer(out, setting_, next_);
        const EntityWriter::LayerForm form{s_.layerTable_, s_.layerLinetype_, s_.layerWeight_,
                                           s_.layerPlotStyle_};
        for (std::size_t i = 0; i < layers_.size(); ++i)
            if (layers_[i].made && !entries_[i]) writer.layer(setting_.layers[i], layers_[i], form);
        if (!out.bytes().empty())
            edits_.push_back({s_.layerTableEnd_, s_.layerTableEnd_, std::move(out.bytes())});
    }

    // What became of the file's entities, from the pieces that show them now.
    Fates fates(std::span<const std::uint32_t> shown) const
    {
        const std::size_t count = std::min(s_.entities_.size(), shown.size());
        Fates f{std::vector<std::uint32_t>(count, 0), {}, {}};
        for (std::size_t i = 0; i < drawing_.size(); ++i) {
            const Origin &o = drawing_.origin(i);
            if (o.entity == 0) {
                f.drawn.push_back(i);
                continue;
            }
            if (!o.editable() || o.entity > count) continue;
            const std::size_t k = o.entity - 1;
            if (o.asRead()) {
                ++f.unchanged[k];
                continue;
            }
            Fate &fate = f.changed[k];
            fate.reshaped = fate.reshaped || o.reshaped;
            const Instance instance{o.placed, o.color, o.layer};
            auto it = std::find_if(fate.placed.begin(), fate.placed.end(),
                                   [&](const auto &p) { return p.first == instance; });
            if (it == fate.placed.end()) it = fate.placed.insert(fate.placed.end(), {instance, 0});
            ++it->second;
        }
        for (std::size_t k = 0; k < count; ++k)
            if (shown[k] != 0 && f.unchanged[k] != shown[k]) f.changed.try_emplace(k);
        return f;
    }

    // Each changed entity: the instances it now stands as, each a placement of the file's groups;
    // when that cannot be told or written, what it shows now, as new entities on its layer.
    void rewriteChanged(const Fates &f, std::span<const std::uint32_t> shown)
    {
        std::vector<std::size_t> order;
        for (const auto &entry : f.changed)
            order.push_back(entry.first);
        std::sort(order.begin(), order.end());
        std::unordered_map<std::size_t, std::vector<std::size_t>> asShown;
        std::vector<std::uint64_t> gone;
        const std::size_t firstChange = edits_.size();
        for (const std::size_t k : order) {
            changed_.insert(k);
            const DxfEntitySpan span{s_.entities_[k].begin, std::min(s_.entities_[k].end, s_.bytes_.size())};
            std::optional<std::string> bytes =
                placedInstances(k, span, f.changed.at(k), shown[k], f.unchanged[k]);
            if (!bytes) asShown[k];
            if ((!bytes || bytes->empty()) && s_.entities_[k].dictionary != 0)
                gone.push_back(s_.entities_[k].dictionary);
            edits_.push_back({span.begin, span.end, bytes ? std::move(*bytes) : std::string()});
        }
        if (!asShown.empty()) writeAsShown(order, asShown, firstChange, f.unchanged.size());
        eraseOwned(gone);
    }

    // The objects of `roots` (dictionaries of entities no longer in the file) and all they own.
    void eraseOwned(const std::vector<std::uint64_t> &roots)
    {
        if (roots.empty()) return;
        std::unordered_multimap<std::uint64_t, std::size_t> owned;
        std::unordered_map<std::uint64_t, std::size_t> byHandle;
        for (std::size_t i = 0; i < s_.objects_.size(); ++i) {
            owned.emplace(s_.objects_[i].owner, i);
            byHandle.emplace(s_.objects_[i].handle, i);
        }
        std::vector<bool> erased(s_.objects_.size(), false);
        std::vector<std::size_t> work;
        const auto take = [&](std::size_t i) {
            if (erased[i]) return;
            erased[i] = true;
            work.push_back(i);
        };
        for (const std::uint64_t h : roots)
            if (const auto it = byHandle.find(h); it != byHandle.end()) take(it->second);
        while (!work.empty()) {
            const ObjectPlace &o = s_.objects_[work.back()];
            work.pop_back();
            edits_.push_back({o.begin, std::min(o.end, s_.bytes_.size()), {}});
            if (o.handle == 0) continue;
            const auto [from, to] = owned.equal_range(o.handle);
            for (auto it = from; it != to; ++it)
                take(it->second);
        }
    }

    // What was drawn here: before the ENTITIES section's end, or in a section of its own.
    void addDrawn(const std::vector<std::size_t> &drawn)
    {
        if (drawn.empty()) return;
        DxfTagWriter out(s_.form_);
        const bool wrap = s_.entitiesEnd_ == std::string::npos;
        if (wrap) {
            out.string(0, "SECTION");
            out.string(2, "ENTITIES");
        }
        EntityWriter writer(out, setting_, next_);
        for (const std::size_t i : drawn) {
            pieceHandles_[i] = next_;
            const std::uint32_t s = drawing_.symbolOf(i);
            const std::vector<XdataGroup> xdata = s != 0 && !groupForm()
                                                      ? symbolXdata(kept(s, numberOf(s)), text())
                                                      : std::vector<XdataGroup>{};
            writer.write(drawing_.view(i), xdata.empty() ? nullptr : &xdata);
        }
        if (wrap) out.string(0, "ENDSEC");
        std::size_t insert = s_.entitiesEnd_;
        if (wrap)
            insert = s_.objectsBegin_ != std::string::npos ? s_.objectsBegin_
                                                           : std::min(s_.eof_, s_.bytes_.size());
        edits_.push_back({insert, insert, std::move(out.bytes())});
    }

    // Symbols kept with the file: as GROUPs under its ACAD_GROUP dictionary, or, in a file without
    // one (R12), as our XDATA on each of their entities (written with them, see addDrawn). A group
    // of ours whose symbol stands as read stays as it is; one whose symbol was erased, placed anew
    // or exploded goes, and the symbol as it stands now gets a new group. Groups not ours lose
    // only the entities erased.
    void keepSymbols(std::span<const std::uint32_t> shown)
    {
        struct Members
        {
            std::vector<std::uint64_t> handles;
            bool asRead = true;
        };
        std::map<std::uint32_t, Members> symbols;
        std::vector<bool> present(s_.entities_.size(), false);
        for (std::size_t i = 0; i < drawing_.size(); ++i) {
            const Origin &o = drawing_.origin(i);
            if (o.editable() && o.entity <= present.size()) present[o.entity - 1] = true;
            const std::uint32_t symbol = drawing_.symbolOf(i);
            if (symbol == 0) continue;
            Members &m = symbols[symbol];
            m.asRead = m.asRead && o.editable() && o.asRead();
            const std::uint64_t h = handleOf(i);
            if (h != 0 && std::find(m.handles.begin(), m.handles.end(), h) == m.handles.end())
                m.handles.push_back(h);
        }
        dropErased(present, shown);
        if (!groupForm()) {
            // Entities standing as read whose symbol is no longer the one they carry.
            for (const auto &[k, symbols] : instanceSymbols_) {
                if (changed_.contains(k)) continue;
                const EntityPlace &e = s_.entities_[k];
                const std::size_t end = std::min(e.end, s_.bytes_.size());
                std::string bytes = withXdata(k, Instance{}, s_.bytes_.substr(e.begin, end - e.begin));
                if (bytes != std::string_view(s_.bytes_).substr(e.begin, end - e.begin))
                    edits_.push_back({e.begin, end, std::move(bytes)});
            }
            if (xdataWritten_) addAppid();
            return;
        }
        std::unordered_set<std::uint64_t> removed;
        for (const FileSymbol &f : found_) {
            if (f.group == std::string::npos) continue;
            std::vector<std::uint64_t> held;
            for (const std::size_t k : f.entities)
                held.push_back(s_.entityHandle(k));
            std::sort(held.begin(), held.end());
            const auto same = std::find_if(symbols.begin(), symbols.end(), [&held](const auto &entry) {
                std::vector<std::uint64_t> h = entry.second.handles;
                std::sort(h.begin(), h.end());
                return entry.second.asRead && h == held;
            });
            if (same != symbols.end()) {
                symbols.erase(same);
                continue;
            }
            const ObjectPlace &o = s_.objects_[f.group];
            edits_.push_back({o.begin, std::min(o.end, s_.bytes_.size()), {}});
            removed.insert(o.handle);
        }
        std::erase_if(symbols, [](const auto &entry) { return entry.second.handles.empty(); });
        if (symbols.empty() && removed.empty()) return;
        const ObjectPlace *dictionary =
            groupDictionary_ != std::string::npos ? &s_.objects_[groupDictionary_] : nullptr;
        const std::uint64_t owner = dictionary ? dictionary->handle : next_++;
        std::vector<DxfTag> listed =
            dictionary ? s_.tagsBetween(dictionary->begin, dictionary->end) : std::vector<DxfTag>{};
        // Names left free by the groups that go are given again.
        std::unordered_set<std::string_view> names;
        for (std::size_t k = 0; k + 1 < listed.size(); ++k)
            if (listed[k].code == 3 && !removed.contains(parseDxfHandle(listed[k + 1].trimmed)))
                names.insert(listed[k].trimmed);
        DxfTagWriter groups(s_.form_);
        std::vector<std::pair<std::string, std::uint64_t>> entries;
        std::size_t n = 0;
        for (const auto &[symbol, m] : symbols) {
            std::string name;
            do
                name = "*A" + std::to_string(++n);
            while (names.contains(name));
            entries.emplace_back(name, next_++);
            EntityWriter(groups, setting_, next_)
                .group(entries.back().second, owner, kept(symbol, 0), m.handles);
        }
        // The dictionary lists what is left and what was added.
        DxfTagWriter list(s_.form_);
        if (!dictionary) {
            list.string(0, "DICTIONARY");
            list.handle(5, owner);
            list.handle(330, s_.objects_[root_].handle);
            list.string(100, "AcDbDictionary");
            list.integer(281, 1);
        }
        for (std::size_t k = 1; k < listed.size(); ++k) {
            const bool pair = listed[k].code == 3 && k + 1 < listed.size() &&
                              (listed[k + 1].code == 350 || listed[k + 1].code == 360);
            if (pair && removed.contains(parseDxfHandle(listed[k + 1].trimmed))) {
                ++k;
                continue;
            }
            list.bytes().append(s_.bytes_, listed[k].begin, listed[k].end - listed[k].begin);
        }
        for (const auto &[name, handle] : entries) {
            list.string(3, name);
            list.handle(350, handle);
        }
        if (dictionary) {
            // Its group 0 stays; the rest is written anew.
            const std::size_t from = listed.empty() ? dictionary->begin : listed.front().end;
            edits_.push_back({from, std::min(dictionary->end, s_.bytes_.size()), std::move(list.bytes())});
        } else {
            const ObjectPlace &root = s_.objects_[root_];
            DxfTagWriter entry(s_.form_);
            entry.string(3, "ACAD_GROUP");
            entry.handle(350, owner);
            const std::size_t end = std::min(root.end, s_.bytes_.size());
            edits_.push_back({end, end, std::move(entry.bytes())});
            edits_.push_back({s_.objectsEnd_, s_.objectsEnd_, std::move(list.bytes())});
        }
        if (!groups.bytes().empty()) {
            edits_.push_back({s_.objectsEnd_, s_.objectsEnd_, std::move(groups.bytes())});
            addAppid();
        }
    }

    // The file with the edits made and its handle seed and times of update told; without edits,
    // the bytes as read.
    std::string result(std::chrono::system_clock::time_point now)
    {
        if (edits_.empty()) return s_.bytes_;
        // Past the last handle there is, the count would start again at the file's own.
        if (next_ - s_.firstNewHandle() > s_.handlesLeft()) return {};
        if (s_.hasHandSeed_ && next_ > s_.seed_)
            replace(s_.handSeed_, [&](DxfTagWriter &out) { out.handle(5, next_); });
        if (s_.hasTdUpdate_)
            replace(s_.tdUpdate_, [&](DxfTagWriter &out) { out.real(40, julianDate(now, true)); });
        if (s_.hasTduUpdate_)
            replace(s_.tduUpdate_, [&](DxfTagWriter &out) { out.real(40, julianDate(now, false)); });
        return applied();
    }

private:
    // The file's root dictionary (its first object, a DICTIONARY) and the ACAD_GROUP it lists.
    // Symbols go into groups only where there is a root; where its ACAD_GROUP entry names no
    // object, not at all rather than twice.
    void groupDictionaries()
    {
        if (setting_.r12 || s_.objects_.empty() || s_.objectsEnd_ == std::string::npos ||
            s_.objects_.front().type != "DICTIONARY" || s_.objects_.front().handle == 0)
            return;
        root_ = 0;
        const std::vector<DxfTag> tags = s_.tagsBetween(s_.objects_[0].begin, s_.objects_[0].end);
        for (std::size_t k = 0; k + 1 < tags.size(); ++k) {
            if (tags[k].code != 3 || tags[k].trimmed != "ACAD_GROUP") continue;
            const std::uint64_t h = parseDxfHandle(tags[k + 1].trimmed);
            for (std::size_t i = 0; i < s_.objects_.size(); ++i)
                if (s_.objects_[i].handle == h && s_.objects_[i].type == "DICTIONARY") groupDictionary_ = i;
            if (groupDictionary_ == std::string::npos) root_ = std::string::npos;
        }
    }
    bool groupForm() const { return root_ != std::string::npos; }

    std::function<std::string(std::string_view)> text() const
    {
        return [this](std::string_view t) { return EntityWriter::written(setting_, t); };
    }
    KeptSymbol kept(std::uint32_t symbol, std::int64_t number) const
    {
        return {drawing_.symbol(symbol), drawing_.opening(symbol), number};
    }
    // The number a symbol drawn here is kept under on its entities: one past the file's.
    std::int64_t numberOf(std::uint32_t symbol)
    {
        xdataWritten_ = true;
        const auto [it, fresh] = numbers_.try_emplace(symbol, nextNumber_);
        if (fresh) ++nextNumber_;
        return it->second;
    }

    // Where each entity carries its symbol: the symbol of each instance of the file's entities,
    // and which symbols stand as the file keeps them (their entities as read, the same ones).
    void planXdata()
    {
        std::unordered_map<std::uint32_t, std::vector<std::size_t>> entities;
        std::unordered_set<std::uint32_t> moved;
        const std::unordered_set<std::size_t> carrying(s_.ownXdata_.begin(), s_.ownXdata_.end());
        for (std::size_t i = 0; i < drawing_.size(); ++i) {
            const Origin &o = drawing_.origin(i);
            const std::uint32_t symbol = drawing_.symbolOf(i);
            if (symbol != 0 && !(o.editable() && o.asRead())) moved.insert(symbol);
            if (!o.editable() || o.entity > s_.entities_.size()) continue;
            const std::size_t k = o.entity - 1;
            if (symbol == 0 && !carrying.contains(k)) continue;
            auto &list = instanceSymbols_[k];
            const Instance instance{o.placed, o.color, o.layer};
            if (std::none_of(list.begin(), list.end(), [&](const auto &p) { return p.first == instance; }))
                list.emplace_back(instance, symbol);
            if (symbol != 0) entities[symbol].push_back(k);
        }
        for (auto &entry : entities) {
            std::vector<std::size_t> &list = entry.second;
            const std::uint32_t symbol = entry.first;
            std::sort(list.begin(), list.end());
            list.erase(std::unique(list.begin(), list.end()), list.end());
            const bool kept = std::any_of(found_.begin(), found_.end(), [&list](const FileSymbol &f) {
                std::vector<std::size_t> held = f.entities;
                std::sort(held.begin(), held.end());
                return f.group == std::string::npos && held == list;
            });
            if (kept && !moved.contains(symbol)) standing_.insert(symbol);
        }
    }

    // An entity's bytes (its instance `instance`) carrying the symbol it is a piece of now, in our
    // XDATA before any entity of its own (a POLYLINE's vertices); without one, none of ours. As
    // they are where that is what they carry.
    std::string withXdata(std::size_t k, const Instance &instance, std::string_view bytes)
    {
        const auto it = instanceSymbols_.find(k);
        if (it == instanceSymbols_.end()) return std::string(bytes);
        std::uint32_t symbol = 0;
        for (const auto &[placed, s] : it->second)
            if (placed == instance) symbol = s;
        if (symbol != 0 && standing_.contains(symbol)) return std::string(bytes);
        DxfTagScanner scanner(bytes, s_.form_.binary, s_.form_.shortCodes);
        std::size_t ours = std::string::npos, oursEnd = std::string::npos, headEnd = bytes.size();
        bool first = true;
        while (const auto t = scanner.next()) {
            if (t->code == 0 && !first) {
                headEnd = t->begin;
                break;
            }
            first = false;
            if (ours != std::string::npos && oursEnd == std::string::npos && t->code == 1001)
                oursEnd = t->begin;
            if (t->code == 1001 && sameName(t->trimmed, dxfAppName)) ours = t->begin;
        }
        if (ours != std::string::npos && oursEnd == std::string::npos) oursEnd = headEnd;
        DxfTagWriter out(s_.form_);
        if (symbol != 0) writeXdata(out, symbolXdata(kept(symbol, numberOf(symbol)), text()));
        std::string result;
        if (ours == std::string::npos) {
            result.append(bytes.substr(0, headEnd));
        } else {
            result.append(bytes.substr(0, ours));
            result.append(bytes.substr(oursEnd, headEnd - oursEnd));
        }
        result += out.bytes();
        result.append(bytes.substr(headEnd));
        return result;
    }

    // Our APPID, at the end of the APPID table where it is missing.
    void addAppid()
    {
        if (s_.hasAppid_ || s_.appidTableEnd_ == std::string::npos || appidAdded_) return;
        appidAdded_ = true;
        DxfTagWriter out(s_.form_);
        EntityWriter(out, setting_, next_).appid(dxfAppName, s_.appidTable_);
        edits_.push_back({s_.appidTableEnd_, s_.appidTableEnd_, std::move(out.bytes())});
    }

    // The handle piece i is saved with: of what was drawn or written anew, the one it was given;
    // of a copy, the copy's; else the file's entity's own.
    std::uint64_t handleOf(std::size_t i) const
    {
        if (const auto it = pieceHandles_.find(i); it != pieceHandles_.end()) return it->second;
        const Origin &o = drawing_.origin(i);
        if (!o.editable() || o.entity > s_.entities_.size()) return 0;
        const std::size_t k = o.entity - 1;
        if (const auto c = copies_.find(k); c != copies_.end()) {
            const Instance instance{o.placed, o.color, o.layer};
            for (const auto &[placed, handle] : c->second)
                if (placed == instance) return handle;
        }
        return s_.entityHandle(k);
    }

    // Entities erased leave the groups not ours that held them.
    void dropErased(const std::vector<bool> &present, std::span<const std::uint32_t> shown)
    {
        bool erased = false;
        for (std::size_t k = 0; k < present.size() && k < shown.size() && !erased; ++k)
            erased = shown[k] != 0 && !present[k];
        if (!erased) return;
        std::unordered_set<std::size_t> ours;
        for (const FileSymbol &f : found_)
            ours.insert(f.group);
        std::unordered_map<std::uint64_t, std::size_t> byHandle;
        for (std::size_t i = 0; i < s_.objects_.size(); ++i) {
            const ObjectPlace &o = s_.objects_[i];
            if (o.type != "GROUP" || ours.contains(i)) continue;
            if (byHandle.empty()) byHandle = s_.entityHandles();
            for (const DxfTag &t : s_.tagsBetween(o.begin, o.end)) {
                const auto it = t.code == 340 ? byHandle.find(parseDxfHandle(t.trimmed)) : byHandle.end();
                if (it == byHandle.end()) continue;
                const std::size_t k = it->second;
                if (k < shown.size() && shown[k] != 0 && !present[k]) edits_.push_back({t.begin, t.end, {}});
            }
        }
    }

    void replace(const DxfTag &tag, const std::function<void(DxfTagWriter &)> &write)
    {
        DxfTagWriter out(s_.form_);
        write(out);
        edits_.push_back({tag.begin, tag.end, std::move(out.bytes())});
    }

    // The entity's instances, `per` pieces each, one after another: the first, where it stood,
    // keeps its bytes and handles; copies get new handles. None when they cannot be told apart
    // (pieces not in whole sets, a piece reshaped) or one cannot be written.
    std::optional<std::string> placedInstances(std::size_t k, DxfEntitySpan span, const Fate &f,
                                               std::uint32_t per, std::uint32_t unchanged)
    {
        bool whole = per != 0 && !f.reshaped && unchanged % per == 0;
        std::vector<Instance> instances(whole ? unchanged / per : 0);
        for (const auto &[placed, n] : f.placed) {
            whole = whole && n % per == 0;
            if (whole) instances.insert(instances.end(), n / per, placed);
        }
        const bool dimension = s_.entities_[k].type == "DIMENSION";
        const std::uint64_t first = next_;
        std::vector<Edit> blocks;
        std::string bytes;
        for (std::size_t n = 0; whole && n < instances.size(); ++n) {
            if (n == 0 && instances[n] == Instance{}) {
                bytes += withXdata(k, instances[n], s_.bytes_.substr(span.begin, span.end - span.begin));
                continue;
            }
            EntityChange c = change(instances[n]);
            std::optional<std::vector<Edit>> block;
            // A dimension's block goes with it; a copy gets a block of its own.
            if (dimension && n == 0 && !(instances[0].placed == Affine{}))
                block = s_.dimensionBlock(k, instances[0].placed);
            if (dimension && n > 0) {
                if (dimensionBlocks_ == 0) dimensionBlocks_ = s_.freeDimensionBlock();
                c.name = "*D" + std::to_string(dimensionBlocks_++);
                block = s_.dimensionBlockCopy(k, instances[n].placed, *c.name, next_);
            }
            const std::uint64_t handle = next_;
            const auto placed = placedEntity(s_.bytes_, span, s_.form_, c, n == 0 ? nullptr : &next_);
            if (placed)
                bytes += withXdata(k, instances[n], *placed);
            else
                whole = false;
            if (block)
                blocks.insert(blocks.end(), std::make_move_iterator(block->begin()),
                              std::make_move_iterator(block->end()));
            else if (dimension && (n > 0 || !(instances[0].placed == Affine{})))
                whole = false;
            if (placed && n != 0) copies_[k].push_back({instances[n], handle});
        }
        if (!whole) {
            next_ = first;
            return std::nullopt;
        }
        edits_.insert(edits_.end(), std::make_move_iterator(blocks.begin()),
                      std::make_move_iterator(blocks.end()));
        return bytes;
    }

    EntityChange change(const Instance &instance) const
    {
        EntityChange c{instance.placed, {}, {}};
        if (instance.color != Origin::keep) c.color = instance.color;
        if (instance.layer >= 0 && static_cast<std::size_t>(instance.layer) < setting_.layers.size())
            c.layer = setting_.layers[static_cast<std::size_t>(instance.layer)];
        return c;
    }

    // The entities that could not be placed anew, each written in its place as the pieces that
    // show it now; `order` lists the changed entities as their edits follow from `firstChange`.
    void writeAsShown(const std::vector<std::size_t> &order,
                      std::unordered_map<std::size_t, std::vector<std::size_t>> &asShown,
                      std::size_t firstChange, std::size_t count)
    {
        for (std::size_t i = 0; i < drawing_.size(); ++i) {
            const Origin &o = drawing_.origin(i);
            if (!o.editable() || o.entity > count) continue;
            if (const auto it = asShown.find(o.entity - 1); it != asShown.end()) it->second.push_back(i);
        }
        for (std::size_t n = 0; n < order.size(); ++n) {
            const auto it = asShown.find(order[n]);
            if (it == asShown.end()) continue;
            if (std::optional<std::string> bytes = reshaped(order[n], it->second)) {
                edits_[firstChange + n].bytes = std::move(*bytes);
                continue;
            }
            DxfTagWriter out(s_.form_);
            EntityWriter writer(out, setting_, next_);
            for (const std::size_t i : it->second) {
                pieceHandles_[i] = next_;
                writer.write(drawing_.view(i));
            }
            edits_[firstChange + n].bytes = std::move(out.bytes());
        }
    }

    // A line, an arc, a circle (an arc from then on) or a polyline trimmed, extended or cut, in
    // its own groups: the first piece keeps its handle, the others (cut out of its middle) are
    // copies. None for other kinds.
    std::optional<std::string> reshaped(std::size_t k, const std::vector<std::size_t> &pieces)
    {
        const EntityPlace &place = s_.entities_[k];
        const DxfEntitySpan span{place.begin, std::min(place.end, s_.bytes_.size())};
        std::string bytes;
        const std::uint64_t first = next_;
        for (std::size_t n = 0; n < pieces.size(); ++n) {
            if (n != 0) pieceHandles_[pieces[n]] = next_;
            const EntityView view = drawing_.view(pieces[n]);
            EntityChange c = change({{}, view.origin->color, view.origin->layer});
            c.shape = &view;
            c.spare = &next_;
            auto piece = placedEntity(s_.bytes_, span, s_.form_, c, n == 0 ? nullptr : &next_);
            if (!piece) {
                next_ = first;
                return std::nullopt;
            }
            bytes += *piece;
        }
        return bytes;
    }

    // The bytes as read with every edit made, in the order of the bytes; an insertion before a
    // replacement at the same place.
    std::string applied()
    {
        std::stable_sort(edits_.begin(), edits_.end(), [](const Edit &a, const Edit &b) {
            return a.begin != b.begin ? a.begin < b.begin : (a.end == a.begin) > (b.end == b.begin);
        });
        std::size_t added = 0;
        for (const Edit &e : edits_)
            added += e.bytes.size();
        const std::string_view all(s_.bytes_);
        std::string result;
        result.reserve(s_.bytes_.size() + added);
        std::size_t at = 0;
        for (const Edit &e : edits_) {
            if (e.begin < at) continue; // overlapping: never in a file scanned whole
            result.append(all.substr(at, e.begin - at)).append(e.bytes);
            at = e.end;
        }
        result.append(all.substr(at));
        return result;
    }

    const DxfSource &s_;
    const Drawing &drawing_;
    const std::vector<Layer> &layers_;
    std::vector<const LayerEntry *> entries_;
    EntityWriter::Setting setting_;
    std::uint64_t next_;
    std::vector<Edit> edits_;
    std::uint64_t dimensionBlocks_ = 0; // the number the next *D<n> block is given
    // Symbols: those the file keeps, numbers given on entities, the handles of copies of the
    // file's entities and of pieces written anew, the root and group dictionaries.
    std::vector<FileSymbol> found_;
    std::int64_t nextNumber_ = 1;
    std::unordered_map<std::uint32_t, std::int64_t> numbers_;
    bool xdataWritten_ = false;
    bool appidAdded_ = false;
    std::unordered_map<std::size_t, std::vector<std::pair<Instance, std::uint64_t>>> copies_;
    std::unordered_map<std::size_t, std::uint64_t> pieceHandles_;
    std::size_t root_ = std::string::npos;
    std::size_t groupDictionary_ = std::string::npos;
    // Where entities carry their symbols: see planXdata.
    std::unordered_map<std::size_t, std::vector<std::pair<Instance, std::uint32_t>>> instanceSymbols_;
    std::unordered_set<std::uint32_t> standing_;
    std::unordered_set<std::size_t> changed_;
};

std::string DxfSource::edited(const Drawing &drawing, std::span<const std::uint32_t> shown,
                              const DxfNameEncoder &encoder, std::chrono::system_clock::time_point now) const
{
    Editor editor(*this, drawing, encoder);
    editor.changeLayers();
    editor.addMadeLayers();
    const Fates fates = editor.fates(shown);
    editor.rewriteChanged(fates, shown);
    editor.addDrawn(fates.drawn);
    editor.keepSymbols(shown);
    return editor.result(now);
}

} // namespace cad
