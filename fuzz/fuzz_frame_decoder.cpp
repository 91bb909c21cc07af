// Any bytes on the socket, arriving in any pieces: the decoder must give the frames that a plain
// reading of the whole stream gives, stop for good at the first broken one, and agree with Qt on
// what is UTF-8. A symbol frame that reads must read back the same once written again.

#include "fuzz/FuzzCheck.h"
#include "link/FrameCodec.h"
#include "link/SymbolFrame.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using quendra::FrameDecoder;

namespace {

struct Reading
{
    std::vector<std::string> frames;
    FrameDecoder::Status end = FrameDecoder::Status::NeedMore;
    std::size_t left = 0; // bytes of an unfinished frame
};

std::uint32_t lengthAt(std::string_view s, std::size_t i)
{
    std::uint32_t n = 0;
    for (std::size_t k = 0; k < 4; ++k)
        n = n << 8 | static_cast<unsigned char>(s[i + k]);
    return n;
}

// The stream read in one go, straight from the description of a frame.
Reading plainReading(std::string_view stream)
{
    Reading r;
    std::size_t i = 0;
    while (stream.size() - i >= 4) {
        const std::uint32_t n = lengthAt(stream, i);
        if (n > quendra::maxFrameSize) {
            r.end = FrameDecoder::Status::Malformed;
            return r;
        }
        if (stream.size() - i - 4 < n) break;
        const std::string payload(stream.substr(i + 4, n));
        if (!quendra::isValidUtf8(payload)) {
            r.end = FrameDecoder::Status::Malformed;
            return r;
        }
        r.frames.push_back(payload);
        i += 4 + n;
    }
    r.left = stream.size() - i;
    return r;
}

// The stream fed in pieces of the given sizes, taking frames after each piece.
Reading pieceByPiece(std::string_view stream, std::string_view sizes)
{
    Reading r;
    FrameDecoder decoder;
    std::size_t at = 0;
    std::size_t k = 0;
    while (at < stream.size() || k == 0) {
        const std::size_t piece =
            sizes.empty() ? stream.size() : 1 + static_cast<unsigned char>(sizes[k % sizes.size()]);
        ++k;
        const std::string_view bytes = stream.substr(at, piece);
        at += bytes.size();
        decoder.feed(bytes);
        std::string payload;
        for (;;) {
            const FrameDecoder::Status s = decoder.next(payload);
            if (s == FrameDecoder::Status::NeedMore) break;
            if (s == FrameDecoder::Status::Malformed) {
                r.end = s;
                return r;
            }
            fuzz::require(quendra::encodeFrame(payload).size() == payload.size() + 4,
                          "a frame of the wrong size");
            r.frames.push_back(payload);
        }
    }
    r.left = decoder.buffered();
    return r;
}

// A byte order mark is UTF-8 too; QString::fromUtf8 would drop one at the start.
bool qtCallsItUtf8(std::string_view s)
{
    const QByteArray bytes(s.data(), static_cast<qsizetype>(s.size()));
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError() && text.toUtf8() == bytes;
}

void symbolReadsBack(std::string_view payload)
{
    const auto symbol = quendra::decodeSymbolFrame(payload);
    if (!symbol) return;
    const auto back = quendra::decodeSymbolFrame(quendra::encodeSymbolFrame(*symbol));
    fuzz::require(back && back->kind == symbol->kind && back->form == symbol->form &&
                      back->caption == symbol->caption && back->basePicked == symbol->basePicked &&
                      back->inputs == symbol->inputs,
                  "a symbol frame reads back otherwise", payload);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    // The first byte says how many of the next bytes give the sizes of the pieces.
    const std::size_t sizeCount = size > 0 ? std::min<std::size_t>(data[0] % 16, size - 1) : 0;
    const std::string_view sizes = input.substr(size > 0 ? 1 : 0, sizeCount);
    const std::string_view stream = input.substr(std::min(size, 1 + sizeCount));

    fuzz::require(quendra::isValidUtf8(stream) == qtCallsItUtf8(stream), "UTF-8 judged otherwise than Qt",
                  stream);

    const Reading expected = plainReading(stream);
    const Reading got = pieceByPiece(stream, sizes);
    fuzz::require(got.frames == expected.frames, "frames differ from a plain reading", stream);
    fuzz::require(got.end == expected.end, "the end differs from a plain reading", stream);
    if (got.end == FrameDecoder::Status::NeedMore)
        fuzz::require(got.left == expected.left, "bytes left over differ", stream);

    symbolReadsBack(stream);
    for (const std::string &f : got.frames)
        symbolReadsBack(f);

    // Whatever came through goes out again as the same bytes.
    std::string again;
    for (const std::string &f : got.frames)
        again += quendra::encodeFrame(f);
    fuzz::require(again == stream.substr(0, again.size()), "a frame does not encode back to its bytes",
                  stream);
    return 0;
}
