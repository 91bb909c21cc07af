#pragma once

#include "cad/dxf/tags/DxfTags.h"
#include "cad/model/Entity.h"

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

// The entity's groups written again with its points, sizes and angles placed by `m` (moved,
// turned, scaled and mirrored, never stretched); every other group as it was. With `next`, a
// copy: its handles are new ones counted from there, and what ties it to other objects of the
// file (extension dictionaries, reactors) is left out. None for kinds and cases this cannot be
// done for (hatches, dimensions, splines, xlines, entities off the drawing plane...).
std::optional<std::string> placedEntity(std::string_view file, DxfEntitySpan span,
                                        const DxfTagWriter::Form &form, const Affine &m, std::uint64_t *next);

} // namespace cad
