#pragma once

#include "cad/dxf/tags/DxfTags.h"
#include "cad/model/Entity.h"
#include "cad/model/EntityView.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cad {

// One entity of a file, its ATTRIBs, VERTEXes and SEQEND with it: bytes[begin, end).
struct DxfEntitySpan
{
    std::size_t begin = 0, end = 0;
};

// What one instance of a file's entity became: placed by `m` (moved, turned, scaled and mirrored,
// never stretched), and given a colour and a layer (as the file writes its name); none: as read.
struct EntityChange
{
    Affine m;
    std::optional<int> color;
    std::optional<std::string> layer;
    // A line, an arc, a circle or a polyline trimmed, extended or cut: its shape as it is now
    // (with `m` the identity).
    const EntityView *shape = nullptr;
    // A copy's block name (group 2; a BLOCK's 3 too) and owner (its first 330); none: as read.
    std::optional<std::string> name = std::nullopt;
    std::uint64_t owner = 0;
    // Where the handles of parts a shape adds (a cut POLYLINE's VERTEXes) come from when the
    // entity keeps its own.
    std::uint64_t *spare = nullptr;
};

// The entity's groups written again with its points, sizes and angles placed, its colour and
// layer given; every other group as it was. With `next`, a copy: its handles are new ones
// counted from there, and what ties it to other objects of the file (extension dictionaries,
// reactors) is left out. None for kinds and cases that cannot be placed in their own groups
// (entities off the drawing plane, a circle scaled unevenly...) or take the shape given: a
// colour and a layer can always be given.
std::optional<std::string> placedEntity(std::string_view file, DxfEntitySpan span,
                                        const DxfTagWriter::Form &form, const EntityChange &change,
                                        std::uint64_t *next);

} // namespace cad
