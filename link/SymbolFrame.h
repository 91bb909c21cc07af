#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quendra {

// Frames that tell a host which scripts make one symbol. They travel beside the scripts, never
// inside them, and only to a host that said it reads them: asked with symbolQuery, it answers
// symbolAnswer. The query is made of control characters alone, which a host that does not know
// it reads as nothing, answering a plain "OK".
inline constexpr const char *symbolQuery = "\x05\x06";
inline constexpr const char *symbolAnswer = "OK SYMBOL 1";
inline constexpr int symbolFrameVersion = 1;

// What one draw press drew: the form, its caption, the controls as the dialog holds them, and
// whether the base point was picked (the host knows where: it is the last point when the
// symbol begins).
//
// Edit goes the other way: the host asks the assistant to open a symbol's form again with its
// inputs (see symbolEditService). `replaces` names the host's symbol: the Edit carries it, and the
// Begin of the draw that follows hands it back, so that the new symbol takes the old one's place.
struct SymbolFrame
{
    enum class Kind { Begin, End, Cancel, Edit };
    Kind kind = Kind::Begin;
    std::string form;
    std::string caption;
    bool basePicked = false;
    std::vector<std::pair<std::string, std::string>> inputs;
    std::string replaces;
};

// Where a running assistant listens for Edit frames (socketPath of this service and topic), one
// frame per connection, answered "OK" once the form is open. A host that finds nobody there
// starts the assistant with the frame: `quendra --edit HEX`, the frame's bytes in hexadecimal.
inline constexpr const char *symbolEditService = "Quendra_LT";
inline constexpr const char *symbolEditTopic = "Edit";
inline constexpr const char *symbolEditOption = "--edit";

// ENQ "SYMBOL 1 BEGIN" (or EDIT), then one line per field: "form", "caption", "base" (only when
// picked), "input" per control, "replaces" (when set), tab-separated, with tab, CR, LF and
// backslash escaped. END and CANCEL carry nothing more.
std::string encodeSymbolFrame(const SymbolFrame &frame);
// Whether a payload claims to be a symbol frame (of any version).
bool isSymbolFrame(std::string_view payload);
// The frame, or nothing when it is not one of this version or does not read.
std::optional<SymbolFrame> decodeSymbolFrame(std::string_view payload);

} // namespace quendra
