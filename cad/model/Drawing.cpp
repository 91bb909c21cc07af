#include "cad/model/Drawing.h"

#include "cad/model/Geometry.h"
#include "cad/model/Names.h"
#include "cad/model/kinds/Kinds.h"

#include <algorithm>
#include <cmath>

namespace cad {

const std::vector<Entity> &Drawing::entities() const
{
    if (cacheRevision_ != revision_) {
        cache_.clear();
        cache_.reserve(records_.size());
        for (std::size_t i = 0; i < records_.size(); ++i)
            cache_.push_back(at(i));
        cacheRevision_ = revision_;
    }
    return cache_;
}

EntityView Drawing::view(std::size_t i) const
{
    const Outline &o = outlines_[i];
    EntityView v;
    v.type = o.type;
    v.color = o.color;
    v.origin = &origins_[o.origin];
    v.layer = o.layer;
    visitKind(o.type, [&](auto kind) {
        using K = decltype(kind);
        K::load(layoutOf<typename K::Layout>(records_[i]), side_, v);
    });
    if (!patternOf_.empty() && patternOf_[i] != 0) v.dashes = patterns_[patternOf_[i] - 1];
    v.symbol = symbolOf(i);
    return v;
}

Entity Drawing::at(std::size_t i) const
{
    const EntityView v = view(i);
    Entity e;
    e.type = v.type;
    e.color = v.color;
    e.a = v.a;
    e.b = v.b;
    e.centre = v.centre;
    e.radius = v.radius;
    e.startAngle = v.startAngle;
    e.endAngle = v.endAngle;
    e.majorAxis = v.majorAxis;
    e.ratio = v.ratio;
    e.insert = v.insert;
    e.text = std::string(v.text);
    e.height = v.height;
    e.rotation = v.rotation;
    e.vertices.assign(v.vertices.begin(), v.vertices.end());
    e.startWidth = v.startWidth;
    e.endWidth = v.endWidth;
    e.closed = v.closed;
    e.mirrored = v.mirrored;
    e.dashes.assign(v.dashes.begin(), v.dashes.end());
    e.origin = *v.origin;
    e.layer = static_cast<std::int32_t>(v.layer);
    e.symbol = v.symbol;
    return e;
}

Record Drawing::encode(const Entity &e, Outline &o)
{
    const Box box = bounds(e);
    const Record r = visitKind(e.type, [&](auto kind) {
        using K = decltype(kind);
        return recordOf(K::store(e, side_));
    });
    outline(box, e.color, e.type, layerIndex(e), e.type == Entity::Type::Line ? lineShape(e.a, e.b) : 0);
    o = outlines_.back();
    outlines_.pop_back();
    if (endless(e.type)) {
        // In every view, though not in the extents.
        o.x0 = o.y0 = -HUGE_VALF;
        o.x1 = o.y1 = HUGE_VALF;
    }
    o.origin = originIndex(e.origin);
    return r;
}

std::uint32_t Drawing::originIndex(const Origin &origin)
{
    if (origin == Origin{}) return 0;
    // The pieces of one entity come one after the other.
    if (origins_.back() == origin) return static_cast<std::uint32_t>(origins_.size() - 1);
    origins_.push_back(origin);
    return static_cast<std::uint32_t>(origins_.size() - 1);
}

void Drawing::push(const Entity &e)
{
    Outline o;
    records_.push_back(encode(e, o));
    outlines_.push_back(o);
    placePattern(records_.size() - 1, e.dashes, true);
    placeSymbol(records_.size() - 1, e.symbol, true);
}

std::uint16_t Drawing::patternId(std::span<const double> dashes)
{
    if (dashes.empty()) return 0;
    std::vector<double> key(dashes.begin(), dashes.end());
    const auto it = patternIds_.find(key);
    if (it != patternIds_.end()) return it->second;
    // So many line types at once cannot be told apart anyway: the others are continuous.
    if (patterns_.size() >= 0xffff) return 0;
    patterns_.push_back(key);
    const auto id = static_cast<std::uint16_t>(patterns_.size());
    patternIds_.emplace(std::move(key), id);
    return id;
}

void Drawing::placePattern(std::size_t i, std::span<const double> dashes, bool inserted)
{
    const std::uint16_t id = patternId(dashes);
    if (patternOf_.empty()) {
        if (id == 0) return;
        // The first entity with a line type: the others so far are continuous.
        patternOf_.assign(records_.size() - (inserted ? 1 : 0), 0);
    }
    if (inserted)
        patternOf_.insert(patternOf_.begin() + static_cast<std::ptrdiff_t>(i), id);
    else
        patternOf_[i] = id;
}

void Drawing::placeSymbol(std::size_t i, std::uint32_t symbol, bool inserted)
{
    if (symbolOf_.empty()) {
        if (symbol == 0) return;
        symbolOf_.assign(records_.size() - (inserted ? 1 : 0), 0);
    }
    if (inserted)
        symbolOf_.insert(symbolOf_.begin() + static_cast<std::ptrdiff_t>(i), symbol);
    else
        symbolOf_[i] = symbol;
}

void Drawing::insertAt(std::size_t i, const Entity &e)
{
    Outline o;
    const Record r = encode(e, o);
    records_.insert(records_.begin() + static_cast<std::ptrdiff_t>(i), r);
    outlines_.insert(outlines_.begin() + static_cast<std::ptrdiff_t>(i), o);
    placePattern(i, e.dashes, true);
    placeSymbol(i, e.symbol, true);
}

void Drawing::setAt(std::size_t i, const Entity &e)
{
    Outline o;
    records_[i] = encode(e, o);
    outlines_[i] = o;
    placePattern(i, e.dashes, false);
    placeSymbol(i, e.symbol, false);
    extentsValid_ = false;
}

void Drawing::eraseAt(std::size_t i)
{
    if (i + 1 == records_.size()) {
        pop();
        return;
    }
    records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(i));
    outlines_.erase(outlines_.begin() + static_cast<std::ptrdiff_t>(i));
    if (!patternOf_.empty()) patternOf_.erase(patternOf_.begin() + static_cast<std::ptrdiff_t>(i));
    if (!symbolOf_.empty()) symbolOf_.erase(symbolOf_.begin() + static_cast<std::ptrdiff_t>(i));
    extentsValid_ = false;
}

void Drawing::startLog()
{
    if (!groupOpen_ || !open_.ops.empty()) return;
    for (std::size_t i = open_.begin; i < records_.size(); ++i)
        open_.ops.push_back({Op::Kind::Add, i, {}, at(i)});
}

void Drawing::erase(std::vector<std::size_t> indices)
{
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    if (indices.empty()) return;
    if (!groupOpen_) openGroup(0);
    const bool own = !commandOpen_ && !stepOpen_;
    startLog();
    // From the back, so that the indices before stay right.
    for (auto it = indices.rbegin(); it != indices.rend(); ++it) {
        if (*it >= records_.size()) continue;
        open_.ops.push_back({Op::Kind::Erase, *it, at(*it), {}});
        eraseAt(*it);
    }
    redo_.clear();
    if (own) closeGroup();
    changed();
}

void Drawing::replaceAt(std::size_t i, const Entity &e)
{
    if (i >= records_.size()) return;
    if (!groupOpen_) openGroup(0);
    const bool own = !commandOpen_ && !stepOpen_;
    startLog();
    open_.ops.push_back({Op::Kind::Replace, i, at(i), e});
    setAt(i, e);
    redo_.clear();
    if (own) closeGroup();
    changed();
}

namespace {

float below(double v)
{
    auto f = static_cast<float>(v);
    return static_cast<double>(f) > v ? std::nextafter(f, -HUGE_VALF) : f;
}

float above(double v)
{
    auto f = static_cast<float>(v);
    return static_cast<double>(f) < v ? std::nextafter(f, HUGE_VALF) : f;
}

} // namespace

std::uint8_t Drawing::lineShape(Point a, Point b)
{
    if (a == b) return Outline::point;
    return (b.x - a.x) * (b.y - a.y) < 0 ? 1 : 0;
}

void Drawing::outline(const Box &box, int color, Entity::Type type, std::uint32_t layer, std::uint8_t falling)
{
    outlines_.push_back(Outline{below(box.min.x), below(box.min.y), above(box.max.x), above(box.max.y),
                                static_cast<std::int16_t>(std::clamp(color, colorBackground, colorByLayer)),
                                type, falling, layer});
    // The cached extents grow with what is added; only removals make them be counted again.
    if (extentsValid_) extents_.include(box);
}

void Drawing::pop()
{
    visitKind(outlines_.back().type, [this](auto kind) {
        using K = decltype(kind);
        if constexpr (requires { K::release(layoutOf<typename K::Layout>(records_.back()), side_); })
            K::release(layoutOf<typename K::Layout>(records_.back()), side_);
    });
    records_.pop_back();
    outlines_.pop_back();
    if (!patternOf_.empty()) patternOf_.pop_back();
    if (!symbolOf_.empty()) symbolOf_.pop_back();
    extentsValid_ = false;
}

void Drawing::add(const Entity &entity)
{
    if (openSymbol_ != 0 && entity.symbol != openSymbol_) {
        Entity piece = entity;
        piece.symbol = openSymbol_;
        add(piece);
        return;
    }
    if (!groupOpen_) groups_.push_back({records_.size(), 0, {}});
    if (groupOpen_ && !open_.ops.empty()) open_.ops.push_back({Op::Kind::Add, records_.size(), {}, entity});
    push(entity);
    redo_.clear();
    changed();
}

void Drawing::addLine(Point a, Point b, int color)
{
    if (openSymbol_ != 0 || (groupOpen_ && !open_.ops.empty())) {
        Entity e;
        e.a = a, e.b = b, e.color = color;
        add(e);
        return;
    }
    if (!groupOpen_) groups_.push_back({records_.size(), 0, {}});
    records_.push_back(recordOf(LineKind::Layout{a, b}));
    Box box;
    box.add(a);
    box.add(b);
    outline(box, color, Entity::Type::Line, static_cast<std::uint32_t>(current_), lineShape(a, b));
    if (!patternOf_.empty()) patternOf_.push_back(0);
    if (!symbolOf_.empty()) symbolOf_.push_back(0);
    if (!redo_.empty()) redo_.clear();
    changed();
}

void Drawing::openGroup(std::uint32_t name)
{
    closeGroup();
    groupOpen_ = true;
    open_ = {records_.size(), name, {}};
}

void Drawing::closeGroup()
{
    if (!groupOpen_) return;
    groupOpen_ = false;
    if (!open_.ops.empty() || records_.size() > open_.begin) groups_.push_back(std::move(open_));
    open_ = {};
}

void Drawing::beginGroup(std::string_view name)
{
    endGroup();
    commandOpen_ = true;
    command_ = {records_.size(), nameId(name), {}};
    if (!stepOpen_) openGroup(command_.name);
}

void Drawing::endGroup()
{
    if (!commandOpen_) return;
    commandOpen_ = false;
    if (!stepOpen_) closeGroup();
}

void Drawing::beginStep(std::string_view name)
{
    endStep();
    stepOpen_ = true;
    stepName_ = nameId(name);
    openGroup(stepName_);
    stepGroups_ = groups_.size();
}

void Drawing::takeBackStep()
{
    if (!stepOpen_) return;
    endStep();
    if (groups_.size() <= stepGroups_) return;
    undo();
    redo_.pop_back();
}

std::uint32_t Drawing::beginSymbol(Symbol symbol)
{
    openSymbol_ = addSymbol(std::move(symbol));
    return openSymbol_;
}

std::uint32_t Drawing::addSymbol(Symbol symbol)
{
    symbols_.push_back(std::move(symbol));
    return static_cast<std::uint32_t>(symbols_.size() - 1);
}

void Drawing::endStep()
{
    if (!stepOpen_) return;
    stepOpen_ = false;
    closeGroup();
    if (commandOpen_) {
        command_.begin = records_.size();
        openGroup(command_.name);
    }
}

void Drawing::reopenGroups()
{
    groupOpen_ = false;
    if (commandOpen_) command_.begin = records_.size();
    if (stepOpen_)
        openGroup(stepName_);
    else if (commandOpen_)
        openGroup(command_.name);
}

std::optional<Entity> Drawing::removeLast()
{
    // Never below the group being filled: what is before it is another undo step.
    if (!commandOpen_ || !groupOpen_ || records_.size() <= std::max(command_.begin, open_.begin))
        return std::nullopt;
    if (!open_.ops.empty()) {
        if (open_.ops.back().kind != Op::Kind::Add) return std::nullopt;
        open_.ops.pop_back();
    }
    Entity e = at(records_.size() - 1);
    pop();
    changed();
    return e;
}

std::string Drawing::undo()
{
    // U ends the running command; inside a step, what follows it is a group of the step again.
    endGroup();
    closeGroup();
    if (groups_.empty()) {
        reopenGroups();
        return {};
    }
    Group g = std::move(groups_.back());
    groups_.pop_back();
    Undone undone{g.name, {}, {}};
    if (!g.ops.empty()) {
        for (auto it = g.ops.rbegin(); it != g.ops.rend(); ++it) {
            switch (it->kind) {
            case Op::Kind::Add:
                pop();
                break;
            case Op::Kind::Erase:
                insertAt(it->index, it->before);
                break;
            case Op::Kind::Replace:
                setAt(it->index, it->before);
                break;
            case Op::Kind::AddLayer:
            case Op::Kind::SetLayer:
            case Op::Kind::Current:
                applyLayerOp(*it, true);
                break;
            }
        }
        extentsValid_ = false;
        undone.ops = std::move(g.ops);
    } else {
        undone.entities.reserve(records_.size() - g.begin);
        for (std::size_t i = g.begin; i < records_.size(); ++i)
            undone.entities.push_back(at(i));
        while (records_.size() > g.begin)
            pop();
    }
    redo_.push_back(std::move(undone));
    reopenGroups();
    changed();
    return names_.empty() ? std::string() : names_[g.name];
}

std::string Drawing::redo()
{
    endGroup();
    closeGroup();
    if (redo_.empty()) {
        reopenGroups();
        return {};
    }
    Undone undone = std::move(redo_.back());
    redo_.pop_back();
    for (const Op &op : undone.ops) {
        switch (op.kind) {
        case Op::Kind::Add:
            push(op.after);
            break;
        case Op::Kind::Erase:
            eraseAt(op.index);
            break;
        case Op::Kind::Replace:
            setAt(op.index, op.after);
            break;
        case Op::Kind::AddLayer:
        case Op::Kind::SetLayer:
        case Op::Kind::Current:
            applyLayerOp(op, false);
            break;
        }
    }
    groups_.push_back({records_.size(), undone.name, std::move(undone.ops)});
    for (const Entity &e : undone.entities)
        push(e);
    reopenGroups();
    changed();
    return names_.empty() ? std::string() : names_[undone.name];
}

void Drawing::clear()
{
    resetLayers();
    symbols_.resize(1);
    openings_.clear();
    openSymbol_ = 0;
    replace({});
}

void Drawing::replace(const std::vector<Entity> &entities)
{
    records_.clear();
    outlines_.clear();
    side_ = {};
    patternOf_.clear();
    patterns_.clear();
    patternIds_.clear();
    symbolOf_.clear();
    origins_.resize(1);
    extents_ = Box{};
    extentsValid_ = true;
    records_.reserve(entities.size());
    outlines_.reserve(entities.size());
    for (const Entity &e : entities)
        push(e);
    groups_.clear();
    redo_.clear();
    reopenGroups();
    changed();
}

void Drawing::replaceWith(Drawing &&other)
{
    records_ = std::move(other.records_);
    outlines_ = std::move(other.outlines_);
    side_ = std::move(other.side_);
    patternOf_ = std::move(other.patternOf_);
    patterns_ = std::move(other.patterns_);
    patternIds_ = std::move(other.patternIds_);
    origins_ = std::move(other.origins_);
    other.origins_.assign(1, Origin{});
    symbolOf_ = std::move(other.symbolOf_);
    symbols_ = std::move(other.symbols_);
    other.symbols_.assign(1, Symbol{});
    openings_ = std::move(other.openings_);
    other.openings_.clear();
    openSymbol_ = 0;
    layers_ = std::move(other.layers_);
    layerIndex_ = std::move(other.layerIndex_);
    current_ = other.current_;
    layersChanged();
    extents_ = other.extents_;
    extentsValid_ = other.extentsValid_;
    groups_.clear();
    redo_.clear();
    reopenGroups();
    other.clear();
    changed();
}

void Drawing::forgetHistory()
{
    closeGroup();
    groups_.clear();
    redo_.clear();
    reopenGroups();
}

void Drawing::lockOrigins()
{
    for (Origin &o : origins_)
        if (o.entity != 0) o = Origin{Origin::fromFile, false, {}};
}

const Box &Drawing::extents() const
{
    if (!extentsValid_) {
        extents_ = Box{};
        for (std::size_t i = 0; i < records_.size(); ++i)
            extents_.include(bounds(view(i)));
        extentsValid_ = true;
    }
    return extents_;
}

std::size_t Drawing::memoryUse() const
{
    std::size_t bytes = records_.capacity() * sizeof(Record) + outlines_.capacity() * sizeof(Outline) +
                        side_.texts.capacity() * sizeof(std::string) +
                        side_.vertexLists.capacity() * sizeof(std::vector<Point>) +
                        groups_.capacity() * sizeof(Group) + origins_.capacity() * sizeof(Origin);
    for (const std::string &t : side_.texts)
        bytes += t.capacity() > 15 ? t.capacity() + 1 : 0;
    for (const auto &v : side_.vertexLists)
        bytes += v.capacity() * sizeof(Point);
    bytes += patternOf_.capacity() * sizeof(std::uint16_t) + symbolOf_.capacity() * sizeof(std::uint32_t);
    for (const auto &p : patterns_)
        bytes += 2 * p.capacity() * sizeof(double) + 2 * sizeof(std::vector<double>);
    return bytes;
}

std::uint32_t Drawing::nameId(std::string_view name)
{
    if (names_.empty()) names_.emplace_back();
    const auto it = std::find(names_.begin(), names_.end(), name);
    if (it != names_.end()) return static_cast<std::uint32_t>(it - names_.begin());
    names_.emplace_back(name);
    return static_cast<std::uint32_t>(names_.size() - 1);
}

namespace {

// The key a layer is found by in layerIndex_.
std::string layerKey(std::string_view name)
{
    return upper(name);
}

} // namespace

bool validLayerName(const std::string &name)
{
    if (name.empty() || name.size() > 255 || name.front() == ' ' || name.back() == ' ') return false;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f) return false;
        if (std::string_view("<>/\\\":;?*|,=`").find(c) != std::string_view::npos) return false;
    }
    return true;
}

void Drawing::setLayerCodepage(std::string codepage, std::function<bool(const std::string &)> writable)
{
    codepage_ = std::move(codepage);
    writable_ = std::move(writable);
}

std::string Drawing::layerNameRefused(const std::string &name) const
{
    if (!validLayerName(name)) return "無効な画層名です: \"" + name + "\"";
    const bool ascii = std::all_of(name.begin(), name.end(), [](char c) { return (c & 0x80) == 0; });
    // Written otherwise, the name would go into the file as \U+ escapes, which other programs
    // take for an invalid name.
    if (!ascii && writable_ && !writable_(name))
        return "画層名 \"" + name + "\" はこの図面の文字コード (" +
               (codepage_.empty() ? std::string("指定なし") : codepage_) + ") では保存できません。";
    return {};
}

std::optional<std::size_t> Drawing::findLayer(std::string_view name) const
{
    const auto it = layerIndex_.find(layerKey(name));
    if (it == layerIndex_.end()) return std::nullopt;
    return it->second;
}

int Drawing::shownColor(std::size_t i) const
{
    const Outline &o = outlines_[i];
    return o.color == colorByLayer ? layers_[o.layer].color : o.color;
}

std::uint32_t Drawing::layerIndex(const Entity &e) const
{
    if (e.layer < 0 || static_cast<std::size_t>(e.layer) >= layers_.size())
        return static_cast<std::uint32_t>(current_);
    return static_cast<std::uint32_t>(e.layer);
}

void Drawing::resetLayers()
{
    layers_.assign(1, Layer{"0"});
    layerIndex_.clear();
    layerIndex_.emplace("0", 0);
    current_ = 0;
    layersChanged();
}

std::size_t Drawing::defineLayer(const Layer &layer)
{
    const auto [it, added] =
        layerIndex_.emplace(layerKey(layer.name), static_cast<std::uint32_t>(layers_.size()));
    if (added)
        layers_.push_back(layer);
    else
        layers_[it->second] = layer;
    layersChanged();
    changed();
    return it->second;
}

void Drawing::defineCurrentLayer(std::size_t i)
{
    if (i >= layers_.size() || i == current_) return;
    current_ = i;
    layersChanged();
    changed();
}

void Drawing::logLayerOp(Op op, std::string_view undoName)
{
    if (!groupOpen_) openGroup(nameId(undoName));
    const bool own = !commandOpen_ && !stepOpen_;
    startLog();
    applyLayerOp(op, false);
    open_.ops.push_back(std::move(op));
    redo_.clear();
    if (own) closeGroup();
    changed();
}

void Drawing::applyLayerOp(const Op &op, bool undo)
{
    switch (op.kind) {
    case Op::Kind::AddLayer:
        if (undo) {
            layerIndex_.erase(layerKey(layers_.back().name));
            layers_.pop_back();
            // Entities added on it later were taken back first; what points past the end falls
            // back to layer 0.
            if (current_ >= layers_.size()) current_ = 0;
        } else {
            layerIndex_.emplace(layerKey(op.layerAfter.name), static_cast<std::uint32_t>(layers_.size()));
            layers_.push_back(op.layerAfter);
        }
        break;
    case Op::Kind::SetLayer:
        if (op.index < layers_.size()) {
            const std::string name = layers_[op.index].name;
            layers_[op.index] = undo ? op.layerBefore : op.layerAfter;
            layers_[op.index].name = name;
        }
        break;
    case Op::Kind::Current:
        current_ = std::min(undo ? op.previous : op.index, layers_.size() - 1);
        break;
    default:
        break;
    }
    layersChanged();
}

std::size_t Drawing::makeLayer(Layer layer, std::string_view undoName)
{
    if (const auto found = findLayer(layer.name)) return *found;
    layer.made = true;
    Op op;
    op.kind = Op::Kind::AddLayer;
    op.index = layers_.size();
    op.layerAfter = std::move(layer);
    logLayerOp(std::move(op), undoName);
    return layers_.size() - 1;
}

void Drawing::changeLayer(std::size_t i, const Layer &layer, std::string_view undoName)
{
    if (i >= layers_.size()) return;
    Layer after = layer;
    after.name = layers_[i].name;
    after.made = layers_[i].made;
    if (after == layers_[i]) return;
    Op op;
    op.kind = Op::Kind::SetLayer;
    op.index = i;
    op.layerBefore = layers_[i];
    op.layerAfter = std::move(after);
    logLayerOp(std::move(op), undoName);
}

void Drawing::setCurrentLayer(std::size_t i, std::string_view undoName)
{
    if (i >= layers_.size() || i == current_) return;
    Op op;
    op.kind = Op::Kind::Current;
    op.index = i;
    op.previous = current_;
    logLayerOp(std::move(op), undoName);
}

} // namespace cad
