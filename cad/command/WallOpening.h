#pragma once

#include "cad/command/CommandContext.h"

#include <cstdint>
#include <vector>

namespace cad {

// A fitting symbol just drawn is set into the wall it stands in: the wall's faces are cut
// between the symbol's ends and a jamb line closes each end; the symbol keeps its opening. Where
// it cannot be, the history says why and nothing is cut.
void setIntoWall(CommandContext &ctx, std::uint32_t symbol);

// Closes a symbol's opening (the symbol is erased or placed anew): the faces joined again, the
// jambs gone. Those to erase are added to `erase`, for the caller to erase with what it erases
// itself (erasing moves the entities after it); the faces are edited here.
void closeOpening(CommandContext &ctx, std::uint32_t symbol, std::vector<std::size_t> &erase);

} // namespace cad
