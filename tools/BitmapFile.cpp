#include "tools/BitmapFile.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QSaveFile>
#include <QtEndian>

#include <cstdlib>

namespace quendra::bitmapFile {

namespace {

constexpr qsizetype fileHeaderSize = 14;
constexpr quint32 coreHeaderSize = 12; // OS/2 style header
constexpr quint32 infoHeaderSize = 40; // Windows style header and its longer successors
// Larger files and pictures are not sketches; refusing them early keeps a stray choice from
// filling memory.
constexpr qint64 largestFile = qint64(512) * 1024 * 1024;
constexpr qint64 largestSide = 16384;

enum Compression : quint32 { rgb = 0, rle8 = 1, rle4 = 2, bitFields = 3, alphaBitFields = 6 };

template <typename T> T field(const QByteArray &data, qsizetype offset)
{
    return qFromLittleEndian<T>(data.constData() + offset);
}

struct Layout
{
    qint64 width = 0;
    qint64 height = 0;
    quint32 bitsPerPixel = 0;
    quint32 compression = rgb;
    quint32 imageSize = 0;
};

std::optional<Layout> layoutOf(const QByteArray &data)
{
    if (data.size() < fileHeaderSize + 4 || !data.startsWith("BM")) return std::nullopt;
    const auto headerSize = field<quint32>(data, 14);
    Layout layout;
    if (headerSize == coreHeaderSize && data.size() >= fileHeaderSize + coreHeaderSize) {
        layout.width = field<quint16>(data, 18);
        layout.height = field<quint16>(data, 20);
        layout.bitsPerPixel = field<quint16>(data, 24);
        return layout;
    }
    if (headerSize < infoHeaderSize || data.size() < fileHeaderSize + infoHeaderSize) return std::nullopt;
    layout.width = field<qint32>(data, 18);
    layout.height = std::abs(qint64(field<qint32>(data, 22))); // negative: rows top down
    layout.bitsPerPixel = field<quint16>(data, 28);
    layout.compression = field<quint32>(data, 30);
    layout.imageSize = field<quint32>(data, 34);
    return layout;
}

// The bytes of pixel data the header announces, or -1 for a layout that is no bitmap we read.
qint64 pixelBytes(const Layout &layout)
{
    if (layout.width <= 0 || layout.height <= 0 || layout.width > largestSide || layout.height > largestSide)
        return -1;
    switch (layout.compression) {
    case rgb:
    case bitFields:
    case alphaBitFields: {
        const qint64 rowBytes = (layout.width * layout.bitsPerPixel + 31) / 32 * 4;
        return rowBytes * layout.height;
    }
    case rle8:
    case rle4:
        // Run-length data has no size of its own; the header must give it.
        return layout.imageSize > 0 ? qint64(layout.imageSize) : -1;
    default:
        return -1;
    }
}

} // namespace

bool isComplete(const QByteArray &data)
{
    const std::optional<Layout> layout = layoutOf(data);
    if (!layout) return false;
    const qint64 pixels = pixelBytes(*layout);
    const qint64 offset = field<quint32>(data, 10);
    return pixels > 0 && offset >= fileHeaderSize && offset + pixels <= data.size();
}

std::optional<QImage> read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > largestFile) return std::nullopt;
    QByteArray data = file.readAll();
    if (!isComplete(data)) return std::nullopt;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    QImage image = reader.read();
    if (image.isNull()) return std::nullopt;
    return image;
}

bool write(const QImage &image, const QString &path)
{
    if (image.isNull() || path.isEmpty()) return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    // flush() before commit(): commit() alone takes a failed last write (a full disk) for success.
    if (!image.save(&file, "BMP") || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace quendra::bitmapFile
