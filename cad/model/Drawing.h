#pragma once

#include "cad/model/Box.h"
#include "cad/model/Entity.h"
#include "cad/model/EntityView.h"
#include "cad/model/Layer.h"
#include "cad/model/Symbol.h"
#include "cad/model/kinds/Record.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace cad {

// The drawing model: entities in drawing order, and undo groups over them. What one command adds
// is one group, so U takes the whole command back.
//
// Entities are kept compact (64 bytes each, texts and vertex lists beside them), so a drawing of
// a million entities stays small and quick to walk. Walk it with size() and view(i); entities()
// builds full Entity values on demand, for previews and tests.
class Drawing
{
public:
    // All entities as values. Built when asked for and kept until the next change; a reference
    // to it is valid until then.
    const std::vector<Entity> &entities() const;
    std::size_t size() const { return records_.size(); }
    bool empty() const { return records_.empty(); }
    EntityView view(std::size_t i) const;
    Entity at(std::size_t i) const;
    const Origin &origin(std::size_t i) const { return origins_[outlines_[i].origin]; }

    // Adds to the open group, or as a group of its own when none is open.
    void add(const Entity &entity);
    void addLine(Point a, Point b, int color);

    // A command's group: what it adds between the two is one undo step.
    void beginGroup(std::string_view name);
    void endGroup();
    // Takes back the last entity of the running command (LINE's "u").
    std::optional<Entity> removeLast();

    // A step of several commands (one execute of a conversation: a whole symbol): the groups of
    // the commands run meanwhile become one, named here. A command still running when the step
    // ends goes on in a group of its own.
    void beginStep(std::string_view name);
    void endStep();
    bool stepOpen() const { return stepOpen_; }
    // Ends the open step and takes back what it did, never to be redone (a symbol cut short).
    void takeBackStep();

    // Symbols: what is added between beginSymbol and endSymbol is one object (picked, edited and
    // erased whole). Ids only grow, and a symbol once made never changes: an edit that places
    // one anew gives its pieces a new id, so that undo brings the old one back. 0 is none.
    std::uint32_t beginSymbol(Symbol symbol);
    void endSymbol() { openSymbol_ = 0; }
    std::uint32_t openSymbol() const { return openSymbol_; }
    std::uint32_t addSymbol(Symbol symbol);
    const Symbol &symbol(std::uint32_t id) const { return symbols_[id < symbols_.size() ? id : 0]; }
    // The opening a symbol made in its wall, told as it is made (in the step that drew it).
    // Like the symbol, it is never undone: undo takes back the entities, the record stays.
    void setOpening(std::uint32_t id, std::optional<Opening> opening)
    {
        if (opening)
            openings_[id] = *opening;
        else
            openings_.erase(id);
    }
    std::optional<Opening> opening(std::uint32_t id) const
    {
        const auto it = openings_.find(id);
        return it == openings_.end() ? std::nullopt : std::optional(it->second);
    }
    const std::map<std::uint32_t, Opening> &openings() const { return openings_; }
    std::uint32_t symbolOf(std::size_t i) const { return symbolOf_.empty() ? 0 : symbolOf_[i]; }
    // The same as read from a file: entity i is a piece of that symbol, with no undo step.
    void defineSymbolOf(std::size_t i, std::uint32_t symbol)
    {
        placeSymbol(i, symbol, false);
        changed();
    }

    // Edits, undone with the group (a command's or a step's) they are made in. Indices are those
    // of view(); erasing moves the entities after it down.
    void erase(std::vector<std::size_t> indices);
    void replaceAt(std::size_t i, const Entity &e);

    bool canUndo() const { return !groups_.empty(); }
    bool canRedo() const { return !redo_.empty(); }
    // Name of the command taken back or restored; empty when there was nothing to do.
    std::string undo();
    std::string redo();

    // A new, empty drawing, or one read from a file; both forget the undo history.
    void clear();
    void replace(const std::vector<Entity> &entities);
    // Becomes the other drawing (one just read), which is left empty.
    void replaceWith(Drawing &&other);
    // Keeps the entities and drops the undo and redo history.
    void forgetHistory();
    // What came from a file stays as it is there: shown, not edited (see Origin::fromFile).
    void lockOrigins();
    // What the file the drawing was read from cannot write of one of its entities placed anew
    // (`copy`: beside the entity, which stays) or, with a shape, cut to it: the entity's kind
    // ("HATCH"), or empty where it can. Set by whoever keeps the file.
    using PlacementCheck = std::function<std::string(std::uint32_t entity, const Affine &placed, bool copy,
                                                     const EntityView *shape)>;
    void setPlacementCheck(PlacementCheck check) { placementCheck_ = std::move(check); }
    std::string placementRefused(const Origin &origin, bool copy) const
    {
        if (!placementCheck_ || !origin.editable() || origin.placed == Affine{}) return {};
        return placementCheck_(origin.entity, origin.placed, copy, nullptr);
    }
    std::string cutRefused(const EntityView &shape) const
    {
        if (!placementCheck_ || !shape.origin || !shape.origin->editable()) return {};
        return placementCheck_(shape.origin->entity, {}, false, &shape);
    }

    // Layers: the table (a new drawing has "0" alone; a drawing read from a file, the file's) and
    // the current layer, which entities added with Entity::layer == currentLayer go to.
    const std::vector<Layer> &layers() const { return layers_; }
    std::size_t currentLayer() const { return current_; }
    // The layer of that name (names compare without regard to the case of ASCII letters).
    std::optional<std::size_t> findLayer(std::string_view name) const;
    // Whether entity i is on a layer that is on and thawed: what views show and picks take.
    bool visible(std::size_t i) const;
    // The colour entity i is drawn in: its own, or its layer's when it is ByLayer.
    int shownColor(std::size_t i) const;
    // Grows with every change of the layers, so that a layer list knows when to refresh.
    std::uint64_t layersRevision() const { return layersRevision_; }

    // Layer changes as the user makes them (-LAYER, CLAYER, the layer panel): each is undone
    // with the group it is made in, or is a group of its own named `undoName` when none is open.
    // makeLayer returns the index of the new layer, or of the one of that name already there
    // (unchanged).
    std::size_t makeLayer(Layer layer, std::string_view undoName = "LAYER");
    // Colour, on and frozen; the name stays.
    void changeLayer(std::size_t i, const Layer &layer, std::string_view undoName = "LAYER");
    void setCurrentLayer(std::size_t i, std::string_view undoName = "LAYER");
    // Names of new layers must be writable in the code page the drawing is saved in: `writable`
    // tells (without it, any valid name is). It stays across clear() and replaceWith().
    void setLayerCodepage(std::string codepage, std::function<bool(const std::string &)> writable);
    // Why a new layer cannot be named `name`, as said to the user; empty when it can.
    std::string layerNameRefused(const std::string &name) const;
    // The same as read from a file: no undo step and no change to save. defineLayer adds the
    // layer, or gives the one of that name these properties.
    std::size_t defineLayer(const Layer &layer);
    void defineCurrentLayer(std::size_t i);

    // The box all entities cover, kept up to date as entities are added.
    const Box &extents() const;

    // Each entity's box in single precision, rounded outwards, with its colour: what a view needs
    // to pass over entities off screen, or to draw one too small to see as a single pixel,
    // without reading the entity itself.
    struct Outline
    {
        float x0, y0, x1, y1;
        std::int16_t color;
        Entity::Type type;
        // A line runs along one diagonal of its box: from (x0, y0) to (x1, y1), or, when this
        // is set, from (x0, y1) to (x1, y0). A line of no length is a point.
        std::uint8_t falling = 0;
        static constexpr std::uint8_t point = 2;
        // Index of its layer in layers().
        std::uint32_t layer = 0;
        // Where it came from: an index into the drawing's table of origins, 0 for none.
        std::uint32_t origin = 0;
    };
    const std::vector<Outline> &outlines() const { return outlines_; }

    // Grows with every change, so views know when to repaint.
    std::uint64_t revision() const { return revision_; }
    bool modified() const { return revision_ != savedRevision_; }
    void markSaved() { savedRevision_ = revision_; }

    // Bytes held, for the benchmarks.
    std::size_t memoryUse() const;

private:
    // One change of a group that edits: undone in reverse order, redone in order.
    struct Op
    {
        // Layer ops: AddLayer adds `layerAfter` at `index` (the end); SetLayer changes layer
        // `index` from `layerBefore` to `layerAfter`; Current makes `index` current after
        // `previous`.
        enum class Kind : std::uint8_t { Add, Erase, Replace, AddLayer, SetLayer, Current };
        Op() = default;
        Op(Kind k, std::size_t i, Entity b, Entity a)
            : kind(k), index(i), before(std::move(b)), after(std::move(a))
        {
        }
        Kind kind = Kind::Add;
        std::size_t index = 0;
        Entity before, after;
        Layer layerBefore, layerAfter;
        std::size_t previous = 0;
    };
    // A group is the entities from `begin` on, or, once it edits, the log of its changes.
    struct Group
    {
        std::size_t begin = 0;
        std::uint32_t name = 0;
        std::vector<Op> ops;
    };
    struct Undone
    {
        std::uint32_t name = 0;
        std::vector<Entity> entities;
        std::vector<Op> ops;
    };

    void push(const Entity &e);
    void pop();
    Record encode(const Entity &e, Outline &outline);
    void insertAt(std::size_t i, const Entity &e);
    void setAt(std::size_t i, const Entity &e);
    void eraseAt(std::size_t i);
    // The open group starts to keep a log: what it added so far becomes Add ops.
    void startLog();
    void openGroup(std::uint32_t name);
    void closeGroup();
    // After the entities or the history were replaced: a step or command goes on from here.
    void reopenGroups();
    std::uint32_t nameId(std::string_view name);
    void changed() { ++revision_; }

    void outline(const Box &box, int color, Entity::Type type, std::uint32_t layer, std::uint8_t falling = 0);
    // The `falling` of a line's outline.
    static std::uint8_t lineShape(Point a, Point b);
    // Line types: each pattern is kept once, and each entity holds its number (0: continuous).
    std::uint16_t patternId(std::span<const double> dashes);
    void placePattern(std::size_t i, std::span<const double> dashes, bool inserted);
    void placeSymbol(std::size_t i, std::uint32_t symbol, bool inserted);
    std::uint32_t originIndex(const Origin &origin);
    std::uint32_t layerIndex(const Entity &e) const;
    // Logs a layer op in the open group, or in a group of its own named `undoName`.
    void logLayerOp(Op op, std::string_view undoName);
    void applyLayerOp(const Op &op, bool undo);
    void resetLayers();
    void layersChanged() { ++layersRevision_; }

    // Each entity's geometry, laid out by its kind (cad/model/kinds).
    std::vector<Record> records_;
    std::vector<Outline> outlines_;
    RecordSide side_;
    // The line type of each entity by index, 1 + its place in patterns_ (0: continuous); empty
    // as long as every entity is continuous, so that plain drawings pay nothing for them.
    std::vector<std::uint16_t> patternOf_;
    std::vector<std::vector<double>> patterns_;
    std::map<std::vector<double>, std::uint16_t> patternIds_;
    // The symbol of each entity by index; empty as long as none is a symbol's.
    std::vector<std::uint32_t> symbolOf_;
    std::vector<Symbol> symbols_{Symbol{}};
    std::map<std::uint32_t, Opening> openings_;
    std::uint32_t openSymbol_ = 0;
    // Shared by the pieces that stand for one entity of a file; only grows, and the first stands
    // for none.
    std::vector<Origin> origins_{Origin{}};
    PlacementCheck placementCheck_;
    std::vector<Group> groups_;
    std::vector<Undone> redo_;
    std::vector<std::string> names_;
    std::vector<Layer> layers_{Layer{"0"}};
    // Upper-cased names to indices.
    std::unordered_map<std::string, std::uint32_t> layerIndex_{{"0", 0}};
    std::size_t current_ = 0;
    std::uint64_t layersRevision_ = 0;
    std::string codepage_;
    std::function<bool(const std::string &)> writable_;
    // The group being filled (a step's or a command's), and the command and step it serves.
    bool groupOpen_ = false;
    Group open_;
    bool commandOpen_ = false;
    Group command_;
    bool stepOpen_ = false;
    std::uint32_t stepName_ = 0;
    std::size_t stepGroups_ = 0; // groups before the open step
    std::uint64_t revision_ = 0;
    std::uint64_t savedRevision_ = 0;
    mutable std::vector<Entity> cache_;
    mutable std::uint64_t cacheRevision_ = ~std::uint64_t(0);
    mutable Box extents_;
    mutable bool extentsValid_ = true;
};

inline bool Drawing::visible(std::size_t i) const
{
    return layers_[outlines_[i].layer].visible();
}

} // namespace cad
