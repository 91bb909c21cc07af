#pragma once

#include "cad/dxf/SymbolXdata.h"
#include "cad/dxf/tags/DxfTags.h"
#include "cad/model/Affine.h"
#include "cad/model/EntityView.h"

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace cad {

class Drawing;

// Turns text in a code page ("ANSI_932") into UTF-8 (as DxfTextDecoder in Dxf.h); empty when it
// cannot.
using DxfNameDecoder = std::function<std::string(std::string_view bytes, const std::string &codepage)>;
// The reverse: UTF-8 into a code page; empty when the code page cannot write the text.
using DxfNameEncoder = std::function<std::string(std::string_view utf8, const std::string &codepage)>;

// A DXF file as it was read, kept whole so that saving edits it rather than rewriting it: every
// section, table, block, entity and object goes back out byte for byte, the entities drawn since
// are added to the model space in the file's own form (ASCII or binary, its version's layout),
// each on its layer, layers made since are added to the LAYER table, and $HANDSEED moves past
// their handles. What the user changed of the file's layers (colour, on, frozen) and its current
// layer are written over the groups that held them, and the update times ($TDUPDATE, $TDUUPDATE)
// become the time of the save.
class DxfSource
{
public:
    // Takes the file's bytes and notes where its parts are. Always gives a source; whether it
    // holds a whole file is complete(). With `forEditing` false, only what reading needs is
    // noted (form, version, code page, whether plain()), quickly: such a source is not edited.
    // Layer names are read through `decoder` in files before R2007 that name a code page.
    static std::shared_ptr<const DxfSource> scan(std::string bytes, bool forEditing = true,
                                                 const DxfNameDecoder &decoder = {});

    const std::string &bytes() const { return bytes_; }
    bool binary() const { return form_.binary; }
    // $ACADVER, or AC1009 for a file that names none.
    const std::string &version() const { return version_; }
    // $DWGCODEPAGE as written ("ANSI_932"); empty when the file names none.
    const std::string &codepage() const { return codepage_; }
    // Whether texts are in the code page rather than UTF-8 (files before R2007).
    bool usesCodepage() const { return version_ < "AC1021"; }
    // Whether the groups run through to EOF.
    bool complete() const { return complete_; }
    // Whether the file's sections were whole but its EOF was missing, and is added to bytes().
    bool eofAdded() const { return eofAdded_; }
    // The current layer: $CLAYER as written, or "0"; and as UTF-8.
    const std::string &currentLayer() const { return layer_; }
    const std::string &currentLayerName() const { return layerName_; }
    // Whether every layer is shown in colour 7 with continuous lines: what is shown of an
    // entity then does not depend on its layer.
    bool plain() const { return plain_; }
    // Binary files: the same groups as ASCII text, for a reader of ASCII. Reals keep every bit.
    std::string ascii() const;

    // A file cut short or broken off: its groups up to the last whole one before the entity that
    // broke, with the table, block and section left open closed, and EOF. None when it held no
    // section, or was whole.
    static std::optional<std::string> recovered(std::string_view bytes);

    // The entities of the ENTITIES section, numbered as Origin::entity counts them (from 0 here).
    std::size_t entityCount() const { return entities_.size(); }
    std::string_view entityType(std::size_t i) const
    {
        return i < entities_.size() ? entities_[i].type : std::string_view{};
    }
    // Its groups, ATTRIBs, VERTEXes and SEQEND with them, as read.
    std::string_view entityBytes(std::size_t i) const
    {
        if (i >= entities_.size() || entities_[i].begin >= bytes_.size()) return {};
        return std::string_view(bytes_).substr(entities_[i].begin, entities_[i].end - entities_[i].begin);
    }

    // The kind of the entity numbered as Origin::entity counts them when it cannot be written
    // placed by `m` in its own groups; empty when it can.
    // A copy is asked for with `copy`; with `shape`, the entity cut to that shape (a circle cut
    // is an arc from then on, the same object).
    std::string unplaceable(std::uint32_t entity, const Affine &m, bool copy,
                            const EntityView *shape = nullptr) const;

    // How many pieces of `drawing`, as read from this file, show each of its entities: what
    // edited() tells the changes by.
    std::vector<std::uint32_t> piecesShown(const Drawing &drawing) const;

    // The file edited as `drawing` now shows it, saved at `now`: entities erased are taken out,
    // those moved, turned, scaled or mirrored written there anew (copies beside them, with new
    // handles), those changed otherwise written as what they show now, the entities drawn here
    // added to the model space, the layers made in `drawing` added to its table and the changes
    // of its layers written. `shown` is piecesShown() of the drawing as read. Without any of
    // these, the bytes as read. Names of new layers go through `encoder` into the file's code
    // page; those it cannot write, and all without an encoder, with \U+ escapes for what is not
    // ASCII. Empty when what was added needs more handles than the file has left (see
    // handlesLeft()): nothing else is ever given a handle of the file's own.
    std::string edited(const Drawing &drawing, std::span<const std::uint32_t> shown,
                       const DxfNameEncoder &encoder = {},
                       std::chrono::system_clock::time_point now = std::chrono::system_clock::now()) const;

    // The symbols the file keeps (GROUPs with our XDATA, or our XDATA on entities), given to the
    // pieces of `drawing` read from it, each one object again, with its opening. Texts in a code
    // page are read through `decoder`.
    void giveSymbols(Drawing &drawing, const DxfNameDecoder &decoder = {}) const;

    // How many new handles the file can still give: those after its $HANDSEED and its largest
    // handle, up to the largest a $HANDSEED can name.
    std::uint64_t handlesLeft() const;

    // A moment as DXF writes $TDUPDATE (local time) and $TDUUPDATE (universal time): a Julian
    // date, days and the fraction of the day.
    static double julianDate(std::chrono::system_clock::time_point t, bool local);

private:
    // One entry of the LAYER table: its name as written and as UTF-8, and the groups of its
    // colour (negative when off) and flags (1: frozen).
    struct LayerEntry
    {
        std::string raw, name;
        DxfTag color, flags;
        bool hasColor = false, hasFlags = false;
        int colorValue = 7;
        std::int64_t flagsValue = 0;
    };
    struct Edit;
    // A symbol the file keeps: its entities by their number in ENTITIES (from 0), and the GROUP
    // that holds them (an index in objects_), or npos when each of them carries it.
    struct FileSymbol
    {
        KeptSymbol kept;
        std::vector<std::size_t> entities;
        std::size_t group = std::string::npos;
    };
    std::vector<FileSymbol> fileSymbols(const std::function<std::string(std::string_view)> &text) const;
    // The groups from `begin` up to `end`.
    std::vector<DxfTag> tagsBetween(std::size_t begin, std::size_t end) const;
    // Entities by their handles (those of the ENTITIES section that have one).
    std::unordered_map<std::uint64_t, std::size_t> entityHandles() const;
    std::uint64_t entityHandle(std::size_t k) const;
    std::string decoded(const std::string &raw, const DxfNameDecoder &decoder) const;
    // Gathers the edits edited() makes, step by step.
    class Editor;

    // The handle the first new object gets.
    std::uint64_t firstNewHandle() const { return std::max(seed_, largestHandle_ + 1); }
    void note(const DxfTag &tag);
    void noteHeader(const DxfTag &tag);
    void noteLayer(const DxfTag &tag);
    void noteBlock(const DxfTag &tag, bool own);
    void decodeNames(const DxfNameDecoder &decoder);
    const LayerEntry *findEntry(std::string_view name) const;

    std::string bytes_;
    DxfTagWriter::Form form_;
    std::string version_ = "AC1009";
    std::string codepage_;
    std::string layer_ = "0";
    std::string layerName_ = "0";
    DxfTag clayer_, tdUpdate_, tduUpdate_;
    bool hasClayer_ = false, hasTdUpdate_ = false, hasTduUpdate_ = false;
    // The LAYER table: its entries, its handle, where it ends (its ENDTAB), and what its first
    // entry writes that a new one borrows: the linetype, the line weight and the plot style.
    std::vector<LayerEntry> layers_;
    std::uint64_t layerTable_ = 0;
    std::size_t layerTableEnd_ = std::string::npos;
    std::string layerLinetype_ = "CONTINUOUS";
    std::string layerWeight_, layerPlotStyle_;
    bool complete_ = false;
    bool eofAdded_ = false;
    bool plain_ = true;
    // Handles: the seed group in the header, the largest handle in use, the model space's record.
    DxfTag handSeed_;
    bool hasHandSeed_ = false;
    std::uint64_t seed_ = 0;
    std::uint64_t largestHandle_ = 0;
    std::uint64_t modelSpace_ = 0;
    // Where new entities go: before the ENTITIES section's ENDSEC; without one, a section of their
    // own before OBJECTS or EOF.
    std::size_t entitiesEnd_ = std::string::npos;
    std::size_t objectsBegin_ = std::string::npos;
    std::size_t eof_ = std::string::npos;

    struct EntityPlace
    {
        std::size_t begin = 0, end = std::string::npos;
        std::string_view type;
        std::uint64_t dictionary = 0; // its extension dictionary's handle
    };
    std::vector<EntityPlace> entities_;
    // The OBJECTS section's objects, each with its handle and owner.
    struct ObjectPlace
    {
        std::size_t begin = 0, end = std::string::npos;
        std::uint64_t handle = 0, owner = 0;
        std::string_view type;
    };
    std::vector<ObjectPlace> objects_;
    // Where the OBJECTS section's ENDSEC is.
    std::size_t objectsEnd_ = std::string::npos;
    // Entities carrying our XDATA, by number.
    std::vector<std::size_t> ownXdata_;
    // The APPID table: its handle, where it ends, and whether it names our application.
    std::uint64_t appidTable_ = 0;
    std::size_t appidTableEnd_ = std::string::npos;
    bool hasAppid_ = false;
    // The BLOCKS section's blocks, by name as written, with their entities: bytes[begin, end)
    // from the BLOCK to the group after its ENDBLK, whose own groups begin at `endblk`.
    struct BlockPlace
    {
        std::string name;
        std::vector<EntityPlace> entities;
        std::size_t begin = 0, endblk = std::string::npos, end = std::string::npos;
    };
    std::vector<BlockPlace> blocks_;
    bool inBlock_ = false;
    // The BLOCK_RECORD table's entries (none before R13), by name as written.
    struct RecordPlace
    {
        std::string name;
        std::size_t begin = 0, end = std::string::npos;
    };
    std::vector<RecordPlace> records_;
    const BlockPlace *dimensionBlockOf(std::size_t k) const;
    // The entities of the block a dimension (entity k) draws itself with, placed by `m`; none
    // when there is no such block or one of them cannot be placed.
    std::optional<std::vector<Edit>> dimensionBlock(std::size_t k, const Affine &m) const;
    // A block of its own for a copy of dimension k placed by `m`, named `name`: its record and
    // its block, with handles from `next`, each an insertion after the original's; none when
    // the original's cannot be found or placed.
    std::optional<std::vector<Edit>> dimensionBlockCopy(std::size_t k, const Affine &m,
                                                        const std::string &name, std::uint64_t &next) const;
    // The first number n for which no block is named *D<n>.
    std::uint64_t freeDimensionBlock() const;

    // Scanning state; the names lie in bytes_.
    std::string_view section_;
    std::size_t sectionBegin_ = 0;
    std::string_view object_;
    std::string variable_;
    bool expectSectionName_ = false;
    bool expectVariableValue_ = false;
    std::uint64_t objectHandle_ = 0;
    bool tableStart_ = false;
    bool inLayerTable_ = false;
    std::string_view table_;
};

} // namespace cad
