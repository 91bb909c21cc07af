#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quendra {

// Fittings set into walls. A host that does it answers wallQuery with wallAnswer; the query is
// made of control characters alone, which a host that does not know it reads as nothing,
// answering a plain "OK". To such a host only, and only for a fitting's base point, the assistant
// sends wallPickFrame before the ID: the pick that follows goes on to the centre line of the wall
// it falls in. Asked wallStateQuery instead of stateQuery, the host answers as to stateQuery, and
// when idle after such a pick that found a wall, the wall's direction with it: "OK IDLE WALL 90"
// (degrees counter-clockwise, the face nearer the pick on its right).
inline constexpr const char *wallQuery = "\x05\x06\x07";
inline constexpr const char *wallAnswer = "OK WALL 1";
inline constexpr const char *wallPickFrame = "\x05WALL 1 PICK";
inline constexpr const char *wallStateQuery = "\x05STATE 2";

// The idle answer to wallStateQuery with a wall's direction.
std::string idleAnswerWithWall(double degrees);
// The wall's direction in an answer to wallStateQuery, when it tells one.
std::optional<double> wallDirectionOf(std::string_view answer);

} // namespace quendra
