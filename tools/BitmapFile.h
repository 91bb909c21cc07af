#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

namespace quendra {

// Windows bitmap files (*.bmp) as the sketch pad reads and writes them.
namespace bitmapFile {

// True when `data` starts with a bitmap header and holds all the pixel data the header announces.
// Qt's reader fills a short file up with black rows; such a file is refused instead.
bool isComplete(const QByteArray &data);

// The picture in the bitmap file at `path`, or nothing when the file cannot be read, is not a
// bitmap or is cut short.
std::optional<QImage> read(const QString &path);

// Writes `image` as a bitmap through QSaveFile: on any failure the old file stays as it was.
bool write(const QImage &image, const QString &path);

} // namespace bitmapFile

} // namespace quendra
