#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quendra {

// Frames of the local-socket conversation: a 4-byte big-endian length, then that many bytes of
// UTF-8. The client sends one frame per execute; the host answers "OK" or "NG <reason>".
inline constexpr std::uint32_t maxFrameSize = 64u * 1024u * 1024u;

// A frame that is a question, not a script (no script begins with ENQ): is the host idle at its
// command prompt with nothing queued? A host that can tell answers "OK IDLE" or "OK BUSY"; any
// other answer means it cannot.
inline constexpr const char *stateQuery = "\x05STATE";
inline constexpr const char *idleAnswer = "OK IDLE";
inline constexpr const char *busyAnswer = "OK BUSY";

std::string encodeFrame(std::string_view payload);

// Whether a script has a word that saves the drawing (SAVE, QSAVE, SAVEAS, also with a leading
// "_" or "."). The host answers such a frame once the save is done, so the client waits longer.
bool savesDrawing(std::string_view script);
inline constexpr std::chrono::milliseconds saveWait{std::chrono::minutes(5)};

// Takes frames off the front of a growing buffer.
class FrameDecoder
{
public:
    enum class Status { NeedMore, Frame, Malformed };

    void feed(std::string_view bytes);
    // Frame: the next payload is in `payload`. Malformed: the stream is beyond repair (a length
    // over maxFrameSize or a payload that is not UTF-8); the conversation should be closed.
    Status next(std::string &payload);
    std::size_t buffered() const { return buffer_.size() - start_; }

private:
    // Frames taken are skipped, not erased one by one: a buffer of many small frames would
    // otherwise be moved once per frame. They are dropped when more bytes come.
    std::string buffer_;
    std::size_t start_ = 0;
};

bool isValidUtf8(std::string_view s);

} // namespace quendra
