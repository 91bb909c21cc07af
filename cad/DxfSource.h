#pragma once

#include "cad/DxfTags.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <span>
#include <string_view>
#include <vector>

namespace cad {

class Drawing;

// A DXF file as it was read, kept whole so that saving edits it rather than rewriting it: every
// section, table, block, entity and object goes back out byte for byte, the entities drawn since
// are added to the model space in the file's own form (ASCII or binary, its version's layout),
// and $HANDSEED moves past their handles.
class DxfSource
{
public:
    // Takes the file's bytes and notes where its parts are. Always gives a source; whether it
    // holds a whole file is complete(). With `forEditing` false, only what reading needs is
    // noted (form, version, code page, whether plain()), quickly: such a source is not edited.
    static std::shared_ptr<const DxfSource> scan(std::string bytes, bool forEditing = true);

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
    // The layer new entities go to: $CLAYER, or "0".
    const std::string &currentLayer() const { return layer_; }
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

    // How many pieces of `drawing`, as read from this file, show each of its entities: what
    // edited() tells the changes by.
    std::vector<std::uint32_t> piecesShown(const Drawing &drawing) const;

    // The file edited as `drawing` now shows it: entities erased are taken out, those moved,
    // turned, scaled or mirrored written there anew (copies beside them, with new handles), those
    // changed otherwise written as what they show now, and the entities drawn here added to the
    // model space. `shown` is piecesShown() of the drawing as read. Without changes, the bytes
    // as read.
    std::string edited(const Drawing &drawing, std::span<const std::uint32_t> shown) const;

private:
    void note(const DxfTag &tag);
    void noteHeader(const DxfTag &tag);

    std::string bytes_;
    DxfTagWriter::Form form_;
    std::string version_ = "AC1009";
    std::string codepage_;
    std::string layer_ = "0";
    bool complete_ = false;
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
    };
    std::vector<EntityPlace> entities_;

    // Scanning state.
    std::string section_;
    std::size_t sectionBegin_ = 0;
    std::string object_;
    std::string variable_;
    bool expectSectionName_ = false;
    bool expectVariableValue_ = false;
    std::uint64_t objectHandle_ = 0;
};

} // namespace cad
