#include "link/FrameCodec.h"

namespace quendra {

std::string encodeFrame(std::string_view payload)
{
    const auto n = static_cast<std::uint32_t>(payload.size());
    std::string out;
    out.reserve(payload.size() + 4);
    out += static_cast<char>((n >> 24) & 0xff);
    out += static_cast<char>((n >> 16) & 0xff);
    out += static_cast<char>((n >> 8) & 0xff);
    out += static_cast<char>(n & 0xff);
    out.append(payload);
    return out;
}

bool savesDrawing(std::string_view script)
{
    std::size_t i = 0;
    while (i < script.size()) {
        std::size_t end = script.find_first_of(" \t\r\n", i);
        if (end == std::string_view::npos) end = script.size();
        std::string word(script.substr(i, end - i));
        word.erase(0, word.find_first_not_of("_."));
        for (char &c : word)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (word == "SAVE" || word == "QSAVE" || word == "SAVEAS") return true;
        i = end + 1;
    }
    return false;
}

void FrameDecoder::feed(std::string_view bytes)
{
    buffer_.erase(0, start_);
    start_ = 0;
    buffer_.append(bytes);
}

FrameDecoder::Status FrameDecoder::next(std::string &payload)
{
    if (buffered() < 4) return Status::NeedMore;
    const auto byte = [this](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(buffer_[start_ + i]));
    };
    const std::uint32_t n = byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
    if (n > maxFrameSize) return Status::Malformed;
    if (buffered() - 4 < n) return Status::NeedMore;
    payload.assign(buffer_, start_ + 4, n);
    start_ += 4 + static_cast<std::size_t>(n);
    if (!isValidUtf8(payload)) return Status::Malformed;
    return Status::Frame;
}

bool isValidUtf8(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t extra = 0;
        std::uint32_t cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xe0) == 0xc0) {
            extra = 1, cp = c & 0x1f;
        } else if ((c & 0xf0) == 0xe0) {
            extra = 2, cp = c & 0x0f;
        } else if ((c & 0xf8) == 0xf0) {
            extra = 3, cp = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= s.size()) return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xc0) != 0x80) return false;
            cp = cp << 6 | (cc & 0x3f);
        }
        const std::uint32_t least[] = {0, 0x80, 0x800, 0x10000};
        if (cp < least[extra] || cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff)) return false;
        i += extra + 1;
    }
    return true;
}

} // namespace quendra
